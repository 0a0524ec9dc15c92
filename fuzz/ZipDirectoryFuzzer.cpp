// Fuzzes the adapter's zip directory reader on whole files: it must never crash or read outside
// the file, and a listing it gives must be valid UTF-8 with one record for the archive and one
// for each entry, which the listing rules count as 7-Zip's.
#include "ReaderChecks.h"

#include "tool/ZipDirectory.h"

using quendle::adapter::ZipDirectory;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::optional<ZipDirectory> zip = ZipDirectory::read(quendle::fuzz::readerOf(data, size), size);
    if (!zip)
        return 0;

    std::string text;
    zip->print("/archive.zip", [&text](std::string_view chunk) { text += chunk; });
    std::size_t signs = 0;
    for (const ZipDirectory::Entry& entry : zip->entries()) {
        if (entry.path.empty())
            quendle::fuzz::fail("zip directory reader", "an empty path");
        signs += quendle::fuzz::recordSigns(entry.path);
    }
    const std::uint64_t records = 2 + zip->entries().size() + signs;
    quendle::fuzz::checkListing("zip directory reader", text, records, records);
    return 0;
}
