#include "tool/KeptFiles.h"

#include "tool/Children.h"
#include "tool/Serve.h"

#include <cerrno>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quendle::adapter {

std::string keptFolder(bool make)
{
    std::string base;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && cache[0] == '/')
        base = cache;
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        base = std::string(home) + "/.cache";
    else
        return {};
    const std::string folder = base + "/quendle";
    if (make) {
        mkdir(base.c_str(), 0700);
        mkdir(folder.c_str(), 0700);
    }
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid()
        || (info.st_mode & 077) != 0)
        return {};
    return folder;
}

std::string keptName(std::string_view kind, const std::string& archive, std::string_view suffix)
{
    struct stat info {};
    if (stat(archive.c_str(), &info) != 0)
        return {};
    char name[200];
    std::snprintf(name, sizeof name, "-%ld-%" PRIu64 "-%" PRIu64 "-%" PRId64 "-%" PRId64 ".%09ld-%" PRId64 ".%09ld",
        long(getppid()), std::uint64_t(info.st_dev), std::uint64_t(info.st_ino), std::int64_t(info.st_size),
        std::int64_t(info.st_mtim.tv_sec), info.st_mtim.tv_nsec, std::int64_t(info.st_ctim.tv_sec), info.st_ctim.tv_nsec);
    return std::string(kind) + name + std::string(suffix);
}

void removeUnclaimed(const std::string& folder, std::string_view kind)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    const std::string prefix = std::string(kind) + '-';
    const std::string ours = prefix + std::to_string(getppid()) + "-";
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (!name.starts_with(prefix))
            continue;
        const long owner = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        if (name.starts_with(ours) || owner <= 0 || (kill(pid_t(owner), 0) != 0 && errno == ESRCH))
            unlink((folder + '/' + name).c_str());
    }
    closedir(dir);
}

std::optional<std::string> readKept(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
        close(fd);
        return std::nullopt;
    }
    std::string text;
    text.reserve(std::size_t(info.st_size));
    char buffer[65536];
    while (const std::size_t size = readSome(fd, buffer, sizeof buffer))
        text.append(buffer, size);
    close(fd);
    if (text.size() != std::size_t(info.st_size))
        return std::nullopt;
    return text;
}

bool writeKept(const std::string& path, std::string_view text)
{
    const std::string partial = path + ".part";
    const int fd = open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, text.data(), text.size());
    if (close(fd) == 0 && written && rename(partial.c_str(), path.c_str()) == 0)
        return true;
    unlink(partial.c_str());
    return false;
}

} // namespace quendle::adapter
