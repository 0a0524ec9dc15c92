// Names that old DOS and Windows zip tools stored in a code page, without the flag that marks
// UTF-8: which page they were stored in (judged from the names themselves, else the one the
// user's locale implies), decoding them, and giving the files that 7-Zip wrote under the stored
// bytes their readable names.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quendle::adapter {

// The OEM code page that Windows uses for the locale's language (866 for Russian, 932 for
// Japanese, 850 for most of Western Europe, …); 437, the zip format's own, for English in the
// United States and for anything unknown. The locale is the first set of LC_ALL, LC_CTYPE and
// LANG, as "ru_RU.UTF-8" or "ru".
int oemCodePage(std::string_view locale);
int oemCodePageFromEnvironment();

// The code page that an archive's legacy names were stored in, judged from all of them together
// with Debian's libuchardet; nothing when the judgement is unsure. Only the pages a user is
// likely to have met in a zip are trusted (Cyrillic, Japanese, Chinese, Korean, Thai): for the
// Latin pages a few names tell too little apart, and the locale's page does better.
std::optional<int> detectCodePage(const std::vector<std::string>& names);

bool isUtf8(std::string_view bytes);

// The bytes read in that code page, as UTF-8; none when they are not valid there or the
// system has no converter for it.
std::optional<std::string> decodeCodePage(std::string_view bytes, int codePage);

// A stored path, "/"-separated, decoded component by component (a code page never turns a
// byte above 0x7F into "/"). None when a component cannot be decoded.
std::optional<std::string> decodePath(std::string_view stored, int codePage);

// An entry whose stored name was decoded: component by component, and then, for a name from a
// DOS or Windows host, with its backslashes taken as the separators they were there
// (backslashFolders: decoded holds them, and they become folders).
struct NameChange {
    std::string stored;
    std::string decoded;
    bool backslashFolders = false;
};

// The decoded name with its backslashes as separators, when every component that gives is a
// name (no empty, "." or ".." one); nothing otherwise.
std::optional<std::string> backslashesAsFolders(std::string_view decoded);

// After an extraction into destination: each item written under a stored name takes its
// decoded one (inside the folders its backslashes name, made when missing). An item already there under the decoded name is replaced (a file) or merged
// into (a folder), as the extraction itself overwrites; a file and a folder never replace
// each other (both stay). Paths with empty, "." or ".."
// components are left alone: the extractor wrote those elsewhere, if at all.
void applyDecodedNames(const std::string& destination, const std::vector<NameChange>& changes);

} // namespace quendle::adapter
