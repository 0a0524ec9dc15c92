// Quendle's texts and Qt's own in the user's language, as the locale variables ask for it.
#pragma once

#include <QProcessEnvironment>
#include <QStringList>

#include <memory>
#include <vector>

class QTranslator;

namespace quendle {

// The languages the user reads, most wanted first, as Qt reads them from the environment:
// LANGUAGE's list, then the messages locale (LC_ALL, else LC_MESSAGES, else LANG; not C or
// POSIX), each without its encoding or modifier ("de_DE.UTF-8@euro" is "de_DE"). Empty: English.
QStringList userLanguages(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// The translators of one process: installed for the first of the languages that has a
// translation ("pt_BR" also finds "pt"; English, wherever it comes in the list, ends the
// search with the original texts), removed again when the object goes.
class Translations {
public:
    explicit Translations(const QStringList& languages = userLanguages());
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    // The translation files loaded: Quendle's, then Qt's own; empty in English.
    QStringList loadedFiles() const { return mLoaded; }

    // Where Quendle's translations are: "translations" in the resource folder.
    static QString folder();

private:
    std::vector<std::unique_ptr<QTranslator>> mTranslators;
    QStringList mLoaded;
};

} // namespace quendle
