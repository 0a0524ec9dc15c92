// What the fuzzers of the adapter's own archive readers share: the fuzzed bytes read as a file,
// and the check that a listing a reader prints is valid UTF-8 whose records the listing rules
// count as one for the archive and one for each entry.
#pragma once

#include "core/Listing.h"
#include "support/WholeListing.h"
#include "tool/ZipDirectory.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace quendle::fuzz {

[[noreturn]] inline void fail(const char* reader, const char* what)
{
    std::fprintf(stderr, "%s: %s\n", reader, what);
    std::abort();
}

inline adapter::ReadAt readerOf(const std::uint8_t* data, std::size_t size)
{
    return [data, size](std::uint64_t offset, char* buffer, std::size_t length) {
        if (offset > size || size - offset < length)
            return false;
        std::memcpy(buffer, data + offset, length);
        return true;
    };
}

// How often a name holds the sign that starts a record, which the listing rules count too.
inline std::size_t recordSigns(std::string_view name)
{
    std::size_t signs = 0;
    for (std::size_t at = name.find("Path = "); at != std::string_view::npos; at = name.find("Path = ", at + 1))
        ++signs;
    return signs;
}

// The listing is valid UTF-8 and counts between least and most records.
inline void checkListing(const char* reader, const std::string& text, std::uint64_t least, std::uint64_t most)
{
    const std::optional<QString> decoded = decodeListing(QByteArray(text.data(), qsizetype(text.size())));
    if (!decoded)
        fail(reader, "a listing that is not valid UTF-8");
    const std::uint64_t records = readListing(decoded).pieceCount;
    if (records < least || records > most)
        fail(reader, "a record count other than the entries'");
}

} // namespace quendle::fuzz
