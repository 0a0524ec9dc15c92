// Fuzzes the listing reader: the streamed reading, fed in chunkings of every kind, must give
// exactly what the whole-text reading gives, and neither may crash.
#include "core/Listing.h"
#include "support/WholeListing.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

using quendle::ArchiveListing;
using quendle::ListingReader;

namespace {

void print(const char* label, const ArchiveListing& listing)
{
    std::fprintf(stderr, "%s: pieces %llu, files %d, name %s, encrypted %d, wrong password %d\n", label,
        static_cast<unsigned long long>(listing.pieceCount), listing.amountFiles,
        listing.topLevelName ? qPrintable(u'"' + *listing.topLevelName + u'"') : "none",
        listing.isEncrypted, listing.isWrongPassword);
}

void expectSame(const ArchiveListing& whole, const ArchiveListing& streamed, const char* chunking)
{
    if (whole == streamed && whole.passwordRuleCount() == streamed.passwordRuleCount())
        return;
    std::fprintf(stderr, "The streamed reading (%s) differs from the whole-text reading\n", chunking);
    print("whole", whole);
    print("streamed", streamed);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    // The tail of the input is the listing; its head picks the chunking.
    const auto seed = provider.ConsumeIntegral<std::uint32_t>();
    const auto largestChunk = provider.ConsumeIntegralInRange<std::size_t>(1, 64);
    // The archive's own name, which entries are compared with; short, so that it is met.
    const QString archiveName = QString::fromStdString(provider.ConsumeRandomLengthString(6));
    const std::vector<char> bytes = provider.ConsumeRemainingBytes<char>();
    const QByteArray text(bytes.data(), qsizetype(bytes.size()));

    const ArchiveListing whole = quendle::readListing(quendle::decodeListing(text), archiveName);

    {
        ListingReader reader(archiveName);
        reader.feed(text);
        expectSame(whole, reader.finish(), "in one piece");
    }
    {
        ListingReader reader(archiveName);
        for (const char byte : bytes)
            reader.feed(&byte, 1);
        expectSame(whole, reader.finish(), "byte by byte");
    }
    {
        // Chunks of random sizes, empty ones included; the reader may also be asked for its
        // facts half-way, which must not disturb it.
        std::minstd_rand random(seed);
        ListingReader reader(archiveName);
        std::size_t at = 0;
        while (at < bytes.size()) {
            const std::size_t chunk = std::min<std::size_t>(random() % (largestChunk + 1), bytes.size() - at);
            reader.feed(bytes.data() + at, chunk);
            at += chunk;
            if (random() % 8 == 0)
                (void)reader.finish();
        }
        expectSame(whole, reader.finish(), "in random chunks");
    }
    return 0;
}
