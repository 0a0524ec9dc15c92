// A zip's central directory, read for the opening listing: the directory is a few bytes per
// entry at the end of the file, while 7-Zip's listing of a big archive takes seconds.
//
// The reader answers only for the plainest zips, where its listing surely gives what 7-Zip's
// gives (the count of records, the first entry's name, the encryption sign); for anything else
// it declines and the caller asks 7-Zip as always. It declines, among others, for data before
// or after the archive, several volumes, comments, names in a legacy code page, invalid UTF-8
// or with control characters or backslashes, Unicode path fields, encrypted directories, and
// entries out of their order in the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quendle::adapter {

// Reads size bytes at offset into buffer; false when they cannot all be read.
using ReadAt = std::function<bool(std::uint64_t offset, char* buffer, std::size_t size)>;

// Well-formed UTF-8 without C0 or C1 control characters, which 7-Zip and lsar show in ways of
// their own.
bool plainUtf8(std::string_view text);

// Reads a whole range of an open file at an offset; false when the file ends before it.
ReadAt readerOf(int fd);
// Gives use a reader of the regular file at path and its size; nothing happens when it cannot
// be opened or is no regular file.
void withRegularFile(const std::string& path, const std::function<void(const ReadAt&, std::uint64_t)>& use);

// The head of a listing that one of the adapter's own readers prints in 7-Zip's technical
// layout: the preamble naming the reader, and the archive's record.
std::string listingHead(std::string_view reader, std::string_view archivePath, std::string_view type, std::uint64_t fileSize);

class ZipDirectory {
public:
    struct Entry {
        std::string_view path; // as 7-Zip shows it: one trailing "/" of a folder removed
        bool folder = false;
        bool encrypted = false;
    };

    // The directory of the file of fileSize bytes, or none when 7-Zip must list it.
    static std::optional<ZipDirectory> read(const ReadAt& readAt, std::uint64_t fileSize);

    const std::vector<Entry>& entries() const { return mEntries; }

    // Whether the archive path can be printed the way 7-Zip prints it.
    static bool printablePath(std::string_view archivePath);

    // The listing in 7-Zip's technical layout (preamble, the archive's record, one record per
    // entry), handed out in chunks. Entries show only what Quendle reads (path, folder sign,
    // encryption sign): a big archive's listing is half as long as 7-Zip's would be.
    void print(std::string_view archivePath, const std::function<void(std::string_view)>& write) const;

private:
    ZipDirectory() = default;

    std::vector<char> mDirectory; // the central directory's bytes, which the entries' paths point into
    std::vector<Entry> mEntries;
    std::uint64_t mFileSize = 0;
};

// What a zip's central directory says of its names' encoding, read leniently (comments, data
// before the archive and several volumes are no matter here).
struct ZipNameSurvey {
    // The names stored without the UTF-8 flag that are not valid UTF-8 (a legacy code page's),
    // for judging their code page: at most a few thousand of them.
    std::vector<std::string> legacyNames;
    // Names that 7-Zip may write otherwise than stored: without the UTF-8 flag and not plain
    // ASCII (valid UTF-8 or not), or with a Unicode path field.
    std::uint64_t doubtfulNames = 0;
    // Every record of the directory was read; without it the survey vouches for nothing.
    bool complete = false;

    // Each name is ASCII or flagged as UTF-8, so 7-Zip writes each one as it is stored.
    bool namesAreUnicode() const { return complete && doubtfulNames == 0; }
};
ZipNameSurvey surveyZipNames(const ReadAt& readAt, std::uint64_t fileSize);
ZipNameSurvey surveyZipNames(const std::string& archivePath);

// Prints the listing of the zip at archivePath on standard output when the directory reader
// can answer for it; false, with nothing printed, when 7-Zip must list it.
bool listFromZipDirectory(const std::string& archivePath);

} // namespace quendle::adapter
