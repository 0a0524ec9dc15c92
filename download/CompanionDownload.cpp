// The companion download (Vorlith's disk image, with its progress panel) and the main window's web links.
#include "download/CompanionDownload.h"

#include "download/Links.h"
#include "platform/Seam.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressBar>
#include <QTemporaryFile>

#include <cstdio>

namespace quendle {

namespace {

// Functions, not constants: a translation is looked up when the text is shown, after the
// translators are installed.
QString connectingText()
{
    return CompanionDownload::tr("Connecting to server");
}
QString connectedText()
{
    return CompanionDownload::tr("Connected to server");
}
QString receivingText()
{
    return CompanionDownload::tr("Receiving data");
}

// The length a response announces; -1 when it gives none.
std::int64_t expectedContentLength(const QNetworkReply* reply)
{
    bool ok = false;
    const qlonglong length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
    return ok ? length : -1;
}

// 0 for a reply without an HTTP status (a failure before any response).
int httpStatus(const QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

// The file being written for a reply: it lives beside the destination and belongs to the reply,
// so a transfer that ends without success takes it away.
QTemporaryFile* partialFileOf(const QNetworkReply* reply)
{
    return reply ? reply->findChild<QTemporaryFile*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

// The percentage shown by a bar whose range is 0 to 100: a value past the end shows a full bar,
// as an overfilled bar of the desktop would; the computed value itself is kept as it is.
int barValue(double percentage)
{
    if (!(percentage > 0.0))
        return 0;
    return percentage >= 100.0 ? 100 : static_cast<int>(percentage);
}

} // namespace

CompanionDownload::CompanionDownload(Seam& seam, const DownloadOutlets& outlets, QObject* parent)
    : QObject(parent)
    , mSeam(seam)
    , mOutlets(outlets)
{
}

void CompanionDownload::showBottomText(bool shown)
{
    if (mOutlets.mBottomText)
        mOutlets.mBottomText->setVisible(shown);
}

void CompanionDownload::gotoHomePage()
{
    mSeam.openUrl(homePageUrl());
}

void CompanionDownload::submitTickets()
{
    mSeam.openUrl(ticketsUrl());
}

void CompanionDownload::downloadVorlith()
{
    startUpdateDownload(companionUrl());
}

void CompanionDownload::startUpdateDownload(const QUrl& url)
{
    // The fields hold one download. Another click while it runs only brings its panel forward;
    // the running transfer and its file are left alone.
    if (updateDownload) {
        mOutlets.progressPanel->show();
        mOutlets.progressPanel->raise();
        mOutlets.progressPanel->activateWindow();
        return;
    }

    if (!mNetwork)
        mNetwork = new QNetworkAccessManager(this);

    const QString destination = QString::fromLatin1(kDownloadDestination);
    // The bytes go to a private file beside the destination and replace it only once complete:
    // a failed transfer neither leaves a partial image there nor destroys the one already there.
    auto* partialFile = new QTemporaryFile(destination + QStringLiteral(".XXXXXX"));
    const bool created = url.isValid() && !url.isRelative()
        && mNetwork->supportedSchemes().contains(url.scheme()) && partialFile->open();
    if (!created) {
        delete partialFile;
        endUpdateDownload();
        presentDownloadError();
        return;
    }

    // The protocol's default caching (no cache is installed) and the idle time-out.
    QNetworkRequest request(url);
    request.setTransferTimeout(mDownloadTimeoutMs);
    QNetworkReply* reply = mNetwork->get(request);
    partialFile->setParent(reply);
    updateDownload = reply;
    downloadPath = destination;
    mDownloadProgressValue = 0.0;

    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] { replyResponded(reply); });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply, partialFile] {
        if (reply == updateDownload && httpStatus(reply) < 400)
            receiveChunks(reply, partialFile);
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, partialFile] { replyFinished(reply, partialFile); });

    mOutlets.progressField->setText(connectingText());
    mOutlets.progressIndicator->show();
    showBottomText(false);
    // Indeterminate: the bar animates by itself while its range is empty.
    mOutlets.progressIndicator->setRange(0, 0);
    mOutlets.progressPanel->show();
    mOutlets.progressPanel->raise();
    mOutlets.progressPanel->activateWindow();
}

void CompanionDownload::replyResponded(QNetworkReply* reply)
{
    if (reply != updateDownload)
        return;
    // An error page is not the image: 404 and the like end the download here.
    if (httpStatus(reply) >= 400) {
        downloadDidFailWithError(reply, reply->errorString());
        return;
    }
    downloadDidReceiveResponse(reply, expectedContentLength(reply));
}

bool CompanionDownload::receiveChunks(QNetworkReply* reply, QTemporaryFile* partialFile)
{
    // Each chunk is written as it arrives; the download's steps only count it.
    while (reply->bytesAvailable() > 0) {
        const QByteArray chunk = reply->read(1 << 20);
        if (chunk.isEmpty())
            break;
        if (partialFile->write(chunk) != chunk.size()) {
            downloadDidFailWithError(reply, partialFile->errorString());
            return false;
        }
        downloadDidReceiveDataOfLength(reply, static_cast<std::uint32_t>(chunk.size()));
    }
    return true;
}

void CompanionDownload::replyFinished(QNetworkReply* reply, QTemporaryFile* partialFile)
{
    if (reply != updateDownload)
        return;
    const int status = httpStatus(reply);
    if (reply->error() != QNetworkReply::NoError || (status != 0 && (status < 200 || status > 299))) {
        downloadDidFailWithError(reply, reply->errorString());
        return;
    }
    if (!receiveChunks(reply, partialFile))
        return;
    const bool flushed = partialFile->flush();
    const QByteArray from = QFile::encodeName(partialFile->fileName());
    partialFile->close();
    // rename() replaces whatever is at the destination in one step, a symbolic link included,
    // instead of writing through it.
    if (!flushed || std::rename(from.constData(), QFile::encodeName(*downloadPath).constData()) != 0) {
        downloadDidFailWithError(reply, partialFile->errorString());
        return;
    }
    partialFile->setAutoRemove(false);
    downloadDidFinish(reply);
}

void CompanionDownload::endUpdateDownload()
{
    mOutlets.progressField->setText(QString());
    // An indeterminate bar stops animating once hidden; its mode is left for the next start.
    mOutlets.progressPanel->hide();
    if (QNetworkReply* reply = updateDownload.data()) {
        // Cleared first, so that whatever abort() emits finds no download of ours.
        updateDownload.clear();
        reply->disconnect(this);
        if (QTemporaryFile* partialFile = partialFileOf(reply); partialFile && partialFile->autoRemove())
            partialFile->remove();
        reply->abort();
        reply->deleteLater();
    }
    downloadResponse.reset();
    downloadPath.reset();
}

void CompanionDownload::presentDownloadSuccess()
{
    mOutlets.progressIndicator->hide();
    showBottomText(true);
    mSeam.runPanel(Panel {tr("Update Downloaded"),
        tr("Vorlith app will be found on the newly opened disk image."), QCoreApplication::translate("quendle::Buttons", "OK"), QString(),
        AlertStyle::Informational});
}

void CompanionDownload::presentDownloadError()
{
    mOutlets.progressIndicator->hide();
    showBottomText(true);
    mSeam.runPanel(Panel {tr("Unable to Download"),
        tr("Quendle was not able to download Vorlith app from the server."), QCoreApplication::translate("quendle::Buttons", "OK"),
        QString(), AlertStyle::Informational});
}

void CompanionDownload::downloadDidReceiveResponse(QNetworkReply*, std::int64_t expectedContentLength)
{
    downloadResponse = expectedContentLength;
    downloadBytes = 0;
    mOutlets.progressField->setText(connectedText());
}

void CompanionDownload::downloadDidReceiveDataOfLength(QNetworkReply*, std::uint32_t length)
{
    const std::int64_t expected = downloadResponse.value_or(-1);
    // A 32-bit counter: past 4 GiB it starts again from small values.
    downloadBytes = static_cast<std::uint32_t>(downloadBytes + length);
    if (expected > 0) {
        const float percentage = static_cast<float>(downloadBytes) / static_cast<float>(expected) * 100.0f;
        mDownloadProgressValue = static_cast<double>(percentage);
        mOutlets.progressIndicator->setRange(0, 100);
        mOutlets.progressIndicator->setValue(barValue(mDownloadProgressValue));
    }
    mOutlets.progressField->setText(receivingText());
}

void CompanionDownload::downloadDidFinish(QNetworkReply*)
{
    // Without a download there is no file of ours to open, nor one to delete.
    if (!downloadPath) {
        endUpdateDownload();
        presentDownloadError();
        return;
    }
    const QString path = *downloadPath;
    endUpdateDownload();
    if (mSeam.openUrl(QUrl::fromLocalFile(path))) {
        presentDownloadSuccess();
        return;
    }
    // The transfer succeeded; only this desktop has nothing that opens a disk image. The file
    // stays where it is and the user learns where that is.
    mOutlets.progressIndicator->hide();
    showBottomText(true);
    mSeam.runPanel(Panel {tr("Update Downloaded"),
        tr("Vorlith app was downloaded to \"%1\", but the disk image could not be opened here.").arg(path),
        QCoreApplication::translate("quendle::Buttons", "OK"), QString(), AlertStyle::Informational});
}

void CompanionDownload::downloadDidFailWithError(QNetworkReply*, const QString&)
{
    endUpdateDownload();
    presentDownloadError();
}

} // namespace quendle
