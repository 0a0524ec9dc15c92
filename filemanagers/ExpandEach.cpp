// The helper behind the file managers' "Expand with Quendle" entries: its command line, the
// archives it is given, and one quendle launch after another for them.
#include "filemanagers/ExpandEach.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace quendle::expandeach {

namespace {

bool startsWithNoCase(const std::string& text, const std::string& prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

Parsed usage(const std::string& message)
{
    return {std::nullopt, message + "\nUsage: quendle-expand-each [--into FOLDER] [--] ARCHIVE...", kUsageStatus};
}

// The archives of a command line, each made a local path.
Parsed withArchives(Request request, const std::vector<std::string>& given)
{
    if (given.empty())
        return usage("no archive to expand");
    for (const std::string& argument : given) {
        const std::optional<std::string> path = localPath(argument);
        if (!path)
            return {std::nullopt, "\"" + argument + "\" is not a local file", kUsageStatus};
        request.archives.push_back(*path);
    }
    return {request, {}, 0};
}

// "scheme://": a URI of another kind, which names no local file.
bool isOtherUri(const std::string& argument)
{
    const size_t colon = argument.find("://");
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(argument[0])))
        return false;
    for (size_t i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(argument[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

} // namespace

std::optional<std::string> localPath(const std::string& argument)
{
    if (!startsWithNoCase(argument, "file:"))
        return isOtherUri(argument) ? std::nullopt : std::optional<std::string>(argument);
    std::string rest = argument.substr(5);
    if (rest.rfind("//", 0) == 0) {
        const size_t pathStart = rest.find('/', 2);
        if (pathStart == std::string::npos)
            return std::nullopt;
        const std::string host = rest.substr(2, pathStart - 2);
        if (!host.empty() && host != "localhost")
            return std::nullopt;
        rest = rest.substr(pathStart);
    }
    // A URI's query or fragment names no part of a file; a file manager escapes these signs.
    if (rest.empty() || rest.front() != '/' || rest.find_first_of("?#") != std::string::npos)
        return std::nullopt;
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            path += rest[i];
            continue;
        }
        const int high = i + 2 < rest.size() ? hexValue(rest[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(rest[i + 2]) : -1;
        if (low < 0)
            return std::nullopt;
        path += static_cast<char>(high * 16 + low);
        i += 2;
    }
    // A NUL can be written in a URI but cannot be in a path.
    if (path.find('\0') != std::string::npos)
        return std::nullopt;
    return path;
}

Parsed parseCommandLine(const std::vector<std::string>& arguments, bool asTap)
{
    if (asTap) {
        if (arguments.size() < 2)
            return usage("expected ACTION FOLDER ARCHIVE...");
        const std::string& action = arguments[0];
        const std::vector<std::string> archives(arguments.begin() + 2, arguments.end());
        if (action == "extract-here")
            return withArchives({}, archives);
        if (action == "extract-to")
            return withArchives({{}, arguments[1], true}, archives);
        if (action == "create")
            return {std::nullopt, "Quendle expands archives; it does not create them", kUnsupportedStatus};
        return {std::nullopt, "unsupported action '" + action + "'", kUnsupportedStatus};
    }

    Request request;
    size_t i = 0;
    for (; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            ++i;
            break;
        }
        if (argument == "--into") {
            if (i + 1 == arguments.size())
                return usage("--into needs a folder");
            request.into = arguments[++i];
        } else if (argument.rfind("--into=", 0) == 0) {
            request.into = argument.substr(7);
        } else if (argument.size() > 1 && argument[0] == '-') {
            return usage("unknown option '" + argument + "'");
        } else {
            break;
        }
    }
    return withArchives(request, std::vector<std::string>(arguments.begin() + i, arguments.end()));
}

std::string quendleBeside(const std::string& helperPath)
{
    const std::filesystem::path prefix = std::filesystem::path(helperPath).parent_path().parent_path().parent_path();
    return (prefix / "bin" / "quendle").string();
}

std::vector<std::string> launchArguments(const std::string& quendle, const Request& request, const std::string& archive)
{
    std::vector<std::string> arguments {quendle};
    if (!request.into.empty())
        arguments.insert(arguments.end(), {"--into", request.into});
    // After "--" an archive whose name starts with a dash stays an archive.
    arguments.insert(arguments.end(), {"--", archive});
    return arguments;
}

int runEach(const std::string& quendle, const Request& request)
{
    int result = 0;
    for (const std::string& archive : request.archives) {
        std::vector<std::string> arguments = launchArguments(quendle, request, archive);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, quendle.c_str(), nullptr, nullptr, argv.data(), environ);
        if (spawned != 0) {
            std::fprintf(stderr, "quendle-expand-each: cannot start %s: %s\n", quendle.c_str(), std::strerror(spawned));
            return 2;
        }
        int status = 0;
        while (waitpid(pid, &status, 0) < 0) {
            if (errno != EINTR) {
                status = 0;
                break;
            }
        }
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 0;
        if (result == 0)
            result = code;
    }
    return result;
}

} // namespace quendle::expandeach
