// The archiver adapter's byte and text work, free of processes: searching streams, making
// listing bytes valid UTF-8, telling compressed tars apart, reading the caller's arguments and
// naming the archive in a listing made from standard input (lsar's listing: LsarListing.h).
#pragma once

#include "base/ByteStream.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quendle::adapter {

// Finds a text in a stream that arrives in chunks of any size.
struct StreamSearch {
    std::string_view text;
    std::size_t matched = 0;
    bool found = false;

    void step(char c);
};

// Finds a line that begins with a text.
struct LineStartSearch {
    std::string_view text;
    std::size_t matched = 0;
    bool atLineStart = true;
    bool found = false;

    void step(char c);
};

// Makes a byte stream valid UTF-8 as it passes: every byte that is not part of a well-formed
// sequence (stray continuation bytes, overlong forms, surrogates, code points above U+10FFFF,
// sequences cut short) becomes U+FFFD. A sequence that a chunk cuts off waits for the next one.
class Utf8Fixer {
public:
    void feed(std::string_view bytes, std::string& out);
    // The end of the stream: a sequence still open was cut short.
    void finish(std::string& out);
    bool replacedAny() const { return mReplaced; }

private:
    void replacePending(std::string& out);

    unsigned char mPending[4] {};
    int mPendingSize = 0;
    base::Utf8Check mCheck;
    bool mReplaced = false;
};

// The single-stream compressions whose content may be a tar, known by their first bytes.
enum class Compression { None, Gzip, Bzip2, Xz, Zstd, Compress };
Compression compressionOf(std::string_view head);
const char* nameOf(Compression compression);

// Whether a stream's first 512 bytes are a tar header: the "ustar" magic at offset 257, or an
// old-style header whose checksum adds up.
bool looksLikeTar(std::string_view firstBlock);

// What the adapter needs to know of the arguments Quendle gives it ("l", archive, "-slt",
// "-p…"; "x", archive, "-o…", "-aoa", "-p…"), read the way 7-Zip reads them.
struct Invocation {
    std::string command;              // argv[1], as given
    int archive = -1;                 // index of the archive path in argv; -1: none
    int nonSwitches = 0;              // archive and file names after the command
    std::optional<std::string> password;
    std::optional<std::string> outputFolder;
    char overwrite = 0;               // the mode letter of -ao (a, s, t, u); 0: none given
    bool readsStandardInput = false;  // -si, or output to standard output (-so)

    bool isList() const;
    bool isExtract() const;
};
Invocation readInvocation(int argc, const char* const* argv);

// Rewrites the head of a 7-Zip listing made from standard input so that it names the archive:
// the empty "Listing archive: " line and the archive record's empty "Path = " line get the
// archive path. Everything after the archive record's path passes unchanged.
class ListingHeadNamer {
public:
    explicit ListingHeadNamer(std::string archive) : mArchive(std::move(archive)) {}
    void feed(std::string_view bytes, std::string& out);
    void finish(std::string& out);

private:
    void endLine(std::string& out);

    std::string mArchive;
    std::string mLine;
    bool mDone = false;
    int mLines = 0;
};

} // namespace quendle::adapter
