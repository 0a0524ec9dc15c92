// Fuzzes the adapter's RAR header reader on whole files: it must never crash or read outside
// the file, and a listing it gives must be valid UTF-8 with one record for the archive and one
// for each entry, which the listing rules count as lsar's. (The fuzz build skips the headers'
// checksums, so that changed fields get read.)
#include "ReaderChecks.h"

#include "tool/RarHeaders.h"

using quendle::adapter::RarHeaders;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::optional<RarHeaders> rar = RarHeaders::read(quendle::fuzz::readerOf(data, size), size);
    if (!rar)
        return 0;

    std::string text;
    rar->print("/archive.rar", [&text](std::string_view chunk) { text += chunk; });
    std::size_t signs = 0;
    for (const RarHeaders::Entry& entry : rar->entries()) {
        if (entry.name.empty() || !quendle::adapter::plainUtf8(entry.name))
            quendle::fuzz::fail("RAR header reader", "a name lsar would show otherwise");
        signs += quendle::fuzz::recordSigns(entry.name);
    }
    const std::uint64_t least = 2 + rar->entries().size();
    quendle::fuzz::checkListing("RAR header reader", text, least, least + signs);
    return 0;
}
