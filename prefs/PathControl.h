// The folder control of the preferences: shows one folder with its icon and name, holds its URL.
#pragma once

#include <QFrame>
#include <QUrl>

class QLabel;

namespace quendle {

class PathControl : public QFrame {
    Q_OBJECT
public:
    explicit PathControl(QWidget* parent = nullptr);

    // The URL it holds; empty when it holds none.
    QUrl url() const { return mUrl; }
    // Holds the URL as given (a URL without a scheme stays one, so a plain path read from
    // the preferences is written back as that plain path).
    void setUrl(const QUrl& url);
    // Accepts a plain path as well as a URL string: a path becomes the folder's file URL,
    // ending in a slash unless the path names an existing file.
    void setURL(const QString& pathOrUrl);

    // The folder shown, as a plain path; empty when the URL names no local folder.
    QString folderPath() const;
    QString displayedName() const;

signals:
    // A double-click, or Return / Space while the control has the focus.
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void refresh();

    QUrl mUrl;
    QLabel* mIcon = nullptr;
    QLabel* mName = nullptr;
};

} // namespace quendle
