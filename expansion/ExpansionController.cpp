// The expansion's life: what it owns, and how it goes when the application does.
#include "expansion/ExpansionController.h"

#include "core/ProgressCounter.h"
#include "platform/Seam.h"
#include "progress/ExtractingProgressWindow.h"

#include <QDialog>
#include <QPushButton>

namespace quendle {

ExpansionController::ExpansionController(Seam& seam, UserDefaults& defaults, FileManager& fileManager, QObject* parent)
    : QObject(parent)
    , mSeam(seam)
    , mDefaults(defaults)
    , mFileManager(fileManager)
{
}

ExpansionController::~ExpansionController()
{
    // A run still going when the application goes away: the archiver is stopped (killed if it
    // must be) so that the waiter returns; the waiter is joined before the wrapper it waits on
    // goes, since it may not have begun to wait yet.
    if (searchTask)
        searchTask->stopAndReap();
    if (mWaiter.joinable())
        mWaiter.join();
    searchTask.reset();
}

bool ExpansionController::moveTo(RequestState next)
{
    const RequestState from = mRequestState;
    if (from == next)
        return true;
    if (!isAllowedMove(from, next)) {
        mSeam.log(QStringLiteral("a request cannot move from state %1 to %2").arg(int(from)).arg(int(next)));
        return false;
    }
    mRequestState = next;
    emit requestStateChanged(from, next);
    return true;
}

void ExpansionController::setPasswordWindow(const PasswordWindowOutlets& outlets)
{
    mPassword = outlets;
    connect(mPassword.mOkButtonPasswordWindow, &QPushButton::clicked, this,
        [this] { clickOnButtonPasswordWindow(mPassword.mOkButtonPasswordWindow); });
    connect(mPassword.mCnlButtonPasswordWindow, &QPushButton::clicked, this,
        [this] { clickOnButtonPasswordWindow(mPassword.mCnlButtonPasswordWindow); });
    // The password window goes by many ways (its close button, Escape, a window manager's
    // close): each ends the same.
    connect(mPassword.mPasswordWindow, &QDialog::rejected, this, &ExpansionController::passwordWindowClosed);
}

} // namespace quendle
