// Fuzzes the adapter's 7z header reader on whole files (checksums are not checked in the fuzz
// build): it must never crash or read outside the file, and a listing it gives must be valid
// UTF-8 with one record for the archive and one for each entry.
#include "core/Listing.h"
#include "support/WholeListing.h"
#include "tool/SevenZipHeaders.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using quendle::adapter::SevenZipHeaders;

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "7z header reader: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const quendle::adapter::ReadAt readAt = [data, size](std::uint64_t offset, char* buffer, std::size_t length) {
        if (offset > size || size - offset < length)
            return false;
        std::memcpy(buffer, data + offset, length);
        return true;
    };
    const std::optional<SevenZipHeaders> archive = SevenZipHeaders::read(readAt, size);
    if (!archive)
        return 0;

    std::string text;
    archive->print("/archive.7z", [&text](std::string_view chunk) { text += chunk; });
    std::size_t names = 0;
    for (const SevenZipHeaders::Entry& entry : archive->entries()) {
        if (entry.path.empty())
            fail("an empty path");
        for (std::size_t at = entry.path.find("Path = "); at != std::string::npos; at = entry.path.find("Path = ", at + 1))
            ++names;
    }
    const std::optional<QString> decoded = quendle::decodeListing(QByteArray(text.data(), qsizetype(text.size())));
    if (!decoded)
        fail("a listing that is not valid UTF-8");
    if (quendle::readListing(decoded).pieceCount != 2 + archive->entries().size() + names)
        fail("a record count other than the entries'");
    return 0;
}
