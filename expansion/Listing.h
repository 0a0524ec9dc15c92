// Listing an archive with the archiver and reading the few facts Quendle needs from it.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace quendle {

struct ArchiveListing {
    std::uint64_t pieceCount = 0;      // pieces of the text split at "Path = "; 0 when absent
    std::int32_t amountFiles = 0;      // opening rule: 0 below three pieces, else pieces - 2
    std::optional<QString> topLevelName; // first entry's path up to "/" or a line feed
    bool isEncrypted = false;
    bool isWrongPassword = false;

    // The count a verifying listing gives after a password: pieces - 2, no lower bound.
    std::int32_t passwordRuleCount() const { return std::int32_t(pieceCount) - 2; }

    bool operator==(const ArchiveListing&) const = default;
};

// The listing text is absent when the tool's bytes are not valid UTF-8.
std::optional<QString> decodeListing(const QByteArray& bytes);

// Reads a whole listing text.
ArchiveListing readListing(const std::optional<QString>& text);

// Reads a listing as it streams, in one pass and in memory that does not grow with the
// archive; gives exactly what readListing gives for the whole text.
class ListingReader {
public:
    void feed(const char* data, std::size_t size);
    ArchiveListing finish();

private:
    struct State;
    // Implementation detail kept out of the header.
    std::shared_ptr<State> mState;
};

struct ListingRun {
    ArchiveListing listing;
    bool started = false; // false: the tool could not be started, see error
    QString error;
};

// Runs "<tool> l <archive> -slt [-p<password>]" and reads its standard output as it streams.
// Blocks until the tool closes its output.
ListingRun listArchive(const QString& toolPath, const QString& archivePath,
    const std::optional<QString>& password);

} // namespace quendle
