// The main window's preference controls: loaded from the settings, written back at once.
#include "app/QuendleAppDelegate.h"

#include "platform/Seam.h"
#include "prefs/PathControl.h"
#include "prefs/UserDefaults.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>

namespace quendle {

namespace {

Qt::CheckState checkStateOf(int value)
{
    return value == 0 ? Qt::Unchecked : Qt::Checked;
}

} // namespace

void QuendleAppDelegate::loadPreferenceControls()
{
    mIsUsedCustomFolder->setCheckState(usesCustomFolder(mDefaults) ? Qt::Checked : Qt::Unchecked);
    // The box shows the stored integer, not revealsInFileManager: a stored 2 shows checked
    // though only 1 reveals, and saving turns it into 1.
    mIsUSedRevealInFinder->setCheckState(checkStateOf(intValue(mDefaults.stringForKey(keys::IsRevealInFinder))));
    // An index the pop-up has no item for selects nothing.
    mActionAfterExpanding->setCurrentIndex(intValue(mDefaults.stringForKey(keys::ActionAfterExpanding)));
    const std::optional<QString> folder = mDefaults.stringForKey(keys::CustomFolder);
    const std::optional<QUrl> url = folder ? urlWithString(*folder) : std::nullopt;
    mCustomFolder->setUrl(url.value_or(QUrl()));
    connect(mCustomFolder, &PathControl::doubleClicked, this, &QuendleAppDelegate::pathControlDoubleClick,
        Qt::UniqueConnection);
}

void QuendleAppDelegate::changePreferences()
{
    mDefaults.setObject(QString::number(mIsUsedCustomFolder->isChecked() ? 1 : 0), keys::IsUsedCustomFolder);
    mDefaults.setObject(QString::number(mIsUSedRevealInFinder->isChecked() ? 1 : 0), keys::IsRevealInFinder);
    mDefaults.setObject(QString::number(mActionAfterExpanding->currentIndex()), keys::ActionAfterExpanding);
    // With no folder in the control, the stored one stays as it is.
    if (!mCustomFolder->url().isEmpty())
        mDefaults.setObject(storedFormOf(mCustomFolder->url()), keys::CustomFolder);
    mDefaults.synchronize();
}

void QuendleAppDelegate::pathControlDoubleClick()
{
    const std::optional<QStringList> chosen = mSeam.runOpenPanel(folderChooserPanel());
    if (!chosen || chosen->isEmpty())
        return;
    mCustomFolder->setURL(chosen->first());
    mDefaults.setObject(storedFormOf(mCustomFolder->url()), keys::CustomFolder);
    mDefaults.synchronize();
}

} // namespace quendle
