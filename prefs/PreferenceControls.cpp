// The main window's preference controls: loaded from the settings, written back at once.
#include "prefs/PreferenceControls.h"

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

PreferenceControls::PreferenceControls(
    Seam& seam, UserDefaults& defaults, const PreferenceOutlets& outlets, QObject* parent)
    : QObject(parent)
    , mSeam(seam)
    , mDefaults(defaults)
    , mOutlets(outlets)
{
}

void PreferenceControls::loadPreferenceControls()
{
    mOutlets.mIsUsedCustomFolder->setCheckState(usesCustomFolder(mDefaults) ? Qt::Checked : Qt::Unchecked);
    // The box shows the stored integer, not revealsInFileManager: a stored 2 shows checked
    // though only 1 reveals, and saving turns it into 1.
    mOutlets.mIsUSedRevealInFinder->setCheckState(checkStateOf(intValue(mDefaults.stringForKey(keys::IsRevealInFinder))));
    // An index the pop-up has no item for selects nothing.
    mOutlets.mActionAfterExpanding->setCurrentIndex(intValue(mDefaults.stringForKey(keys::ActionAfterExpanding)));
    const std::optional<QString> folder = mDefaults.stringForKey(keys::CustomFolder);
    const std::optional<QUrl> url = folder ? urlWithString(*folder) : std::nullopt;
    mOutlets.mCustomFolder->setUrl(url.value_or(QUrl()));
    // Each change is stored at once.
    connect(mOutlets.mCustomFolder, &PathControl::doubleClicked, this, &PreferenceControls::pathControlDoubleClick,
        Qt::UniqueConnection);
    connect(mOutlets.mIsUsedCustomFolder, &QCheckBox::clicked, this, &PreferenceControls::changePreferences,
        Qt::UniqueConnection);
    connect(mOutlets.mIsUSedRevealInFinder, &QCheckBox::clicked, this, &PreferenceControls::changePreferences,
        Qt::UniqueConnection);
    connect(mOutlets.mActionAfterExpanding, &QComboBox::activated, this, &PreferenceControls::changePreferences,
        Qt::UniqueConnection);
}

void PreferenceControls::changePreferences()
{
    mDefaults.setObject(QString::number(mOutlets.mIsUsedCustomFolder->isChecked() ? 1 : 0), keys::IsUsedCustomFolder);
    mDefaults.setObject(QString::number(mOutlets.mIsUSedRevealInFinder->isChecked() ? 1 : 0), keys::IsRevealInFinder);
    mDefaults.setObject(QString::number(mOutlets.mActionAfterExpanding->currentIndex()), keys::ActionAfterExpanding);
    // With no folder in the control, the stored one stays as it is.
    if (!mOutlets.mCustomFolder->url().isEmpty())
        mDefaults.setObject(storedFormOf(mOutlets.mCustomFolder->url()), keys::CustomFolder);
    mDefaults.synchronize();
}

void PreferenceControls::pathControlDoubleClick()
{
    const std::optional<QStringList> chosen = mSeam.runOpenPanel(folderChooserPanel());
    if (!chosen || chosen->isEmpty())
        return;
    mOutlets.mCustomFolder->setURL(chosen->first());
    mDefaults.setObject(storedFormOf(mOutlets.mCustomFolder->url()), keys::CustomFolder);
    mDefaults.synchronize();
}

} // namespace quendle
