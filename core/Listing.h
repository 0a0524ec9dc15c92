// Listing an archive with the archiver and reading the few facts Quendle needs from it.
#pragma once

#include "base/ByteStream.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace quendle {

struct ArchiveListing {
    std::uint64_t pieceCount = 0;      // pieces of the text split at "Path = "; 0 when absent
    std::int32_t amountFiles = 0;      // opening rule: 0 below three pieces, else pieces - 2
    std::optional<QString> topLevelName; // first entry's path up to "/" or a line feed
    bool isEncrypted = false;
    bool isWrongPassword = false;
    // Whether every entry lies below the first entry's top-level name (an archive of one item),
    // and whether some entry's top-level name is the archive's own file name. Both decide
    // whether the contents need a folder of their own so that nothing beside them is touched.
    bool sharesTopLevel = true;
    bool topLevelNamesArchive = false;
    // The archive opened without errors and its entry list ("----------" on) holds nothing at
    // all: an empty archive. (A single compressed stream lists a record without a path.)
    bool holdsNoEntries = false;
    // How many archives deep 7-Zip opened before listing entries (its "Type = " lines before the
    // entry list): a split set, a package or a disk image opens another archive inside, whose
    // names its extraction writes differently from how the first levels list them.
    std::uint32_t archiveLevels = 0;

    // The count a verifying listing gives after a password: pieces - 2, no lower bound
    // (an absent text gives -2). Saturates instead of wrapping on absurdly long listings.
    std::int32_t passwordRuleCount() const;

    bool operator==(const ArchiveListing&) const = default;
};

// What an absent or unreadable listing reads as: it counts as showing every sign.
ArchiveListing absentListing();

// The facts as a reader of the listing adds them up: the count of pieces split at "Path = ", the
// first entry's top-level name, the signs seen, and what the entries shared.
ArchiveListing listingFromFacts(std::uint64_t pieceCount, std::optional<QString> firstName, bool encrypted,
    bool wrongPassword, bool sharesTopLevel, bool namesArchive, bool holdsNoEntries, std::uint32_t archiveLevels);

// Reads a listing as it streams, in one pass and in memory that does not grow with the
// archive, as if the whole text were read at once (a text that is not valid UTF-8 is absent). Only the first
// entry's name is kept, up to its first "/" or line feed.
class ListingReader {
public:
    explicit ListingReader(const QString& archiveFileName = {});
    // Chunks may end anywhere, also inside a character or a sign.
    void feed(const char* data, std::size_t size);
    void feed(const QByteArray& bytes) { feed(bytes.constData(), std::size_t(bytes.size())); }
    // The facts of everything fed so far, read as a whole text. The reader can keep going.
    ArchiveListing finish() const;

    // One position in a searched-for text; how far a match has got.
    struct Search {
        std::string_view text;
        std::size_t matched = 0;
        // Advances by one byte; true when the text has just been completed.
        bool step(char c);
    };

    // Compares one entry's top-level name (its path up to "/" or a line feed, or the whole
    // piece) with a fixed name, byte by byte, without keeping the entry.
    struct TopLevelMatch {
        std::uint64_t fed = 0;                // bytes of the piece seen so far
        std::uint64_t firstMismatch = UINT64_MAX; // first position that differs from the name
        std::uint64_t end = UINT64_MAX;       // where the top-level name ends, once known
        void start() { *this = TopLevelMatch(); }
        void step(char c, std::string_view name);
        // The piece has ended after contentSize bytes: is its top-level name the name?
        bool equals(std::uint64_t contentSize, std::string_view name) const;
    };

private:
    bool idle() const;
    void feedByte(unsigned char c);
    void endEntry(std::uint64_t contentSize);

    Search mSeparator {"Path = "};
    Search mEncryptedEntry {"Encrypted = +"};
    Search mCannotOpen {"Can not open encrypted archive."};
    Search mWrongPassword {"Wrong password"};
    Search mEntryList {"\n----------\n"};
    Search mErrors {"ERRORS:"};
    Search mTypeLine {"\nType = "};
    std::uint32_t mArchiveLevels = 0;
    bool mEntryListSeen = false;
    bool mErrorsSeen = false;
    bool mEntryBytesSeen = false;
    std::uint64_t mSeparators = 0;
    bool mEncrypted = false;
    bool mWrong = false;

    // The name in the third piece: collected until "/" or a line feed decides it.
    enum class Name { Pending, Found, None } mName = Name::Pending;
    std::string mNameBytes;

    // The entry being read (from the second entry on for the first name, from the first for
    // the archive's name), and what the entries read so far have shown.
    std::string mArchiveName;
    TopLevelMatch mAgainstFirst;
    TopLevelMatch mAgainstArchive;
    bool mShares = true;
    bool mNamesArchive = false;

    // UTF-8 check as the text streams; a text that fails it is no listing at all.
    base::Utf8Check mUtf8;
    bool mInvalid = false;
};

struct ListingRun {
    ArchiveListing listing;
    // False only when the tool could not be started; error then gives the system's reason.
    bool started = false;
    QString error;
};

// Lets another thread cut a listing short (the application is quitting): the tool is asked to
// end as a stop of the extraction asks it, and is killed if it has not ended a moment later.
class ListingStop {
public:
    void stop();
    bool stopped() const;
    // For listArchive: the tool may be signalled from now on, until its output has ended.
    void adopt(pid_t child);
    void release();

private:
    mutable std::mutex mMutex;
    pid_t mChild = -1;
    bool mStopped = false;
};

// Runs "<tool> l <archive> -slt [-p<password>]" and reads its standard output as it streams.
// Blocks until the tool closes its output (or stop is used), then reaps it. Standard input and
// error are the application's. An argument holding a NUL character cannot reach the tool at
// all: nothing is run and the listing reads as an absent text (so such a password is a wrong
// one). A stopped listing reads as an absent text too.
ListingRun listArchive(const QString& toolPath, const QString& archivePath,
    const std::optional<QString>& password, ListingStop* stop = nullptr);

} // namespace quendle
