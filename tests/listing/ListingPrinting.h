// Readable listings in test failures, and the two ways of reading one for comparison.
#pragma once

#include "core/Listing.h"
#include "support/WholeListing.h"

#include <QByteArray>

#include <algorithm>
#include <ostream>

namespace quendle {

inline void PrintTo(const ArchiveListing& listing, std::ostream* out)
{
    *out << "{pieces " << listing.pieceCount << ", files " << listing.amountFiles << ", name "
         << (listing.topLevelName ? '"' + listing.topLevelName->toStdString() + '"' : std::string("none"))
         << (listing.isEncrypted ? ", encrypted" : "") << (listing.isWrongPassword ? ", wrong password" : "")
         << (listing.sharesTopLevel ? "" : ", several top-level names")
         << (listing.topLevelNamesArchive ? ", an entry named like the archive" : "")
         << ", " << listing.archiveLevels << " archive levels" << (listing.holdsNoEntries ? ", no entries" : "")
         << '}';
}

namespace test {

inline ArchiveListing readWhole(const QByteArray& bytes)
{
    return readListing(decodeListing(bytes));
}

// Feeds the bytes in pieces of the given size (the last one may be shorter).
inline ArchiveListing readStreamed(const QByteArray& bytes, qsizetype piece)
{
    ListingReader reader;
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        reader.feed(bytes.constData() + at, std::size_t(std::min(piece, bytes.size() - at)));
    return reader.finish();
}

} // namespace test
} // namespace quendle
