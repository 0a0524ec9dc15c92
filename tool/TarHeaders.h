// A tar's headers, read from the decompressed stream as it passes for the opening listing of a
// compressed tar, where 7-Zip's own listing of the tar costs more than the decompression.
//
// The reader answers only for tars whose listing by 7-Zip it surely gives: POSIX ustar names
// (with their prefix), GNU long names and links, pax path, linkpath, size, times, owners, and a
// global header with nothing but a comment (what git archive writes). For anything else it
// declines and the caller asks 7-Zip as always: sparse files, unknown entry types or pax keys,
// base-256 numbers, bad checksums, a stream that ends before the tar's end or holds other bytes
// after it, and names or link targets that are not plain UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quendle::adapter {

// Whether GNU tar may write a tar of such entries as 7-Zip would, counted entry by entry: each
// one plain, named by a plain path, none twice, and few names at the top. The rule is the same
// whoever read the headers.
class PlainTarTally {
public:
    // A relative path of printable ASCII without backslashes, "." or ".." or empty components.
    static bool plainPath(std::string_view path);
    void add(const std::string& path, bool entryPlain);
    // Plain, with at least one entry.
    bool plain() const { return mPlain && mEntries > 0; }
    void spoil() { mPlain = false; }
    const std::vector<std::string>& tops() const { return mTops; }

private:
    bool mPlain = true;
    std::uint64_t mEntries = 0;
    std::unordered_set<std::size_t> mSeen; // a collision only costs the shortcut
    std::vector<std::string> mTops;
};

class TarHeaders {
public:
    struct Entry {
        std::string path; // as 7-Zip shows it: one trailing "/" of a folder removed
        bool folder = false;
        std::uint64_t size = 0; // as 7-Zip shows it (a symbolic link: its target's length)
        std::string symbolicLink;
        std::string hardLink;
    };

    // The next bytes of the decompressed stream, in chunks of any size; false once the reader
    // has declined (the rest need not come).
    bool feed(std::string_view bytes);
    // The stream has ended: whether the reader answers for the whole tar.
    bool finish();

    const std::vector<Entry>& entries() const { return mEntries; }
    const PlainTarTally& plainTally() const { return mTally; }

    // The listing in 7-Zip's technical layout (preamble, the archive's record, one record per
    // entry), handed out in chunks; archivePath must pass ZipDirectory::printablePath.
    void print(std::string_view archivePath, const std::function<void(std::string_view)>& write) const;

private:
    enum class State { Header, Data, Extension, End, Declined };
    enum class Extension { None, LongName, LongLink, Pax, GlobalPax };

    bool decline();
    bool header(const char* block);
    bool extension();
    bool paxRecords(bool global);
    bool addEntry(const char* block, char type, std::uint64_t size);

    State mState = State::Header;
    std::uint64_t mSize = 0;      // bytes fed
    char mBlock[512];
    std::size_t mBlockFill = 0;
    std::uint64_t mSkip = 0;      // data bytes still to pass (padding included)
    Extension mExtension = Extension::None;
    std::uint64_t mExtensionSize = 0;
    std::string mExtensionData;
    std::uint64_t mZeroBlocks = 0;

    // What extension headers said of the entry that follows them.
    std::optional<std::string> mLongName;
    std::optional<std::string> mLongLink;
    std::optional<std::string> mPaxPath;
    std::optional<std::string> mPaxLink;
    std::optional<std::uint64_t> mPaxSize;
    bool mPaxSeen = false;

    std::vector<Entry> mEntries;
    std::uint64_t mNameBytes = 0;
    PlainTarTally mTally;
};

} // namespace quendle::adapter
