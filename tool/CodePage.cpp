// Legacy zip names: the locale's OEM code page, decoding with the system's iconv, and renaming
// what 7-Zip wrote under the stored bytes.
#include "tool/CodePage.h"

#include "base/ByteStream.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <iconv.h>
#include <uchardet/uchardet.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quendle::adapter {

namespace {

struct LanguagePage {
    const char* language;
    int codePage;
};

// The OEM code pages of Windows by language. Not here: languages whose page the system cannot
// convert (Arabic's 720) and those whose page depends on more than the language.
constexpr LanguagePage kPages[] = {
    {"af", 850}, {"ca", 850}, {"da", 850}, {"de", 850}, {"en", 850}, {"es", 850}, {"eu", 850},
    {"fi", 850}, {"fo", 850}, {"fr", 850}, {"ga", 850}, {"gl", 850}, {"id", 850}, {"is", 850},
    {"it", 850}, {"ms", 850}, {"nb", 850}, {"nl", 850}, {"nn", 850}, {"no", 850}, {"pt", 850},
    {"sv", 850}, {"sw", 850},
    {"bs", 852}, {"cs", 852}, {"hr", 852}, {"hu", 852}, {"pl", 852}, {"ro", 852}, {"sk", 852},
    {"sl", 852}, {"sq", 852},
    {"be", 866}, {"bg", 866}, {"kk", 866}, {"ky", 866}, {"mk", 866}, {"mn", 866}, {"ru", 866},
    {"tg", 866}, {"tt", 866}, {"uk", 866},
    {"sr", 855},
    {"el", 737}, {"az", 857}, {"tr", 857}, {"he", 862}, {"et", 775}, {"lt", 775}, {"lv", 775},
    {"ja", 932}, {"ko", 949}, {"th", 874}, {"vi", 1258}, {"zh", 936},
};

} // namespace

int oemCodePage(std::string_view locale)
{
    // language[_territory][.codeset][@modifier]
    const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
    std::string_view territory;
    if (const std::size_t underscore = locale.find('_'); underscore != std::string_view::npos) {
        territory = locale.substr(underscore + 1);
        territory = territory.substr(0, territory.find_first_of(".@"));
    }
    const bool latin = locale.find("@latin") != std::string_view::npos;

    if (language == "en" && (territory.empty() || territory == "US"))
        return 437;
    if (language == "zh" && (territory == "TW" || territory == "HK" || territory == "MO"))
        return 950;
    if (language == "sr" && latin)
        return 852;
    for (const LanguagePage& page : kPages) {
        if (language == page.language)
            return page.codePage;
    }
    return 437;
}

int oemCodePageFromEnvironment()
{
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return oemCodePage(value);
    }
    return 437;
}

std::optional<int> detectCodePage(const std::vector<std::string>& names)
{
    // libuchardet's names for the pages it is right about on a handful of file names, and the
    // code page each stands for (a page that holds the detected one, as Windows wrote them).
    static constexpr std::pair<std::string_view, int> kTrusted[] = {{"IBM866", 866}, {"IBM855", 855},
        {"WINDOWS-1251", 1251}, {"SHIFT_JIS", 932}, {"GB18030", 936}, {"BIG5", 950}, {"UHC", 949},
        {"EUC-KR", 949}, {"TIS-620", 874}};
    // What a judgement needs at most; more names only take longer.
    constexpr std::size_t kEnough = 1 << 16;
    uchardet_t detector = uchardet_new();
    if (!detector)
        return std::nullopt;
    std::size_t fed = 0;
    for (const std::string& name : names) {
        if (fed >= kEnough)
            break;
        uchardet_handle_data(detector, name.data(), name.size());
        uchardet_handle_data(detector, "\n", 1);
        fed += name.size() + 1;
    }
    uchardet_data_end(detector);
    const std::string_view charset = uchardet_get_charset(detector);
    std::optional<int> page;
    for (const auto& [name, codePage] : kTrusted) {
        if (charset == name)
            page = codePage;
    }
    uchardet_delete(detector);
    // A page that cannot read every name is not the one they were written in.
    for (const std::string& name : names) {
        if (page && !decodePath(name, *page))
            return std::nullopt;
    }
    return page;
}

bool isUtf8(std::string_view bytes)
{
    base::Utf8Check check;
    for (const char c : bytes) {
        if (check.step(static_cast<unsigned char>(c)) == base::Utf8Check::Byte::Invalid)
            return false;
    }
    return check.pending() == 0;
}

std::optional<std::string> decodeCodePage(std::string_view bytes, int codePage)
{
    // One converter serves a whole listing: opening one costs more than a name.
    static int openPage = 0;
    static iconv_t converter = iconv_t(-1);
    if (openPage != codePage) {
        if (converter != iconv_t(-1))
            iconv_close(converter);
        converter = iconv_open("UTF-8", ("CP" + std::to_string(codePage)).c_str());
        openPage = codePage;
    }
    if (converter == iconv_t(-1))
        return std::nullopt;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    std::string in(bytes);
    std::string out(bytes.size() * 4 + 4, '\0');
    char* inAt = in.data();
    std::size_t inLeft = in.size();
    char* outAt = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = iconv(converter, &inAt, &inLeft, &outAt, &outLeft);
    if (result == std::size_t(-1) || inLeft != 0)
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

std::optional<std::string> decodePath(std::string_view stored, int codePage)
{
    std::string decoded;
    while (true) {
        const std::size_t slash = stored.find('/');
        const std::optional<std::string> component = decodeCodePage(stored.substr(0, slash), codePage);
        if (!component || component->find('/') != std::string::npos)
            return std::nullopt;
        decoded += *component;
        if (slash == std::string_view::npos)
            return decoded;
        decoded += '/';
        stored.remove_prefix(slash + 1);
    }
}

std::optional<std::string> backslashesAsFolders(std::string_view decoded)
{
    std::string path(decoded);
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
    // A folder's own trailing separator is no component.
    std::string_view rest = path;
    if (rest.ends_with('/'))
        rest.remove_suffix(1);
    while (true) {
        const std::size_t slash = rest.find('/');
        const std::string_view component = rest.substr(0, slash);
        if (component.empty() || component == "." || component == "..")
            return std::nullopt;
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    return path;
}

// ---------------------------------------------------------------------------------------------

namespace {

std::vector<std::string> componentsOf(std::string_view path)
{
    std::vector<std::string> components;
    while (true) {
        const std::size_t slash = path.find('/');
        components.emplace_back(path.substr(0, slash));
        if (slash == std::string_view::npos)
            return components;
        path.remove_prefix(slash + 1);
    }
}

bool isDirectory(const struct stat& info)
{
    return S_ISDIR(info.st_mode);
}

// Moves from over to, as an extraction that overwrites would have left it.
void moveOver(const std::string& from, const std::string& to)
{
    struct stat source {};
    struct stat target {};
    if (lstat(from.c_str(), &source) != 0)
        return;
    if (lstat(to.c_str(), &target) != 0) {
        rename(from.c_str(), to.c_str());
        return;
    }
    if (isDirectory(target)) {
        if (!isDirectory(source))
            return; // a file never replaces a whole folder
        DIR* folder = opendir(from.c_str());
        if (!folder)
            return;
        std::vector<std::string> children;
        while (const dirent* entry = readdir(folder)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                children.emplace_back(name);
        }
        closedir(folder);
        for (const std::string& child : children)
            moveOver(from + '/' + child, to + '/' + child);
        rmdir(from.c_str());
        return;
    }
    if (isDirectory(source))
        return; // nor does a folder replace a file
    rename(from.c_str(), to.c_str());
}

} // namespace

void applyDecodedNames(const std::string& destination, const std::vector<NameChange>& changes)
{
    for (const NameChange& change : changes) {
        const std::vector<std::string> stored = componentsOf(change.stored);
        const std::vector<std::string> decoded = componentsOf(change.decoded);
        if (stored.size() != decoded.size())
            continue;
        bool safe = true;
        for (const std::string& component : stored)
            safe = safe && !component.empty() && component != "." && component != "..";
        if (!safe)
            continue;
        std::string parent = destination;
        for (std::size_t k = 0; k < stored.size(); ++k) {
            if (stored[k] != decoded[k])
                moveOver(parent + '/' + stored[k], parent + '/' + decoded[k]);
            parent += '/' + decoded[k];
        }
        if (!change.backslashFolders)
            continue;
        const std::optional<std::string> split = backslashesAsFolders(change.decoded);
        if (!split || *split == change.decoded)
            continue;
        std::string target = *split;
        while (target.ends_with('/'))
            target.pop_back();
        // The folders the backslashes name; one that cannot be made leaves the item as it is.
        std::string folder = destination;
        const std::vector<std::string> components = componentsOf(target);
        bool made = true;
        for (std::size_t k = 0; made && k + 1 < components.size(); ++k) {
            folder += '/' + components[k];
            struct stat info {};
            made = (mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST) && stat(folder.c_str(), &info) == 0
                && S_ISDIR(info.st_mode);
        }
        if (made && target != change.decoded)
            moveOver(destination + '/' + change.decoded, destination + '/' + target);
    }
}

} // namespace quendle::adapter
