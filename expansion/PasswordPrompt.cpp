// The password window of an encrypted archive: each OK verifies the password with a listing.
#include "app/QuendleAppDelegate.h"

#include "platform/Paths.h"
#include "platform/Seam.h"
#include "progress/ExtractingProgressWindow.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quendle {

void QuendleAppDelegate::showPasswordWindow()
{
    // Without a display the terminal answers for the window, as often as a password is refused.
    for (;;) {
        const Seam::PasswordReply reply = mSeam.askPasswordWithoutWindow(mTopTextOnPasswordWindow->text());
        if (reply.kind == Seam::PasswordReply::ShowWindow)
            break;
        if (reply.kind == Seam::PasswordReply::Cancelled) {
            clickOnButtonPasswordWindow(mCnlButtonPasswordWindow);
            return;
        }
        mPasswdField->setText(reply.password);
        clickOnButtonPasswordWindow(mOkButtonPasswordWindow);
        if (mBottomTextOnPasswordWindow->isHidden())
            return;
    }
    mPasswordWindow->show();
    mPasswordWindow->raise();
    mPasswordWindow->activateWindow();
    mPasswdField->setFocus();
}

void QuendleAppDelegate::clickOnButtonPasswordWindow(QObject* sender)
{
    if (sender != mOkButtonPasswordWindow) {
        mSeam.terminate();
        return;
    }
    if (m_mArgs.size() < 2)
        return; // no archive is waiting for a password

    const QString password = mPasswdField->text();
    const ListingRun verifying = listArchive(toolPath(), m_mArgs.at(1), password);
    if (!verifying.started) {
        mPasswordWindow->hide();
        reportToolCannotStart(verifying.error);
        return;
    }
    if (verifying.listing.isWrongPassword) {
        // Nothing has been extracted yet, so nothing is moved to the Trash: whatever lies at
        // the destination is the user's own.
        mBottomTextOnPasswordWindow->setHidden(false);
        return;
    }

    mAmountFilesInArchive = verifying.listing.passwordRuleCount();
    mExtractProgressWindow->setMaxValue(double(mAmountFilesInArchive));
    m_mArgs.append(QStringLiteral("-p") + password);
    if (!startExtractionRun(200, false)) {
        mPasswordWindow->hide();
        reportToolCannotStart(searchTask->launchError());
        return;
    }
    mExtractProgressWindow->showWindow();
    mPasswordWindow->hide();
    mBottomTextOnPasswordWindow->setHidden(true);
}

} // namespace quendle
