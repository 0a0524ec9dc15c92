// Listing an archive with the archiver and reading the few facts Quendle needs from it.
#include "core/Listing.h"

#include "task/ChildProcess.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <limits>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>


namespace quendle {

namespace {

constexpr std::string_view kSeparator = "Path = ";

// The blanks the entry list of an empty archive may still hold; ASCII only, as the streaming
// reader sees bytes.
constexpr bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

std::int32_t saturated(std::int64_t value)
{
    return std::int32_t(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
        std::numeric_limits<std::int32_t>::max()));
}

} // namespace

ArchiveListing absentListing()
{
    ArchiveListing listing;
    listing.isEncrypted = true;
    listing.isWrongPassword = true;
    return listing;
}

ArchiveListing listingFromFacts(std::uint64_t pieceCount, std::optional<QString> name, bool encrypted,
    bool wrongPassword, bool shares, bool namesArchive, bool noEntries, std::uint32_t levels)
{
    ArchiveListing listing;
    listing.pieceCount = pieceCount;
    listing.amountFiles = pieceCount < 3 ? 0 : saturated(std::int64_t(pieceCount - 2));
    listing.topLevelName = pieceCount < 3 ? std::nullopt : std::move(name);
    listing.isEncrypted = encrypted;
    listing.isWrongPassword = wrongPassword;
    // Entries after a first one without a name share nothing that can be relied on.
    listing.sharesTopLevel = shares && (pieceCount < 4 || listing.topLevelName.has_value());
    listing.topLevelNamesArchive = namesArchive;
    listing.holdsNoEntries = noEntries;
    listing.archiveLevels = levels;
    return listing;
}

std::int32_t ArchiveListing::passwordRuleCount() const
{
    return saturated(std::int64_t(std::min<std::uint64_t>(pieceCount, INT64_MAX)) - 2);
}

bool ListingReader::Search::step(char c)
{
    return base::advanceMatch(text, matched, c);
}

namespace {

// Bytes that can change the reader's state when it is idle: the first characters of the
// searched-for texts, and every byte outside ASCII (which the UTF-8 check must see).
constexpr std::array<bool, 256> kWakesTheReader = [] {
    std::array<bool, 256> wakes {};
    for (int c = 0x80; c < 256; ++c)
        wakes[c] = true;
    for (char c : {'P', 'E', 'C', 'W'})
        wakes[static_cast<unsigned char>(c)] = true;
    return wakes;
}();

} // namespace

ListingReader::ListingReader(const QString& archiveFileName)
    : mArchiveName(archiveFileName.toStdString())
{
}

void ListingReader::TopLevelMatch::step(char c, std::string_view name)
{
    if (end != UINT64_MAX)
        return;
    if (c == '/' || c == '\n')
        end = fed;
    else if (firstMismatch == UINT64_MAX && (fed >= name.size() || name[fed] != c))
        firstMismatch = fed;
    ++fed;
}

bool ListingReader::TopLevelMatch::equals(std::uint64_t separatorBytes, std::string_view name) const
{
    // A "/" or line feed is never part of a separator; without one, every byte seen but the
    // separator's belongs to the name.
    const std::uint64_t size = end != UINT64_MAX ? end : fed - separatorBytes;
    return size == name.size() && firstMismatch >= size;
}

bool ListingReader::idle() const
{
    // Until the entry list has shown its first byte, every byte counts (a short header).
    return mEntryBytesSeen && mUtf8.pending() == 0 && mSeparator.matched == 0 && mEncryptedEntry.matched == 0
        && mCannotOpen.matched == 0 && mWrongPassword.matched == 0
        && !(mSeparators == 2 && mName == Name::Pending)
        && !(mSeparators >= 2 && mAgainstArchive.end == UINT64_MAX && !mNamesArchive && !mArchiveName.empty())
        && !(mSeparators >= 3 && mAgainstFirst.end == UINT64_MAX && mShares);
}

void ListingReader::endEntry(std::uint64_t separatorBytes)
{
    if (mSeparators >= 3 && mShares && !mAgainstFirst.equals(separatorBytes, mNameBytes))
        mShares = false;
    if (!mArchiveName.empty() && !mNamesArchive && mAgainstArchive.equals(separatorBytes, mArchiveName))
        mNamesArchive = true;
}

void ListingReader::feed(const char* data, std::size_t size)
{
    const auto* byte = reinterpret_cast<const unsigned char*>(data);
    const auto* const end = byte + size;
    while (byte < end && !mInvalid) {
        // Most of a listing is ASCII that starts none of the texts: skip it quickly.
        if (idle()) {
            while (byte < end && !kWakesTheReader[*byte])
                ++byte;
            if (byte == end)
                break;
        }
        feedByte(*byte++);
    }
}

void ListingReader::feedByte(unsigned char c)
{
    // The bytes are checked as UTF-8 the way Qt's decoder checks them. The searched-for texts
    // are ASCII, and in valid UTF-8 an ASCII byte is always that character, so the search can
    // run on bytes; an invalid text is absent anyway.
    if (mUtf8.step(c) == base::Utf8Check::Byte::Invalid) {
        mInvalid = true;
        return;
    }

    const char byte = char(c);
    if (mSeparator.step(byte)) {
        // The piece ends before the separator's first six bytes, which it has seen.
        if (mSeparators >= 2)
            endEntry(kSeparator.size() - 1);
        ++mSeparators;
        if (mSeparators == 3 && mName == Name::Pending) {
            mName = Name::None;
            mNameBytes = std::string();
        }
        if (mSeparators >= 3 && mName != Name::Found)
            mShares = false;
        mAgainstFirst.start();
        mAgainstArchive.start();
    } else {
        if (mSeparators >= 2 && !mNamesArchive && !mArchiveName.empty())
            mAgainstArchive.step(byte, mArchiveName);
        if (mSeparators >= 3 && mShares)
            mAgainstFirst.step(byte, mNameBytes);
        if (mSeparators == 2 && mName == Name::Pending) {
            // Bytes of a separator that is still being matched land here too; if it completes,
            // the piece had neither "/" nor a line feed and the name is none anyway.
            if (byte == '/' || byte == '\n')
                mName = Name::Found;
            else
                mNameBytes.push_back(byte);
        }
    }

    if (!mEncrypted) {
        const bool entry = mEncryptedEntry.step(byte);
        const bool cannotOpen = mCannotOpen.step(byte);
        mEncrypted = entry || cannotOpen;
        if (mEncrypted) {
            // Settled: neither search is needed any more.
            mEncryptedEntry.matched = 0;
            mCannotOpen.matched = 0;
        }
    }
    if (!mWrong)
        mWrong = mWrongPassword.step(byte);
    if (!mEntryListSeen) {
        mErrorsSeen = mErrors.step(byte) || mErrorsSeen;
        if (mTypeLine.step(byte) && mArchiveLevels < UINT32_MAX)
            ++mArchiveLevels;
        mEntryListSeen = mEntryList.step(byte);
    } else if (!mEntryBytesSeen && !isBlank(char16_t(c))) {
        mEntryBytesSeen = true;
    }
}

ArchiveListing ListingReader::finish() const
{
    if (mInvalid || mUtf8.pending() != 0)
        return absentListing();
    std::optional<QString> name;
    if (mName == Name::Found) {
        // A byte order mark that begins the name is part of it, as it is in the whole text.
        QStringDecoder decoder(QStringDecoder::Utf8,
            QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        name = decoder.decode(QByteArrayView(mNameBytes.data(), qsizetype(mNameBytes.size())));
    }
    // The last entry ends with the text; a separator begun at its end is part of it.
    bool shares = mShares;
    bool namesArchive = mNamesArchive;
    if (mSeparators >= 3 && shares && !mAgainstFirst.equals(0, mNameBytes))
        shares = false;
    if (mSeparators >= 2 && !mArchiveName.empty() && !namesArchive && mAgainstArchive.equals(0, mArchiveName))
        namesArchive = true;
    return listingFromFacts(mSeparators + 1, std::move(name), mEncrypted, mWrong, shares, namesArchive,
        mEntryListSeen && !mErrorsSeen && !mEntryBytesSeen, mArchiveLevels);
}

namespace {

// Whether the child has ended (and is collected) within the time given.
bool reapedWithin(pid_t child, int milliseconds)
{
    for (int waited = 0;; waited += 50) {
        const pid_t reaped = waitpid(child, nullptr, WNOHANG);
        if (reaped == child || (reaped < 0 && errno != EINTR))
            return true;
        if (waited >= milliseconds)
            return false;
        usleep(50 * 1000);
    }
}

} // namespace

void ListingStop::stop()
{
    const std::lock_guard lock(mMutex);
    mStopped = true;
    if (mChild > 0)
        ::kill(mChild, SIGTERM);
}

bool ListingStop::stopped() const
{
    const std::lock_guard lock(mMutex);
    return mStopped;
}

void ListingStop::adopt(pid_t child)
{
    const std::lock_guard lock(mMutex);
    mChild = child;
    if (mStopped)
        ::kill(mChild, SIGTERM);
}

void ListingStop::release()
{
    // Before the tool is reaped: its id may be another process's afterwards.
    const std::lock_guard lock(mMutex);
    mChild = -1;
}

ListingRun listArchive(const QString& toolPath, const QString& archivePath,
    const std::optional<QString>& password, ListingStop* stop)
{
    ListingRun run;

    std::vector<QByteArray> arguments {QFile::encodeName(toolPath), QByteArrayLiteral("l"),
        QFile::encodeName(archivePath), QByteArrayLiteral("-slt")};
    if (password)
        arguments.push_back("-p" + password->toUtf8());
    for (const QByteArray& argument : arguments) {
        if (argument.contains('\0')) {
            // A C argument would end at the NUL and the tool would see another password.
            run.started = true;
            run.listing = absentListing();
            return run;
        }
    }
    // Standard output goes to the pipe; standard input and error stay the application's.
    const SpawnedChild spawned = spawnWithOutputPipe(std::move(arguments), false);
    if (spawned.pid < 0) {
        run.error = qt_error_string(spawned.error);
        return run;
    }
    run.started = true;
    const pid_t child = spawned.pid;
    const int output = spawned.outputFd;
    if (stop)
        stop->adopt(child);

    // The tool writes its listing in chunks of whatever size the pipe hands over; the reader
    // takes them as they come. A listing that may be stopped looks up between chunks: a child of
    // the tool may hold the output open after the tool itself has gone.
    ListingReader reader(QFileInfo(archivePath).fileName());
    char buffer[1 << 16];
    for (;;) {
        if (stop) {
            pollfd ready {output, POLLIN, 0};
            const int polled = ::poll(&ready, 1, 50);
            if (stop->stopped())
                break;
            if (polled == 0 || (polled < 0 && errno == EINTR))
                continue;
        }
        const ssize_t size = read(output, buffer, sizeof buffer);
        if (size < 0 && errno == EINTR)
            continue;
        if (size <= 0)
            break;
        reader.feed(buffer, std::size_t(size));
    }
    close(output);

    if (stop) {
        stop->release();
        if (stop->stopped()) {
            // Asked to end: one that lingers is killed, so that no archiver outlives Quendle.
            if (!reapedWithin(child, 2000)) {
                ::kill(child, SIGKILL);
                while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
                }
            }
            run.listing = absentListing();
            return run;
        }
    }
    // The output has ended; collect the tool so that it leaves no zombie behind.
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }

    run.listing = reader.finish();
    return run;
}

} // namespace quendle
