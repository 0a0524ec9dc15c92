// A RAR's block headers, read for the opening listing: lsar's listing costs a start-up and a
// walk of its own, longer than unar's whole extraction of a small archive.
//
// The reader answers only where its listing surely gives what lsar's gives (the same records,
// names, folder and encryption signs), for RAR 5 and for RAR 1.5 to 4.x; for anything else it
// declines and lsar lists as always. It declines, among others, for encrypted headers, volumes
// and entries split across them, data before or after the archive, a header whose checksum is
// wrong, names in a legacy code page or RAR 4's Unicode name encoding, names with control
// characters, links other than RAR 5's symbolic links, file versions, unknown header or record types, and truncated archives.
// Only headers are read; nothing is decompressed.
#pragma once

#include "tool/LsarListing.h"
#include "tool/ZipDirectory.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quendle::adapter {

class RarHeaders {
public:
    struct Entry {
        std::string name; // as lsar names it: components separated by "/"
        bool folder = false;
        bool encrypted = false;
        std::optional<std::string> linkTarget; // a symbolic link's
        std::uint64_t size = 0;
        std::uint64_t packedSize = 0;
        std::string modified; // as lsar shows it; empty when the archive gives no time
    };

    // The headers of the file of fileSize bytes, or none when lsar must list it.
    static std::optional<RarHeaders> read(const ReadAt& readAt, std::uint64_t fileSize);

    const std::vector<Entry>& entries() const { return mEntries; }

    // The listing as lsar's is printed (LsarListing.h), after a first line of its own, handed
    // out in chunks.
    void print(std::string_view archivePath, const std::function<void(std::string_view)>& write) const;

private:
    RarHeaders() = default;

    std::vector<Entry> mEntries;
};

// Prints the listing of the RAR at archivePath on standard output when the header reader can
// answer for it; false, with nothing printed, when lsar must list it.
bool listFromRarHeaders(const std::string& archivePath);

} // namespace quendle::adapter
