// A delegate with scripted answers, temporary folders, and archives made with the real 7-Zip.
#include "support/ExpansionFixture.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace quendle::test {

void ExpansionTest::SetUp()
{
    mOldResourcePath = qgetenv("QUENDLE_RESOURCE_PATH");
    if (sevenZip().isEmpty())
        GTEST_SKIP() << "7-Zip is not installed";
    relaunch();
}

void ExpansionTest::TearDown()
{
    delegate.reset();
    // Windows of a finished test must not count as visible windows in the next one.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    qputenv("QUENDLE_RESOURCE_PATH", mOldResourcePath);
}

void ExpansionTest::relaunch()
{
    delegate.reset();
    defaults = std::make_unique<UserDefaults>();
    QuendleAppDelegate::initialize(*defaults);
    delegate = std::make_unique<QuendleAppDelegate>(seam, *defaults);
    delegate->loadMainInterface();
    QObject::connect(delegate.get(), &QuendleAppDelegate::expansionCompleted, [this] { ++mCompletions; });
}

void ExpansionTest::setPreference(const QString& key, const QString& value)
{
    defaults->setObject(value, key);
    defaults->synchronize();
}

QString ExpansionTest::makeArchive(const QString& name, const Tree& files, const QStringList& extraSwitches)
{
    const QString archive = work() + u'/' + name;
    QString output;
    EXPECT_TRUE(test::makeArchive(archive, files, extraSwitches, &output)) << qPrintable(output);
    return archive;
}

void ExpansionTest::useFakeTool(const QByteArray& script)
{
    const QString tool = mFakeResources.path() + QStringLiteral("/.utility/7z");
    writeFile(tool, "#!/bin/sh\n" + script);
    QFile::setPermissions(tool, QFile::permissions(tool) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    qputenv("QUENDLE_RESOURCE_PATH", QFile::encodeName(mFakeResources.path()));
}

void ExpansionTest::useMissingTool()
{
    qputenv("QUENDLE_RESOURCE_PATH", QFile::encodeName(mFakeResources.path() + QStringLiteral("/nothing-here")));
}

bool ExpansionTest::waitForCompletion(int timeoutMs)
{
    const int before = mCompletions;
    return spinUntil([&] { return mCompletions > before; }, timeoutMs);
}

void ExpansionTest::typePasswordAndPressOk(const QString& password)
{
    passwordWindow()->findChild<QLineEdit*>(QStringLiteral("mPasswdField"))->setText(password);
    passwordWindow()->findChild<QPushButton*>(QStringLiteral("mOkButtonPasswordWindow"))->click();
}

bool ExpansionTest::wrongPasswordNoticeShown() const
{
    return !passwordWindow()->findChild<QLabel*>(QStringLiteral("mBottomTextOnPasswordWindow"))->isHidden();
}

} // namespace quendle::test
