// A delegate with scripted answers, temporary folders, and archives made with the real 7-Zip.
#pragma once

#include "app/QuendleAppDelegate.h"
#include "prefs/UserDefaults.h"
#include "support/QtPrinters.h"
#include "support/ScriptedSeam.h"
#include "support/TestEnvironment.h"

#include <QByteArray>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>

namespace quendle::test {

class ExpansionTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds a fresh delegate (as a new launch would) over the same settings file.
    void relaunch();
    void setPreference(const QString& key, const QString& value);

    // Makes an archive in the work folder from relative paths and contents ("dir/" for a folder).
    QString makeArchive(const QString& name, const Tree& files, const QStringList& extraSwitches = {});
    QString work() const { return mWork.path(); }

    // Replaces the archiver with a script (the body of a /bin/sh script) for this test.
    void useFakeTool(const QByteArray& script);
    // No archiver at all at the tool path.
    void useMissingTool();

    // Runs the event loop until the expansion has completed; false on time-out.
    bool waitForCompletion(int timeoutMs = 60000);

    QDialog* passwordWindow() const { return delegate->passwordWindow(); }
    void typePasswordAndPressOk(const QString& password);
    bool wrongPasswordNoticeShown() const;

    TemporaryHome mHome;
    ScriptedSeam seam;
    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<QuendleAppDelegate> delegate;
    int mCompletions = 0;

private:
    QTemporaryDir mWork;
    QTemporaryDir mFakeResources;
    QByteArray mOldResourcePath;
};

} // namespace quendle::test
