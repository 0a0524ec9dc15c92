// lsar's JSON listing (lsar -j) read as it arrives and turned into 7-Zip's technical-listing
// layout, and the paths unar gives the entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quendle::adapter {

// One entry of lsar's listing, with the fields the technical listing shows.
struct LsarEntry {
    std::string name;
    bool directory = false;
    bool encrypted = false;
    bool resourceFork = false;
    bool link = false;
    std::string linkTarget;
    std::int64_t size = 0;
    std::int64_t packedSize = 0;
    std::string modified;
    std::int64_t index = -1;
};

// What the whole of lsar's JSON said besides the entries.
struct LsarSummary {
    bool complete = false;      // the JSON was read to its end without a syntax error
    bool sawContents = false;   // it had a list of entries (possibly empty)
    std::string formatName;     // empty when not given
    std::int64_t error = 0;     // lsar's error code; 0: none
    std::uint64_t entries = 0;
    std::uint64_t encryptedEntries = 0;
    // The smallest encrypted file, the cheapest one to try a password on.
    std::optional<std::int64_t> passwordProbeIndex;

    // lsar knows the format, whether or not it could read everything.
    bool recognized() const;
    bool needsPassword() const;
};

// Reads lsar's JSON output (lsar -j) from a source of bytes, in memory that does not grow with
// the number of entries: onContentsBegin is called when the list of entries begins, onEntry
// for each entry as soon as it has been read.
using ByteSource = std::function<std::size_t(char* buffer, std::size_t capacity)>; // 0: end
LsarSummary readLsarJson(const ByteSource& source, const std::function<void()>& onContentsBegin,
    const std::function<void(const LsarEntry&)>& onEntry);

// The path an entry gets below the destination when unar writes it (".." never leads above the
// destination), with a resource fork beside its file as "<name>.rsrc".
std::string extractedPath(const LsarEntry& entry);

// The technical listing's pieces: what comes before the records, the archive's record, and
// one record per entry, each beginning "Path = ".
std::string lsarListingHead(std::string_view archive);
std::string lsarListingRecord(const LsarEntry& entry);

// lsar's error codes that matter here.
inline constexpr std::int64_t kLsarPasswordError = 15;
std::string lsarErrorText(std::int64_t error);

} // namespace quendle::adapter
