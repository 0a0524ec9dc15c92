// Fuzzes the adapter's tar header reader on whole streams: it must never crash, must answer the
// same however the stream is cut into chunks, and a listing it gives must be valid UTF-8 with
// one record for the archive and one for each entry, which the listing rules count as 7-Zip's.
#include "core/Listing.h"
#include "support/WholeListing.h"
#include "tool/TarHeaders.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using quendle::adapter::TarHeaders;

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "tar header reader: %s\n", what);
    std::abort();
}

std::size_t signsIn(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t at = text.find("Path = "); at != std::string_view::npos; at = text.find("Path = ", at + 1))
        ++count;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view stream(reinterpret_cast<const char*>(data), size);
    TarHeaders whole;
    whole.feed(stream);
    const bool answered = whole.finish();

    // The same stream in chunks whose sizes the stream's first byte chooses.
    TarHeaders pieces;
    const std::size_t step = size == 0 ? 1 : std::size_t(data[0]) % 97 + 1;
    for (std::size_t at = 0; at < size; at += step)
        pieces.feed(stream.substr(at, step));
    if (pieces.finish() != answered)
        fail("another answer for the same stream in chunks");
    if (!answered)
        return 0;
    if (pieces.entries().size() != whole.entries().size())
        fail("other entries for the same stream in chunks");

    std::string text;
    whole.print("/archive.tar.gz", [&text](std::string_view chunk) { text += chunk; });
    std::size_t signs = 0;
    for (const TarHeaders::Entry& entry : whole.entries()) {
        if (entry.path.empty())
            fail("an empty path");
        signs += signsIn(entry.path) + signsIn(entry.symbolicLink) + signsIn(entry.hardLink);
    }
    const std::optional<QString> decoded = quendle::decodeListing(QByteArray(text.data(), qsizetype(text.size())));
    if (!decoded)
        fail("a listing that is not valid UTF-8");
    const quendle::ArchiveListing listing = quendle::readListing(decoded);
    if (listing.pieceCount != 2 + whole.entries().size() + signs)
        fail("a record count other than the entries'");
    return 0;
}
