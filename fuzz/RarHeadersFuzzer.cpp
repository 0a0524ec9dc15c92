// Fuzzes the adapter's RAR header reader on whole files: it must never crash or read outside
// the file, and a listing it gives must be valid UTF-8 with one record for the archive and one
// for each entry, which the listing rules count as lsar's. (The fuzz build skips the headers'
// checksums, so that changed fields get read.)
#include "core/Listing.h"
#include "support/WholeListing.h"
#include "tool/RarHeaders.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using quendle::adapter::RarHeaders;

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "RAR header reader: %s\n", what);
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
    const std::optional<RarHeaders> rar = RarHeaders::read(readAt, size);
    if (!rar)
        return 0;

    std::string text;
    rar->print("/archive.rar", [&text](std::string_view chunk) { text += chunk; });
    std::size_t names = 0;
    for (const RarHeaders::Entry& entry : rar->entries()) {
        if (entry.name.empty() || !quendle::adapter::plainUtf8(entry.name))
            fail("a name lsar would show otherwise");
        for (std::size_t at = entry.name.find("Path = "); at != std::string::npos; at = entry.name.find("Path = ", at + 1))
            ++names;
    }
    const std::optional<QString> decoded = quendle::decodeListing(QByteArray(text.data(), qsizetype(text.size())));
    if (!decoded)
        fail("a listing that is not valid UTF-8");
    const quendle::ArchiveListing listing = quendle::readListing(decoded);
    if (listing.pieceCount < 2 + rar->entries().size() || listing.pieceCount > 2 + rar->entries().size() + names)
        fail("a record count other than the entries'");
    return 0;
}
