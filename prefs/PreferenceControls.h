// The main window's preference controls: loaded from the settings, written back at once.
#pragma once

#include <QObject>

class QCheckBox;
class QComboBox;

namespace quendle {

class PathControl;
class Seam;
class UserDefaults;

// The controls of the main window that show the preferences; the window owns them.
struct PreferenceOutlets {
    QCheckBox* mIsUsedCustomFolder = nullptr;
    QCheckBox* mIsUSedRevealInFinder = nullptr;
    QComboBox* mActionAfterExpanding = nullptr;
    PathControl* mCustomFolder = nullptr;
};

class PreferenceControls : public QObject {
    Q_OBJECT
public:
    PreferenceControls(Seam& seam, UserDefaults& defaults, const PreferenceOutlets& outlets, QObject* parent = nullptr);

    // Shows the stored preferences and connects the controls, whose changes are stored at once.
    void loadPreferenceControls();
    void changePreferences();
    // The folder control's double click: a folder chooser, whose choice is stored at once.
    void pathControlDoubleClick();

private:
    Seam& mSeam;
    UserDefaults& mDefaults;
    PreferenceOutlets mOutlets;
};

} // namespace quendle
