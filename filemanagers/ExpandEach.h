// The helper behind the file managers' "Expand with Quendle" entries: its command line, the
// archives it is given, and one quendle launch after another for them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quendle::expandeach {

// What one call of the helper asks for.
struct Request {
    std::vector<std::string> archives; // local paths, in the order the file manager gave them
    std::string into;                  // quendle --into for every launch; empty: as the preferences say
    bool chooseInto = false;           // ask the user for that folder first, starting in `into`
};

// A request, or the message for standard error and the exit status when there is none.
struct Parsed {
    std::optional<Request> request;
    std::string message;
    int status = 0;
};

// The usage error status (sysexits' EX_USAGE, as quendle's own) and the status of an action
// that the helper does not do (Thunar's "create").
constexpr int kUsageStatus = 64;
constexpr int kUnsupportedStatus = 1;

// The helper's own command line: [--into FOLDER] [--] ARCHIVE..., each archive a path or a
// file:// URI. Called through a NAME.tap link, thunar-archive-plugin's: ACTION FOLDER
// ARCHIVE..., where extract-here expands as the preferences say and extract-to asks for the
// folder, starting in FOLDER.
Parsed parseCommandLine(const std::vector<std::string>& arguments, bool asTap);

// The local path an argument names: a file:// URI (without a host, or "localhost") decoded,
// anything else as it is. Nothing for another scheme's URI, a remote host or a broken escape.
std::optional<std::string> localPath(const std::string& argument);

// The quendle of the same installation: <prefix>/bin/quendle for a helper at
// <prefix>/libexec/quendle/NAME (the build tree has the same layout).
std::string quendleBeside(const std::string& helperPath);

// The argument vector of the launch that expands one archive.
std::vector<std::string> launchArguments(const std::string& quendle, const Request& request, const std::string& archive);

// Expands the archives in order, each by a quendle launch of its own that starts when the
// previous one has ended; a failed launch does not stop the ones after it. The first launch's
// non-zero status (128 + the signal for one that was killed), else 0; 2 when quendle cannot be
// started at all.
int runEach(const std::string& quendle, const Request& request);

} // namespace quendle::expandeach
