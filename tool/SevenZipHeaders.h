// A 7z archive's headers, read for the opening listing: the names sit in one small block at the
// archive's end, while 7-Zip's listing of 20,000 entries takes a fifth of a second.
//
// The reader answers only for the plainest archives, where its listing surely gives what
// 7-Zip's gives (the count of records, the names, the encryption signs, what the password
// check picks its file by); for anything else it declines and the caller asks 7-Zip as always.
// It declines, among others, for encrypted headers, data before or after the archive, parts of a split set, headers packed
// otherwise than with LZMA or LZMA2, checksums that do not match, anti-items, and names with
// control characters or backslashes.
#pragma once

#include "tool/ZipDirectory.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quendle::adapter {

class SevenZipHeaders {
public:
    struct Entry {
        std::string path; // UTF-8, as 7-Zip shows it
        bool folder = false;
        std::uint64_t size = 0;
        bool encrypted = false;
        bool stored = false;                // its bytes are kept as they are (and maybe encrypted)
        std::optional<std::uint64_t> block; // the folder of packed data it lies in, when it has data
    };

    // The headers of the file of fileSize bytes, or none when 7-Zip must list it.
    static std::optional<SevenZipHeaders> read(const ReadAt& readAt, std::uint64_t fileSize);

    const std::vector<Entry>& entries() const { return mEntries; }

    // The listing in 7-Zip's technical layout (preamble, the archive's record, one record per
    // entry), handed out in chunks. Entries show only what Quendle reads.
    void print(std::string_view archivePath, const std::function<void(std::string_view)>& write) const;

private:
    SevenZipHeaders() = default;

    std::vector<Entry> mEntries;
    std::uint64_t mFileSize = 0;
};

// Prints the listing of the 7z archive at archivePath on standard output when the header reader
// can answer for it; false, with nothing printed, when 7-Zip must list it. When some entry is
// encrypted, encrypted gets a copy of the listing.
bool listFromSevenZipHeaders(const std::string& archivePath, std::string* encrypted = nullptr);

} // namespace quendle::adapter
