// The companion download (Vorlith's disk image, with its progress panel) and the main window's
// web links.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>

class QDialog;
class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QProgressBar;
class QTemporaryFile;

namespace quendle {

class Seam;

// The download panel's parts, and the main window's bottom line that the bar stands in for.
struct DownloadOutlets {
    QDialog* progressPanel = nullptr;
    QProgressBar* progressIndicator = nullptr;
    QLabel* progressField = nullptr;
    QLabel* mBottomText = nullptr;
};

class CompanionDownload : public QObject {
    Q_OBJECT
public:
    CompanionDownload(Seam& seam, const DownloadOutlets& outlets, QObject* parent = nullptr);
    // The main window, and with it the bottom line, may be built after the panel.
    void setBottomText(QLabel* bottomText) { mOutlets.mBottomText = bottomText; }

    void gotoHomePage();
    void submitTickets();
    void downloadVorlith();

    // The download's steps.
    void startUpdateDownload(const QUrl& url);
    void endUpdateDownload();
    void presentDownloadSuccess();
    void presentDownloadError();
    void downloadDidReceiveResponse(QNetworkReply* download, std::int64_t expectedContentLength);
    void downloadDidReceiveDataOfLength(QNetworkReply* download, std::uint32_t length);
    void downloadDidFinish(QNetworkReply* download);
    void downloadDidFailWithError(QNetworkReply* download, const QString& error);
    // The request's time-out; 60 s, shortened by tests.
    void setDownloadTimeoutMs(int ms) { mDownloadTimeoutMs = ms; }

    bool downloadRunning() const { return !updateDownload.isNull(); }
    std::optional<QString> downloadDestinationPath() const { return downloadPath; }
    std::optional<std::int64_t> downloadExpectedLength() const { return downloadResponse; }
    // The percentage as computed, which may pass 100; the bar shows it capped at full.
    double downloadProgressValue() const { return mDownloadProgressValue; }

private:
    // The reply's signals, while it is the running download's.
    void replyResponded(QNetworkReply* reply);
    bool receiveChunks(QNetworkReply* reply, QTemporaryFile* partialFile);
    void replyFinished(QNetworkReply* reply, QTemporaryFile* partialFile);
    // The bar takes the bottom line's place while a download runs.
    void showBottomText(bool shown);

    Seam& mSeam;
    DownloadOutlets mOutlets;
    QNetworkAccessManager* mNetwork = nullptr;
    QPointer<QNetworkReply> updateDownload;
    std::optional<std::int64_t> downloadResponse; // the last response's expected length
    std::optional<QString> downloadPath;
    std::uint32_t downloadBytes = 0;
    int mDownloadTimeoutMs = 60000;
    double mDownloadProgressValue = 0.0;
};

} // namespace quendle
