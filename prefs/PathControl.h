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
    // The folder's name, whole; the control shows it shortened in the middle when it is
    // wider than the room the window gives.
    QString displayedName() const;
    QString shownText() const;

    // Wide enough for an ordinary folder name; a long one never widens the window.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void elide();
    void fitMarginsToFrame();

    QUrl mUrl;
    QString mFullName;
    QLabel* mIcon = nullptr;
    QLabel* mName = nullptr;
};

} // namespace quendle
