// Sets of numbered volumes ("x.7z.001", "x.7z.002", …, as 7-Zip's -v writes them): the set a
// part belongs to, whether a part is missing, and the listing of the set made to read like the
// listing of the archive it splits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quendle::adapter {

struct SplitSet {
    std::string first;              // the first part, which 7-Zip opens the set from
    std::vector<std::string> parts; // the parts found, in order
    // The first part that is not there although the set needs it; empty when none is missing.
    std::string missing;
};

// The set that the part at path belongs to; nothing when its name does not end in a volume
// number of three or more digits. Parts are looked for beside it; the set needs a part that
// is absent when a later one is there, when the archive is opened from a later one, or when
// the parts found end before the archive does (7z's start header gives the archive's size, a
// zip ends with its end record; for other formats a last part shorter than the first ends it).
std::optional<SplitSet> findSplitSet(const std::string& path);

// The size a 7z archive declares in its start header (32 bytes, then the archive up to the end
// of its header); nothing for anything else.
std::optional<std::uint64_t> sevenZipSize(std::string_view head);

// Rewrites the head of 7-Zip's listing of a split set (the set's record, the joined archive's
// item, the joined archive's record) into the head of a plain archive's listing: the archive's
// record alone, named after the part the caller opened. Without such a head (anything 7-Zip
// did not open as a set) the text passes unchanged but for that name.
class SplitHeadFolder {
public:
    explicit SplitHeadFolder(std::string shownArchive) : mShown(std::move(shownArchive)) {}
    void feed(std::string_view bytes, std::string& out);
    void finish(std::string& out);

private:
    void endHead(std::string& out);

    std::string mShown;
    std::string mHead; // the head so far, while the line that opens the entries has not come
    bool mDone = false;
};

} // namespace quendle::adapter
