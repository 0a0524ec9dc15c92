// Finding and installing the translations for the languages the user reads.
#include "platform/Translations.h"

#include "platform/Paths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace quendle {

namespace {

// "de_DE.UTF-8@euro" → "de_DE".
QString withoutEncoding(QString name)
{
    name = name.section(u'@', 0, 0);
    return name.section(u'.', 0, 0);
}

bool isEnglish(const QString& language)
{
    return language == QLatin1String("en") || language.startsWith(QLatin1String("en_"));
}

// The file PREFIX_LANGUAGE.qm in folder for the first language that has one, trying each
// language and then its bare language code; empty when English comes first or none is there.
QString firstTranslation(const QString& folder, const QString& prefix, const QStringList& languages)
{
    for (const QString& language : languages) {
        if (isEnglish(language))
            return {};
        QStringList tried {language};
        if (language.contains(u'_'))
            tried << language.section(u'_', 0, 0);
        for (const QString& name : tried) {
            const QString file = folder + u'/' + prefix + u'_' + name + QStringLiteral(".qm");
            if (QFileInfo(file).isFile())
                return file;
        }
    }
    return {};
}

} // namespace

QStringList userLanguages(const QProcessEnvironment& environment)
{
    QString messages;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        messages = environment.value(QString::fromLatin1(variable));
        if (!messages.isEmpty())
            break;
    }
    messages = withoutEncoding(messages);
    QStringList languages;
    for (const QString& language : environment.value(QStringLiteral("LANGUAGE")).split(u':', Qt::SkipEmptyParts))
        languages << withoutEncoding(language);
    if (!messages.isEmpty() && messages != QLatin1String("C") && messages != QLatin1String("POSIX"))
        languages << messages;
    languages.removeDuplicates();
    return languages;
}

QString Translations::folder()
{
    return resourcePath() + QStringLiteral("/translations");
}

Translations::Translations(const QStringList& languages)
{
    // Qt's own texts (the buttons and titles of its dialogs, --help's headings) come with
    // Qt's translations, which the desktop installs apart from Quendle.
    const QString own = firstTranslation(folder(), QStringLiteral("quendle"), languages);
    const QString qt = firstTranslation(QLibraryInfo::path(QLibraryInfo::TranslationsPath), QStringLiteral("qtbase"), languages);
    for (const QString& file : {own, qt}) {
        if (file.isEmpty())
            continue;
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(file) || !QCoreApplication::installTranslator(translator.get()))
            continue;
        mLoaded << file;
        mTranslators.push_back(std::move(translator));
    }
}

Translations::~Translations()
{
    for (const auto& translator : mTranslators)
        QCoreApplication::removeTranslator(translator.get());
}

} // namespace quendle
