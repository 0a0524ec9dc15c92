// Fuzzes the preference readers: the integer rule against the C library's reading of the same
// text, and the folder forms (a plain path or a file URL, as stored) through a save and a load.
#include "prefs/UserDefaults.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QUrl>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace quendle;

namespace {

// Texts are printed percent-encoded, so that NULs and other invisible characters show.
[[noreturn]] void fail(const char* what, const QString& input, const QString& detail = {})
{
    std::fprintf(stderr, "%s\n  input: %s\n  %s\n", what, input.toUtf8().toPercentEncoding("/:").constData(),
        detail.toUtf8().toPercentEncoding("/:>() -").constData());
    std::abort();
}

// Whether a text can go through a QUrl and come back: no NUL (no path holds one), no unpaired
// surrogate (no file name decoded by Qt holds one), and no Unicode noncharacter, which QUrl
// itself does not carry through a file URL (U+FFFF comes back as three replacement
// characters, U+1FFFE is encoded as half a surrogate pair).
bool survivesQUrl(const QString& text)
{
    if (!text.isValidUtf16())
        return false;
    for (const char32_t c : text.toUcs4()) {
        if (c == 0 || (c & 0xFFFE) == 0xFFFE || (c >= 0xFDD0 && c <= 0xFDEF))
            return false;
    }
    return true;
}

// The same rule read by strtoll for texts the C library reads the same way: ASCII without NUL.
void checkIntegerRule(const QString& text)
{
    const int value = intValue(text);
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() > 0 && c.unicode() < 0x80;
    if (!ascii)
        return;
    const std::string bytes = text.toStdString();
    errno = 0;
    long long expected = std::strtoll(bytes.c_str(), nullptr, 10);
    if (expected > INT_MAX)
        expected = INT_MAX;
    if (expected < INT_MIN)
        expected = INT_MIN;
    if (value != expected)
        fail("intValue differs from strtoll", text, QStringLiteral("intValue %1, strtoll %2").arg(value).arg(expected));
}

// A number stays that number whatever follows it, as long as no digit does.
void checkNumberWithTail(int number, const QString& tail)
{
    if (!tail.isEmpty() && tail.front().isDigit() && tail.front().unicode() < 0x80)
        return;
    const QString text = QStringLiteral(" \t") + QString::number(number) + tail;
    if (intValue(text) != number)
        fail("a stored number reads back as another", text, QString::number(intValue(text)));
}

bool isFolderPath(const QString& path)
{
    return path.startsWith(u'/') && (path == QLatin1String("/") || !path.endsWith(u'/'));
}

// Whatever is stored, a folder read from it is absolute and has no trailing slash, and the
// two ways of reading it (for the flow and for the folder control) agree.
void checkStoredText(const QString& text)
{
    const std::optional<QString> folder = folderPathFromStored(text);
    const std::optional<QUrl> url = urlWithString(text);
    if (folder && !isFolderPath(*folder))
        fail("folderPathFromStored gave something that is not an absolute folder path", text, *folder);
    if (url.has_value() != folder.has_value() && folder)
        fail("a folder was read from a text that gives no URL", text, *folder);
    if (url) {
        const std::optional<QString> viaUrl = folderPathFromUrl(*url);
        if (viaUrl != folder)
            fail("the folder control and the flow read different folders", text,
                viaUrl.value_or(QStringLiteral("(none)")) + QStringLiteral(" / ") + folder.value_or(QStringLiteral("(none)")));
        // Saving the control's URL and reading it back names the same folder (load, save,
        // load again: what a launch that saves the preferences does).
        if (folder && survivesQUrl(text) && survivesQUrl(*folder)) {
            const QString saved = storedFormOf(*url);
            const std::optional<QString> again = folderPathFromStored(saved);
            if (again != folder)
                fail("saving the folder control changes the folder", text,
                    saved + QStringLiteral(" -> ") + again.value_or(QStringLiteral("(none)")));
        }
    }
}

// A folder chosen in the chooser is stored as its file URL; reading it back gives the folder.
// Empty, "." and ".." components are left out: the chooser gives clean paths and a URL may
// normalise them.
void checkChosenFolder(const QString& name)
{
    QString path = u'/' + name;
    if (!survivesQUrl(path))
        return;
    for (const QString& component : path.split(u'/')) {
        if (component == QLatin1String(".") || component == QLatin1String(".."))
            return;
    }
    if (path.contains(QLatin1String("//")))
        return;
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    const QUrl chosen = QUrl::fromLocalFile(path == QLatin1String("/") ? path : path + u'/');
    if (!chosen.isValid())
        return;
    const QString stored = storedFormOf(chosen);
    const std::optional<QString> folder = folderPathFromStored(stored);
    if (folder != path)
        fail("a chosen folder does not read back from its stored URL", path,
            stored + QStringLiteral(" -> ") + folder.value_or(QStringLiteral("(none)")));
    // The plain form (the registered home folder) is the path itself.
    const std::optional<QString> plain = folderPathFromStored(path);
    if (plain != path)
        fail("a plain stored path does not read back as itself", path, plain.value_or(QStringLiteral("(none)")));
}

QString takeText(FuzzedDataProvider& provider)
{
    if (provider.ConsumeBool()) {
        const std::string bytes = provider.ConsumeRandomLengthString(256);
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    }
    // Raw UTF-16, unpaired surrogates and all.
    const std::string bytes = provider.ConsumeRandomLengthString(512);
    return QString(reinterpret_cast<const QChar*>(bytes.data()), qsizetype(bytes.size() / 2));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    const int number = provider.ConsumeIntegral<int>();
    const QString first = takeText(provider);
    const QString second = takeText(provider);

    checkIntegerRule(first);
    checkNumberWithTail(number, second);
    (void)intValue(std::nullopt);
    checkStoredText(first);
    checkStoredText(QStringLiteral("file://") + second);
    checkChosenFolder(second);
    return 0;
}
