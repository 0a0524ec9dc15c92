// The one door through which an archive enters an expansion, and the replace prompt.
#include "expansion/ExpansionController.h"

#include "core/Planning.h"
#include "expansion/OffThread.h"
#include "platform/Paths.h"
#include "platform/Seam.h"
#include "platform/StartupTrace.h"
#include "prefs/UserDefaults.h"
#include "progress/ExtractingProgressWindow.h"
#include "trash/FileManager.h"
#include "views/WindowSetup.h"

#include <QDialog>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace quendle {


bool ExpansionController::applicationOpenFile(const QString& path)
{
    // One request at a time: an archive that arrives inside another's prompts, run or end
    // changes nothing of it. Only a request waiting for its password gives way.
    if (!acceptsArchive(mRequestState)) {
        showBusyAlert();
        return true;
    }
    if (mRequestState == RequestState::WaitingForPassword) {
        // The waiting request is dropped; the window comes back if the newcomer needs it.
        mPassword.mPasswordWindow->hide();
        mPassword.mBottomTextOnPasswordWindow->setHidden(true);
    }

    // The password window names this archive before the listing, should it turn out encrypted.
    setContentBorderThickness(mPassword.mPasswordWindow, 20);
    centerOnScreen(mPassword.mPasswordWindow);
    mPassword.mTopTextOnPasswordWindow->setText(tr("Type in password for %1").arg(fileNameOfPath(path)));

    moveTo(RequestState::Planning);
    traceStep("password window prepared");
    mRequest = ExpansionRequest {};
    mRequest.archivePath = path;
    mRequest.customFolder = usesCustomFolder(mDefaults);
    mExtractProgressWindow.reset();
    // A folder given for an archive: 7-Zip would only say it cannot find an archive.
    if (QFileInfo(path).isDir()) {
        reportCannotExpand(tr("\"%1\" is a folder, not an archive.").arg(path));
        return true;
    }
    const std::optional<ListingRun> listed = listOffThread(path, std::nullopt);
    traceStep("opening listing");
    // The application is quitting, or the request went while the listing ran.
    if (!listed || mRequestState != RequestState::Planning)
        return true;
    const ListingRun& opening = *listed;
    if (!opening.started) {
        // Nothing can be listed or extracted: say so before anything is planned or replaced.
        reportToolCannotStart(opening.error);
        return true;
    }
    // An archive without entries: nothing to extract, so nothing beside it is asked about or
    // replaced. Only 7-Zip's own clean listing of one archive says so: a file that is no
    // archive lists no entry list, a broken one lists its errors, and a record without its type
    // comes from a reader that stopped early.
    const ArchiveListing& facts = opening.listing;
    if (facts.holdsNoEntries && facts.archiveLevels == 1 && facts.pieceCount == 2 && !facts.isEncrypted) {
        mSeam.runAlert({tr("\"%1\" is empty.").arg(fileNameOfPath(path)),
            tr("The archive holds no files or folders, so there is nothing to expand."),
            {QCoreApplication::translate("quendle::Buttons", "OK")}, AlertStyle::Informational});
        endRequest(0);
        return true;
    }

    // A new progress window for this request, loaded but not shown yet.
    mExtractProgressWindow = std::make_unique<ExtractingProgressWindow>();
    mExtractProgressWindow->setDelegate(this);
    centerOnScreen(mExtractProgressWindow->window());
    mExtractProgressWindow->setTitle(tr("Extracting %1").arg(fileNameOfPath(path)));
    mRequest.amountFiles = opening.listing.amountFiles;

    // Where the contents go; the replace prompt may end the request here.
    if (planDestination(path, opening.listing) != PlanOutcome::Done)
        return true;

    // An encrypted archive waits for its password.
    if (opening.listing.isEncrypted) {
        moveTo(RequestState::WaitingForPassword);
        showPasswordWindow();
        return true;
    }

    mExtractProgressWindow->setMaxValue(double(mRequest.amountFiles));
    mExtractProgressWindow->showWindow();
    traceStep("planned, progress window shown");
    startExtractionRun(50);
    return true;
}

std::optional<ListingRun> ExpansionController::listOffThread(
    const QString& archivePath, const std::optional<QString>& password)
{
    // The listing takes as long as the archive's directory does (seconds for a big one, more
    // for a password checked by decoding): the windows and a second launch are answered meanwhile.
    const QString tool = toolPath();
    ListingStop stop;
    return runOffThread<ListingRun>([&] { return listArchive(tool, archivePath, password, &stop); },
        [&] { stop.stop(); });
}

void ExpansionController::showBusyAlert()
{
    Alert busy {tr("Quendle."),
        tr("Quendle extracts some archive. Please, wait for end of the operation and try again."),
        {QCoreApplication::translate("quendle::Buttons", "OK")}, AlertStyle::Warning};
    // Beside the progress window, which stays in sight.
    if (mExtractProgressWindow && mExtractProgressWindow->window()->isVisible())
        busy.parentWindow = mExtractProgressWindow->window();
    mSeam.runAlert(busy);
}

ExpansionController::PlanOutcome ExpansionController::planDestination(
    const QString& archivePath, const ArchiveListing& listing)
{
    std::optional<QString> customFolder;
    if (usesCustomFolder(mDefaults)) {
        // A folder text that names nothing usable leaves the contents beside the archive.
        customFolder = folderPathFromStored(mDefaults.stringForKey(keys::CustomFolder));
    }
    const ListingShape shape = shapeOf(listing);
    const DestinationPlan plan = quendle::planDestination(archivePath, shape, customFolder,
        [](const QString& candidate) { return QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); });
    mRequest.shape = shape;
    mRequest.plan = plan;
    mRequest.customFolder = plan.customFolder;
    mExtractProgressWindow->setBottomText(plan.destination);

    // Every item the contents would overwrite is the user's to give up, one prompt each.
    QStringList trashed;
    for (const QString& tested : plan.testedPaths()) {
        if (!QFileInfo::exists(tested) && !QFileInfo(tested).isSymLink())
            continue;
        const int answer = mSeam.runAlert({tr("An item named \"%1\" already exists.").arg(tested),
            tr("Do you want to replace it with the one you\u2019re extracting?"),
            {QCoreApplication::translate("quendle::Buttons", "OK"), QCoreApplication::translate("quendle::Buttons", "Cancel")}, AlertStyle::Warning});
        if (answer != kAlertFirstButtonReturn)
            return endRequestAsCancel();
        // Only an item that really went to the Trash makes room: anything else left in the way
        // would be overwritten by the extraction, so nothing is extracted at all.
        const TrashOutcome moved = holdsArchive(tested)
            ? TrashOutcome {TrashOutcome::NotPermitted, 0, tested}
            : mFileManager.moveToTrash(tested);
        if (!moved.succeeded()) {
            const QString why = holdsArchive(tested)
                ? tr("It holds the archive being expanded.")
                : moved.reason();
            const QString kept = trashed.isEmpty()
                ? tr("Nothing was extracted, and nothing of yours was changed.")
                : tr("Nothing was extracted. \"%1\" is in the Trash, where you can put it back from.")
                      .arg(trashed.join(QStringLiteral("\", \"")));
            return reportCannotExpand(tr("\"%1\" could not be moved to the Trash.").arg(tested), why + u'\n' + kept);
        }
        trashed.append(tested);
    }
    return PlanOutcome::Done;
}

ListingShape ExpansionController::shapeOf(const ArchiveListing& listing)
{
    return {listing.topLevelName, listing.sharesTopLevel, listing.topLevelNamesArchive, listing.archiveLevels <= 1};
}

bool ExpansionController::holdsArchive(const QString& item) const
{
    // Through links too: the folder that holds the archive may be reached by another path.
    const QString canonicalItem = QFileInfo(item).canonicalFilePath();
    const QString canonicalArchive = QFileInfo(mRequest.archivePath).canonicalFilePath();
    return isOrHolds(item, mRequest.archivePath)
        || (!canonicalItem.isEmpty() && !canonicalArchive.isEmpty() && isOrHolds(canonicalItem, canonicalArchive));
}

ExpansionController::PlanOutcome ExpansionController::endRequestAsCancel()
{
    // Cancel in the custom-folder case ends the process at once with status 1.
    return endRequest(mRequest.customFolder ? 1 : 0, mRequest.customFolder);
}

ExpansionController::PlanOutcome ExpansionController::endRequest(int status, bool exitAtOnce)
{
    // Whatever ended the request, a window the user still has takes it back to idle; with none
    // left, the application ends with the request's status.
    if (mExtractProgressWindow)
        mExtractProgressWindow->close();
    if (anotherWindowVisible()) {
        moveTo(RequestState::Idle);
        return PlanOutcome::RequestEnded;
    }
    moveTo(RequestState::Ending);
    if (exitAtOnce)
        mSeam.exitProcess(status);
    else
        mSeam.terminate(status);
    return PlanOutcome::ApplicationEnded;
}

ExpansionController::PlanOutcome ExpansionController::reportCannotExpand(const QString& informative)
{
    return reportCannotExpand(tr("Cannot Expand Archive."), informative);
}

ExpansionController::PlanOutcome ExpansionController::reportCannotExpand(const QString& message, const QString& informative)
{
    moveTo(RequestState::Completing);
    mSeam.runAlert({message, informative, {QCoreApplication::translate("quendle::Buttons", "OK")}, AlertStyle::Warning});
    return endRequest(kExitExpansionFailed);
}

void ExpansionController::reportToolCannotStart(const QString& reason)
{
    // Nothing was expanded: a script sees a failure.
    reportCannotExpand(tr("Cannot Start the Archiver."), QStringLiteral("%1\n%2").arg(toolPath(), reason));
}

} // namespace quendle
