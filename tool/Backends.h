// The archiver adapter's backends, one file each, and what they share: the exit statuses the
// adapter speaks in, the sign of an encrypted archive, and the ways of reading the children.
#pragma once

#include "tool/AdapterText.h"
#include "tool/ListingRecords.h"
#include "tool/LsarListing.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>
#include <sys/wait.h>

namespace quendle::adapter {

inline constexpr std::string_view kSign = "Can not open encrypted archive. Wrong password?\n";
inline constexpr int kCannotRun = 126;
inline constexpr int kNotFound = 127;
// 7-Zip's exit status for a fatal error, such as an archive it cannot open.
inline constexpr int kFatalError = 2;

// A status as waitpid gives it, for a program that exited with that code.
inline int exited(int code)
{
    return (code & 0xFF) << 8;
}

inline bool succeeded(int status)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// What one request to the adapter is: 7-Zip's command line with the adapter's switches added
// (arguments[0] is 7-Zip), the caller's command line as given, what it asks for, and the code
// page of zip names stored without the UTF-8 flag (from the caller's locale).
struct Request {
    std::vector<std::string> arguments;
    std::vector<std::string> given;
    std::string archive;
    Invocation call;
    int codePage = 437;
    // A zip whose central directory shows every name as ASCII or flagged UTF-8: 7-Zip writes
    // them as they are stored, so no listing is needed to find names to decode.
    bool zipNamesAreUnicode = false;
    // When 7-Zip is given another file than the caller named (a split set's first part, an
    // RPM's payload), the archive as the caller named it; archive and 7-Zip's argument are then
    // that other file.
    std::optional<std::string> shownAs;
    // The entries' paths as the extraction writes them.
    PathRewrite rewrite;

    const std::string& sevenZip() const { return arguments[0]; }
    // The archive as the caller named it.
    const std::string& shownArchive() const { return shownAs ? *shownAs : archive; }
};

// 7-Zip's listing (SevenZipListing.cpp); lsar takes over what 7-Zip cannot open.
int listWithSevenZip(const Request& request);
// The opening listing of a plain 7z from its header (SevenZipHeaders.h); when its entries are
// encrypted, it is kept for the verifying listing. False, with nothing printed, when 7-Zip
// must list it.
bool listFromSevenZipHeaders(const Request& request);
// Removes what the opening listing kept for the verifying one (SevenZipListing.cpp): the
// extraction has begun, and nothing lists the archive any more.
void forgetKeptListing(const Request& request);
// 7-Zip's extraction (SevenZipExtraction.cpp); unar takes over what 7-Zip cannot open.
int extractWithSevenZip(const Request& request);
// The listing or extraction of the tar inside a compressed stream (CompressedTar.cpp); nothing
// when the stream holds no tar (7-Zip then treats it as the one compressed file it is).
std::optional<int> runCompressedTar(const Request& request, Compression compression);
// The listing made by lsar (Unar.cpp), when lsar knows the archive; nothing is printed otherwise.
std::optional<int> listWithLsar(const std::string& lsar, const std::string& archive,
    const std::optional<std::string>& password);
// Debian packages and RPMs (Packages.cpp): the files they hold; nothing when the archive is
// neither (or an RPM whose payload is no cpio), for 7-Zip to take as it is.
std::optional<int> runPackage(const Request& request, std::string_view head);
// Whether the first bytes are those of an archive that only lsar and unar read here: RAR
// (Debian's 7-Zip has no RAR decoder) and StuffIt (Unar.cpp).
bool onlyUnarReads(std::string_view head);
// The extraction by unar (Unar.cpp), its failures said in 7-Zip's words.
int extractWithUnar(const std::string& unar, const std::string& archive, const Invocation& call);

// Starts 7-Zip with its standard output and error on pipes of their own. Nothing on success;
// otherwise the status to exit with, the reason already said on standard error.
std::optional<int> startSevenZip(const std::vector<std::string>& argv, pid_t* child, int* out, int* err);
// The same for any program, with its standard input from input (-1: none of ours).
std::optional<int> startWatched(const std::vector<std::string>& argv, int input, pid_t* child, int* out, int* err);

// Whether the adapter may take its shortcuts (the decompressed tar kept from the listing for
// the extraction, the staged extraction of an encrypted archive, RAR and StuffIt straight to
// unar); QUENDLE_ADAPTER_NO_SHORTCUTS=1 takes the plain way, which the agreement tests compare.
inline bool shortcutsAllowed()
{
    return std::getenv("QUENDLE_ADAPTER_NO_SHORTCUTS") == nullptr;
}

// The first bytes of a regular file; empty for anything else.
std::string headOf(const std::string& path);

} // namespace quendle::adapter
