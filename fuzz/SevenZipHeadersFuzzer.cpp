// Fuzzes the adapter's 7z header reader on whole files (checksums are not checked in the fuzz
// build): it must never crash or read outside the file, and a listing it gives must be valid
// UTF-8 with one record for the archive and one for each entry.
#include "ReaderChecks.h"

#include "tool/SevenZipHeaders.h"

using quendle::adapter::SevenZipHeaders;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::optional<SevenZipHeaders> archive = SevenZipHeaders::read(quendle::fuzz::readerOf(data, size), size);
    if (!archive)
        return 0;

    std::string text;
    archive->print("/archive.7z", [&text](std::string_view chunk) { text += chunk; });
    std::size_t signs = 0;
    for (const SevenZipHeaders::Entry& entry : archive->entries()) {
        if (entry.path.empty())
            quendle::fuzz::fail("7z header reader", "an empty path");
        signs += quendle::fuzz::recordSigns(entry.path);
    }
    const std::uint64_t records = 2 + archive->entries().size() + signs;
    quendle::fuzz::checkListing("7z header reader", text, records, records);
    return 0;
}
