// The listing read as one whole text: the plain reference that the streaming ListingReader must
// agree with, for tests, the fuzzer and the memory benchmark.
#pragma once

#include "core/Listing.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace quendle {

// The listing text is absent when the tool's bytes are not valid UTF-8 (a sequence cut off at
// the end counts as invalid).
std::optional<QString> decodeListing(const QByteArray& bytes);

// Reads a whole listing text. archiveFileName: the archive's own file name, which an entry's
// top-level name is compared with; empty compares with nothing.
ArchiveListing readListing(const std::optional<QString>& text, const QString& archiveFileName = {});

} // namespace quendle
