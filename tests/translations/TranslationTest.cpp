// Quendle in each shipped language: the windows, an alert and --help come out translated; in
// English, and in a language without a translation, every text stays exactly as it was.
#include "app/QuendleAppDelegate.h"
#include "platform/Translations.h"
#include "prefs/UserDefaults.h"
#include "progress/ExtractingProgressWindow.h"
#include "support/Sandbox.h"
#include "support/ScriptedSeam.h"
#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QMap>
#include <QMenu>
#include <QTranslator>

#include <gtest/gtest.h>

#include <memory>

using namespace quendle;
using namespace quendle::test;

namespace {

// Every text of the three windows a user meets, by the object that shows it.
QMap<QString, QString> windowTexts(QWidget* main, QWidget* password, QWidget* progress)
{
    QMap<QString, QString> texts;
    for (QWidget* window : {main, password, progress}) {
        const QString prefix = window->objectName() + u'.';
        texts.insert(prefix + QStringLiteral("windowTitle"), window->windowTitle());
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            const QString name = prefix + widget->objectName();
            if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty())
                texts.insert(name, label->text());
            if (auto* button = qobject_cast<QAbstractButton*>(widget); button && !button->text().isEmpty())
                texts.insert(name, button->text());
            if (auto* box = qobject_cast<QGroupBox*>(widget))
                texts.insert(name, box->title());
            if (auto* combo = qobject_cast<QComboBox*>(widget))
                for (int i = 0; i < combo->count(); ++i)
                    texts.insert(name + u'[' + QString::number(i) + u']', combo->itemText(i));
            if (auto* field = qobject_cast<QLineEdit*>(widget); field && !field->placeholderText().isEmpty())
                texts.insert(name + QStringLiteral(".placeholder"), field->placeholderText());
            if (!widget->toolTip().isEmpty())
                texts.insert(name + QStringLiteral(".toolTip"), widget->toolTip());
            if (!widget->accessibleName().isEmpty())
                texts.insert(name + QStringLiteral(".accessibleName"), widget->accessibleName());
        }
        for (QAction* action : window->findChildren<QAction*>())
            if (!action->text().isEmpty() && !action->objectName().isEmpty())
                texts.insert(prefix + action->objectName(), action->text());
        for (QMenu* menu : window->findChildren<QMenu*>())
            texts.insert(prefix + menu->objectName(), menu->title());
    }
    return texts;
}

class TranslatedWindows : public testing::Test {
protected:
    QMap<QString, QString> textsIn(const QStringList& languages)
    {
        const Translations translations(languages);
        UserDefaults defaults;
        QuendleAppDelegate::initialize(defaults);
        QuendleAppDelegate delegate(mSeam, defaults);
        delegate.loadMainInterface();
        ExtractingProgressWindow progress;
        progress.setMaxValue(3);
        return windowTexts(delegate.mMainWindow(), delegate.passwordWindow(), progress.window());
    }

    TemporaryHome mHome;
    ScriptedSeam mSeam;
};

// The English texts as they have always been; a translation must never change them.
const QMap<QString, QString> kEnglish {
    {QStringLiteral("MainWindow.windowTitle"), QStringLiteral("Quendle")},
    {QStringLiteral("MainWindow.titleLabel"), QStringLiteral("Quendle")},
    {QStringLiteral("MainWindow.subtitleLabel"), QStringLiteral("Open an archive with Quendle, or choose File ▸ Open…, and it is expanded.")},
    {QStringLiteral("MainWindow.preferencesBox"), QStringLiteral("When expanding an archive")},
    {QStringLiteral("MainWindow.mIsUsedCustomFolder"), QStringLiteral("&Expand into this folder:")},
    {QStringLiteral("MainWindow.mIsUsedCustomFolder.toolTip"), QStringLiteral("Expand into the folder on the right instead of beside the archive")},
    {QStringLiteral("MainWindow.mIsUSedRevealInFinder"), QStringLiteral("&Show the expanded item in the file manager")},
    {QStringLiteral("MainWindow.actionLabel"), QStringLiteral("&After expanding:")},
    {QStringLiteral("MainWindow.mActionAfterExpanding[0]"), QStringLiteral("Do nothing")},
    {QStringLiteral("MainWindow.mActionAfterExpanding[1]"), QStringLiteral("Move the expanded item to the Trash")},
    {QStringLiteral("MainWindow.linksBox"), QStringLiteral("Quendle on the web")},
    {QStringLiteral("MainWindow.homePageButton"), QStringLiteral("&Home Page")},
    {QStringLiteral("MainWindow.ticketsButton"), QStringLiteral("Support &Tickets")},
    {QStringLiteral("MainWindow.downloadButton"), QStringLiteral("&Download Vorlith…")},
    {QStringLiteral("MainWindow.downloadButton.toolTip"), QStringLiteral("Download Vorlith, our companion archiver")},
    {QStringLiteral("MainWindow.mBottomText"), QStringLiteral("Drop an archive on Quendle to expand it.")},
    {QStringLiteral("MainWindow.menuFile"), QStringLiteral("&File")},
    {QStringLiteral("MainWindow.actionOpen"), QStringLiteral("&Open…")},
    {QStringLiteral("MainWindow.actionQuit"), QStringLiteral("&Quit")},
    {QStringLiteral("MainWindow.mCustomFolder.accessibleName"), QStringLiteral("Folder to expand into")},
    {QStringLiteral("PasswordWindow.windowTitle"), QStringLiteral("Password")},
    {QStringLiteral("PasswordWindow.mTopTextOnPasswordWindow"), QStringLiteral("Type in password")},
    {QStringLiteral("PasswordWindow.mPasswdField.placeholder"), QStringLiteral("Password")},
    {QStringLiteral("PasswordWindow.mPasswdField.accessibleName"), QStringLiteral("Password")},
    {QStringLiteral("PasswordWindow.mBottomTextOnPasswordWindow"), QStringLiteral("Wrong password. Please try again.")},
    {QStringLiteral("PasswordWindow.mCnlButtonPasswordWindow"), QStringLiteral("Cancel")},
    {QStringLiteral("PasswordWindow.mOkButtonPasswordWindow"), QStringLiteral("OK")},
    {QStringLiteral("ExtractingProgressWindow.windowTitle"), QStringLiteral("Expanding")},
    {QStringLiteral("ExtractingProgressWindow.mExtractIndicator.toolTip"), QStringLiteral("Expanding")},
    {QStringLiteral("ExtractingProgressWindow.mStopButton"), QStringLiteral("Stop")},
    {QStringLiteral("ExtractingProgressWindow.mStopButton.toolTip"), QStringLiteral("Stop expanding (Esc)")},
    {QStringLiteral("ExtractingProgressWindow.determinateBar.accessibleName"), QStringLiteral("Expansion progress")},
};

// English asked for, a language Quendle has no translation for, and no language at all.
TEST_F(TranslatedWindows, StayEnglishWordForWordWithoutATranslation)
{
    for (const QStringList& languages : {QStringList {QStringLiteral("en_GB")}, QStringList {QStringLiteral("it_IT")},
             QStringList {}, QStringList {QStringLiteral("en"), QStringLiteral("de")}}) {
        const QMap<QString, QString> texts = textsIn(languages);
        for (auto it = kEnglish.cbegin(); it != kEnglish.cend(); ++it)
            EXPECT_EQ(texts.value(it.key()), it.value()) << it.key().toStdString() << " in " << languages.join(u':').toStdString();
    }
}

// One text per window in each language, as a native speaker reads it on that desktop.
struct Language {
    const char* code;
    const char* preferencesBox;
    const char* notice;
    const char* stop;
    const char* alert;      // the message of a failed expansion
    const char* ok;         // its only button, as the terminal answer names it
    const char* description; // --help's first lines
};

void PrintTo(const Language& language, std::ostream* out)
{
    *out << language.code;
}

const Language kLanguages[] = {
    {"de", "Beim Entpacken eines Archivs", "Falsches Passwort. Bitte versuchen Sie es erneut.", "Stopp",
        "Das Archiv kann nicht entpackt werden.", "OK",
        "Entpackt ein Archiv an seinem Ort (oder in den im Fenster gewählten Ordner)."},
    {"fr", "Lors de l’extraction d’une archive", "Mot de passe incorrect. Veuillez réessayer.", "Arrêter",
        "Impossible d’extraire l’archive.", "OK", "Extrait une archive à côté d’elle (ou dans le dossier choisi dans sa fenêtre)."},
    {"es", "Al extraer un archivo comprimido", "Contraseña incorrecta. Inténtelo de nuevo.", "Detener",
        "No se puede extraer el archivo comprimido.", "Aceptar",
        "Extrae un archivo comprimido junto a él (o en la carpeta elegida en su ventana)."},
    {"pt_BR", "Ao extrair um arquivo compactado", "Senha incorreta. Tente novamente.", "Parar",
        "Não foi possível extrair o arquivo compactado.", "OK",
        "Extrai um arquivo compactado ao lado dele (ou na pasta escolhida na janela)."},
    {"ru", "При распаковке архива", "Неверный пароль. Попробуйте ещё раз.", "Стоп", "Не удаётся распаковать архив.", "OK",
        "Распаковывает архив рядом с ним (или в папку, выбранную в окне программы)."},
    {"zh_CN", "解压压缩包时", "密码错误，请重试。", "停止", "无法解压压缩包。", "确定", "将压缩包解压到其所在位置（或窗口中选定的文件夹）。"},
    {"ja", "アーカイブの展開時", "パスワードが違います。もう一度入力してください。", "停止", "アーカイブを展開できません。", "OK",
        "アーカイブをその場所（またはウィンドウで選んだフォルダー）に展開します。"},
};

class TranslatedLanguage : public TranslatedWindows, public testing::WithParamInterface<Language> { };

TEST_P(TranslatedLanguage, WindowsSpeakTheLanguageAndEveryTextIsTranslated)
{
    const Language& language = GetParam();
    const QString code = QString::fromLatin1(language.code);
    // As the locale variables name it: with a territory and an encoding.
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("LANG"),
        code.contains(u'_') ? code + QStringLiteral(".UTF-8") : code + u'_' + code.toUpper() + QStringLiteral(".UTF-8"));
    const QMap<QString, QString> texts = textsIn(userLanguages(environment));
    EXPECT_EQ(texts.value(QStringLiteral("MainWindow.preferencesBox")), QString::fromUtf8(language.preferencesBox));
    EXPECT_EQ(texts.value(QStringLiteral("PasswordWindow.mBottomTextOnPasswordWindow")), QString::fromUtf8(language.notice));
    EXPECT_EQ(texts.value(QStringLiteral("ExtractingProgressWindow.mStopButton")), QString::fromUtf8(language.stop));
    // Nothing is left in English but the program's name and the shortcuts.
    for (auto it = kEnglish.cbegin(); it != kEnglish.cend(); ++it) {
        if (it.value() == QLatin1String("Quendle") || it.value() == QLatin1String("OK"))
            continue;
        EXPECT_NE(texts.value(it.key()), it.value()) << it.key().toStdString() << " is still English";
    }
}

// The real program on the command line: --help with Qt's own headings, and an alert.
TEST_P(TranslatedLanguage, HelpAndAlertsOnTheTerminalSpeakTheLanguage)
{
    const Language& language = GetParam();
    Sandbox box;
    ASSERT_TRUE(box.isValid());
    RunOptions options;
    options.environment = {{QStringLiteral("LANGUAGE"), QString::fromLatin1(language.code)}, {QStringLiteral("LANG"), QStringLiteral("C.UTF-8")}};

    const QuendleRun help = runQuendle(box, {QStringLiteral("--help")}, options);
    ASSERT_TRUE(help.ok()) << qPrintable(help.describe());
    EXPECT_TRUE(help.out.contains(QString::fromUtf8(language.description))) << qPrintable(help.out);
    QTranslator qt;
    if (qt.load(QStringLiteral("qtbase_") + QString::fromLatin1(language.code), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        const QString options = qt.translate("QCommandLineParser", "Options:");
        ASSERT_FALSE(options.isEmpty());
        EXPECT_TRUE(help.out.contains(options)) << "Qt's own heading is not translated\n" << qPrintable(help.out);
    }

    const QString archive = box.work() + QStringLiteral("/notes.7z");
    writeFile(archive, "not an archive at all\n");
    box.writePreferencesBeside();
    const QuendleRun run = runQuendle(box, {archive}, options);
    ASSERT_TRUE(run.finished && !run.crashed) << qPrintable(run.describe());
    EXPECT_EQ(run.exitCode, 2) << qPrintable(run.describe());
    const QStringList lines = run.err.split(u'\n');
    EXPECT_TRUE(lines.contains(QString::fromUtf8(language.alert))) << qPrintable(run.err);
    EXPECT_FALSE(run.err.contains(QLatin1String("Cannot Expand Archive."))) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains(u'"' + QString::fromUtf8(language.ok) + u'"')
        || run.err.contains(QString::fromUtf8(language.ok)))
        << qPrintable(run.err);
}

INSTANTIATE_TEST_SUITE_P(Shipped, TranslatedLanguage, testing::ValuesIn(kLanguages),
    [](const auto& info) { return std::string(info.param.code); });

// Which languages the locale variables ask for, most wanted first.
struct Locale {
    QMap<QString, QString> environment;
    QStringList languages;
};

TEST(UserLanguages, FollowLanguageThenTheMessagesLocale)
{
    const Locale cases[] = {
        {{}, {}},
        {{{"LANG", "C"}}, {}},
        {{{"LANG", "POSIX"}}, {}},
        {{{"LANG", "de_DE.UTF-8"}}, {"de_DE"}},
        {{{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "fr_FR.UTF-8"}}, {"fr_FR"}},
        {{{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "fr_FR.UTF-8"}, {"LC_ALL", "ru_RU.UTF-8"}}, {"ru_RU"}},
        {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "pt_BR:pt:en"}}, {"pt_BR", "pt", "en", "de_DE"}},
        {{{"LANG", "C.UTF-8"}, {"LANGUAGE", "ja"}}, {"ja"}},
        {{{"LANG", "sr_RS.UTF-8@latin"}}, {"sr_RS"}},
    };
    for (const Locale& c : cases) {
        QProcessEnvironment environment;
        for (auto it = c.environment.cbegin(); it != c.environment.cend(); ++it)
            environment.insert(it.key(), it.value());
        EXPECT_EQ(userLanguages(environment), c.languages) << environment.toStringList().join(u' ').toStdString();
    }
}

// The first language with a translation wins; English anywhere before it keeps the original.
TEST(Translations, TakeTheFirstLanguageThatHasOne)
{
    const struct {
        QStringList languages;
        QString file; // Quendle's, empty for none
    } cases[] = {
        {{QStringLiteral("it"), QStringLiteral("de_AT")}, QStringLiteral("quendle_de.qm")},
        {{QStringLiteral("pt_BR")}, QStringLiteral("quendle_pt_BR.qm")},
        {{QStringLiteral("pt_PT")}, QString()},
        {{QStringLiteral("zh_CN")}, QStringLiteral("quendle_zh_CN.qm")},
        {{QStringLiteral("en_US"), QStringLiteral("de")}, QString()},
        {{QStringLiteral("it")}, QString()},
    };
    for (const auto& c : cases) {
        const Translations translations(c.languages);
        const QStringList own = translations.loadedFiles().filter(QStringLiteral("/quendle_"));
        if (c.file.isEmpty())
            EXPECT_TRUE(own.isEmpty()) << c.languages.join(u':').toStdString();
        else
            EXPECT_EQ(own, QStringList {Translations::folder() + u'/' + c.file}) << c.languages.join(u':').toStdString();
    }
}

} // namespace
