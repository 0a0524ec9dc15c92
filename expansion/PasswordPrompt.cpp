// The password window of an encrypted archive: each OK verifies the password with a listing.
#include "expansion/ExpansionController.h"

#include "platform/Paths.h"
#include "platform/Seam.h"
#include "progress/ExtractingProgressWindow.h"
#include "views/WindowSetup.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quendle {

void ExpansionController::showPasswordWindow()
{
    // Without a display the terminal answers for the window, as often as a password is refused.
    while (mRequestState == RequestState::WaitingForPassword) {
        const Seam::PasswordReply reply = mSeam.askPasswordWithoutWindow(mPassword.mTopTextOnPasswordWindow->text());
        if (reply.kind == Seam::PasswordReply::ShowWindow)
            break;
        if (reply.kind == Seam::PasswordReply::Cancelled) {
            clickOnButtonPasswordWindow(mPassword.mCnlButtonPasswordWindow);
            return;
        }
        mPassword.mPasswdField->setText(reply.password);
        clickOnButtonPasswordWindow(mPassword.mOkButtonPasswordWindow);
    }
    if (mRequestState != RequestState::WaitingForPassword)
        return;
    mPassword.mPasswordWindow->show();
    mPassword.mPasswordWindow->raise();
    mPassword.mPasswordWindow->activateWindow();
    mPassword.mPasswdField->setFocus();
}

void ExpansionController::passwordWindowClosed()
{
    // Escape, the window's close button or any other way the window goes: like its close
    // button, the application quits unless another window is left.
    // A password still being checked is dropped with the window.
    if (mRequestState == RequestState::WaitingForPassword || mRequestState == RequestState::Planning)
        moveTo(RequestState::Idle);
    if (anotherWindowVisible(mPassword.mPasswordWindow))
        return;
    moveTo(RequestState::Ending);
    mSeam.terminate();
}

void ExpansionController::clickOnButtonPasswordWindow(QObject* sender)
{
    if (sender != mPassword.mOkButtonPasswordWindow) {
        moveTo(RequestState::Ending);
        mSeam.terminate();
        return;
    }
    if (mRequestState != RequestState::WaitingForPassword)
        return; // no archive is waiting for a password

    moveTo(RequestState::Planning);
    const QString password = mPassword.mPasswdField->text();
    // A second press while the password is being checked has nothing to add.
    mPassword.mOkButtonPasswordWindow->setEnabled(false);
    const std::optional<ListingRun> checked = listOffThread(mRequest.archivePath, password);
    mPassword.mOkButtonPasswordWindow->setEnabled(true);
    // The application is quitting, or the window was closed (or cancelled) during the check.
    if (!checked || mRequestState != RequestState::Planning)
        return;
    const ListingRun& verifying = *checked;
    if (!verifying.started) {
        mPassword.mPasswordWindow->hide();
        reportToolCannotStart(verifying.error);
        return;
    }
    if (verifying.listing.isWrongPassword) {
        // Nothing has been extracted yet, so nothing is moved to the Trash: whatever lies at
        // the destination is the user's own. The refused text is selected so that typing
        // starts a fresh try.
        moveTo(RequestState::WaitingForPassword);
        mPassword.mBottomTextOnPasswordWindow->setHidden(false);
        mPassword.mPasswdField->selectAll();
        mPassword.mPasswdField->setFocus();
        return;
    }

    mPassword.mPasswordWindow->hide();
    mPassword.mBottomTextOnPasswordWindow->setHidden(true);
    // An archive whose names were hidden until now (encrypted headers) is planned again from
    // what the password revealed, with the same prompts, before anything is extracted.
    if (shapeOf(verifying.listing) != mRequest.shape && planDestination(mRequest.archivePath, verifying.listing) != PlanOutcome::Done)
        return;

    mRequest.amountFiles = verifying.listing.passwordRuleCount();
    mExtractProgressWindow->setMaxValue(double(mRequest.amountFiles));
    mRequest.password = password;
    if (startExtractionRun(200) == RunStart::Started)
        mExtractProgressWindow->showWindow();
}

} // namespace quendle
