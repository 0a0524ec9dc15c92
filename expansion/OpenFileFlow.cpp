// The one door through which an archive enters an expansion, and the replace prompt.
#include "expansion/ExpansionController.h"

#include "expansion/Planning.h"
#include "platform/Paths.h"
#include "platform/Seam.h"
#include "platform/StartupTrace.h"
#include "prefs/UserDefaults.h"
#include "progress/ExtractingProgressWindow.h"
#include "trash/FileManager.h"
#include "views/WindowSetup.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace quendle {

namespace {

bool anyWindowVisible()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            return true;
    }
    return false;
}

ListingShape shapeOf(const ArchiveListing& listing)
{
    return {listing.topLevelName, listing.sharesTopLevel, listing.topLevelNamesArchive};
}

} // namespace

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

    // The password window is prepared whatever follows.
    setContentBorderThickness(mPassword.mPasswordWindow, 20);
    centerOnScreen(mPassword.mPasswordWindow);
    mPassword.mTopTextOnPasswordWindow->setText(tr("Type in password for %1").arg(fileNameOfPath(path)));

    mRequestState = RequestState::Planning;
    traceStep("password window prepared");
    const ListingRun opening = listArchive(toolPath(), path, std::nullopt);
    traceStep("opening listing");
    if (!opening.started) {
        // Nothing can be listed or extracted: say so before anything is planned or replaced.
        mCustomFolderCase = usesCustomFolder(mDefaults);
        reportToolCannotStart(opening.error);
        return true;
    }

    // A new progress window for this request, loaded but not shown yet.
    mAmountFilesInArchive = 0;
    mExtractProgressWindow = std::make_unique<ExtractingProgressWindow>();
    mExtractProgressWindow->setDelegate(this);
    centerOnScreen(mExtractProgressWindow->window());
    mExtractProgressWindow->setTitle(tr("Extracting %1").arg(fileNameOfPath(path)));
    mAmountFilesInArchive = opening.listing.amountFiles;
    mArchivePath = path;

    // Where the contents go; the replace prompt may end the request here.
    if (planDestination(path, opening.listing) != PlanOutcome::Done)
        return true;

    // An encrypted archive waits for its password.
    if (opening.listing.isEncrypted) {
        mRequestState = RequestState::WaitingForPassword;
        showPasswordWindow();
        return true;
    }

    mExtractProgressWindow->setMaxValue(double(mAmountFilesInArchive));
    mExtractProgressWindow->showWindow();
    traceStep("planned, progress window shown");
    if (startExtractionRun(50) == RunStart::LaunchFailed)
        reportToolCannotStart(searchTask->launchError());
    return true;
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
    mPlannedShape = shapeOf(listing);
    const DestinationPlan plan = quendle::planDestination(archivePath, mPlannedShape, customFolder,
        [](const QString& candidate) { return QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); });
    mCustomFolderCase = plan.customFolder;
    setWhatToShow(plan.whatToShow);
    setMArgs(plan.arguments);
    mExtractProgressWindow->setBottomText(plan.destination);

    // Every item the contents would overwrite is the user's to give up, one prompt each.
    for (const QString& tested : plan.testedPaths()) {
        if (!QFileInfo::exists(tested) && !QFileInfo(tested).isSymLink())
            continue;
        const int answer = mSeam.runAlert({tr("An item named \"%1\" already exists.").arg(tested),
            tr("Do you want to replace it with the one you\u2019re extracting?"),
            {QCoreApplication::translate("quendle::Buttons", "OK"), QCoreApplication::translate("quendle::Buttons", "Cancel")}, AlertStyle::Warning});
        if (answer != kAlertFirstButtonReturn)
            return endRequest();
        mFileManager.trashPath(tested, false);
    }
    return PlanOutcome::Done;
}

ExpansionController::PlanOutcome ExpansionController::endRequest()
{
    // With a window on screen the user goes back to it; with none, the application ends.
    if (anyWindowVisible()) {
        mRequestState = RequestState::Idle;
        return PlanOutcome::RequestEnded;
    }
    mRequestState = RequestState::Ending;
    endRequestAsCancel(mCustomFolderCase);
    return PlanOutcome::ApplicationEnded;
}

void ExpansionController::endRequestAsCancel(bool customFolderCase)
{
    if (customFolderCase)
        mSeam.exitProcess(1);
    else
        mSeam.terminate();
}

void ExpansionController::reportToolCannotStart(const QString& reason)
{
    mRequestState = RequestState::Completing;
    mSeam.runAlert({tr("Cannot Start the Archiver."),
        QStringLiteral("%1\n%2").arg(toolPath(), reason), {QCoreApplication::translate("quendle::Buttons", "OK")}, AlertStyle::Warning});
    if (mExtractProgressWindow)
        mExtractProgressWindow->close();
    if (anyWindowVisible()) {
        mRequestState = RequestState::Idle;
        return;
    }
    // Nothing was expanded: a script sees a failure.
    mRequestState = RequestState::Ending;
    mSeam.terminate(kExitExpansionFailed);
}

} // namespace quendle
