// The one door through which an archive enters an expansion, and the replace prompt.
#include "app/QuendleAppDelegate.h"

#include "app/WindowSetup.h"
#include "expansion/Planning.h"
#include "platform/Paths.h"
#include "platform/Seam.h"
#include "platform/StartupTrace.h"
#include "prefs/UserDefaults.h"
#include "progress/ExtractingProgressWindow.h"
#include "trash/FileManager.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace quendle {

bool QuendleAppDelegate::applicationOpenFile(const QString& path)
{
    // 1. The password window is prepared whatever follows.
    setContentBorderThickness(mPasswordWindow, 20);
    centerOnScreen(mPasswordWindow);
    mTopTextOnPasswordWindow->setText(QStringLiteral("Type in password for %1").arg(fileNameOfPath(path)));

    // 2. One expansion at a time.
    if (mExtractTimer()) {
        mSeam.runAlert({QStringLiteral("Quendle."),
            QStringLiteral("Quendle extracts some archive. Please, wait for end of the operation and try again."),
            {QStringLiteral("OK")}, AlertStyle::Warning});
        return true;
    }

    // 3, 4. Taken; list it.
    isOpenfromFinder = true;
    traceStep("password window prepared");
    const ListingRun opening = listArchive(toolPath(), path, std::nullopt);
    traceStep("opening listing");
    if (!opening.started) {
        // Nothing can be listed or extracted: say so before anything is planned or replaced.
        mCustomFolderCase = intValue(mDefaults.stringForKey(keys::IsUsedCustomFolder)) != 0;
        reportToolCannotStart(opening.error);
        return true;
    }

    // 5, 6. A new progress window for this request, loaded but not shown.
    mAmountFilesInArchive = 0;
    mExtractProgressWindow = std::make_unique<ExtractingProgressWindow>();
    mExtractProgressWindow->setDelegate(this);
    centerOnScreen(mExtractProgressWindow->window());
    mExtractProgressWindow->setTitle(QStringLiteral("Extracting %1").arg(fileNameOfPath(path)));

    // 7. What the listing says.
    mAmountFilesInArchive = opening.listing.amountFiles;
    mArchivePath = path;
    mPathToExtract = pathLessExtension(path);

    // 8. Where it goes; the replace prompt may end the request here.
    const PlanOutcome outcome = planDestination(path, opening.listing.topLevelName);
    if (outcome != PlanOutcome::Done)
        return true;

    // 9. An encrypted archive waits for its password.
    if (opening.listing.isEncrypted) {
        showPasswordWindow();
        return true;
    }

    // 10. Extract.
    mExtractProgressWindow->setMaxValue(double(mAmountFilesInArchive));
    mExtractProgressWindow->showWindow();
    traceStep("planned, progress window shown");
    if (!startExtractionRun(50, true))
        reportToolCannotStart(searchTask->launchError());
    return true;
}

QuendleAppDelegate::PlanOutcome QuendleAppDelegate::planDestination(
    const QString& archivePath, const std::optional<QString>& topLevelName)
{
    std::optional<QString> customFolder;
    if (intValue(mDefaults.stringForKey(keys::IsUsedCustomFolder)) != 0) {
        // A folder text that names nothing usable leaves the contents beside the archive.
        customFolder = folderPathFromStored(mDefaults.stringForKey(keys::CustomFolder));
    }
    const DestinationPlan plan = quendle::planDestination(archivePath, topLevelName, customFolder);
    mCustomFolderCase = plan.customFolder;
    setWhatToShow(plan.whatToShow);
    setMArgs(plan.arguments);
    mExtractProgressWindow->setBottomText(plan.destination);

    if (plan.testedPath.isEmpty() || !QFileInfo::exists(plan.testedPath))
        return PlanOutcome::Done;

    const int answer = mSeam.runAlert({QStringLiteral("An item named \"%1\" already exists.").arg(plan.testedPath),
        QStringLiteral("Do you want to replace it with the one you\u2019re extracting?"),
        {QStringLiteral("OK"), QStringLiteral("Cancel")}, AlertStyle::Warning});
    if (answer == kAlertFirstButtonReturn) {
        mFileManager->trashPath(plan.testedPath, false);
        return PlanOutcome::Done;
    }
    endRequestAsCancel(plan.customFolder);
    bool anyVisible = false;
    for (QWidget* window : QApplication::topLevelWidgets())
        anyVisible = anyVisible || window->isVisible();
    return anyVisible ? PlanOutcome::RequestEnded : PlanOutcome::ApplicationEnded;
}

void QuendleAppDelegate::endRequestAsCancel(bool customFolderCase)
{
    // With a window on screen the user goes back to it; with none, the application ends.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            return;
    }
    if (customFolderCase)
        mSeam.exitProcess(1);
    else
        mSeam.terminate();
}

void QuendleAppDelegate::reportToolCannotStart(const QString& reason)
{
    mSeam.runAlert({QStringLiteral("Cannot Start the Archiver."),
        QStringLiteral("%1\n%2").arg(toolPath(), reason), {QStringLiteral("OK")}, AlertStyle::Warning});
    if (mExtractProgressWindow)
        mExtractProgressWindow->close();
    endRequestAsCancel(mCustomFolderCase);
}

} // namespace quendle
