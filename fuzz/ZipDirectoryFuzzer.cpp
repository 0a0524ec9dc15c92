// Fuzzes the adapter's zip directory reader on whole files: it must never crash or read outside
// the file, and a listing it gives must be valid UTF-8 with one record for the archive and one
// for each entry, which the listing rules count as 7-Zip's.
#include "core/Listing.h"
#include "support/WholeListing.h"
#include "tool/ZipDirectory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using quendle::adapter::ZipDirectory;

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "zip directory reader: %s\n", what);
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
    const std::optional<ZipDirectory> zip = ZipDirectory::read(readAt, size);
    if (!zip)
        return 0;

    std::string text;
    zip->print("/archive.zip", [&text](std::string_view chunk) { text += chunk; });
    std::size_t names = 0;
    for (const ZipDirectory::Entry& entry : zip->entries()) {
        if (entry.path.empty())
            fail("an empty path");
        for (std::size_t at = entry.path.find("Path = "); at != std::string_view::npos;
             at = entry.path.find("Path = ", at + 1))
            ++names;
    }
    const std::optional<QString> decoded = quendle::decodeListing(QByteArray(text.data(), qsizetype(text.size())));
    if (!decoded)
        fail("a listing that is not valid UTF-8");
    const quendle::ArchiveListing listing = quendle::readListing(decoded);
    if (listing.pieceCount != 2 + zip->entries().size() + names)
        fail("a record count other than the entries'");
    return 0;
}
