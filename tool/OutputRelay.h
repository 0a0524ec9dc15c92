// 7-Zip's output and error on their way to the adapter's own, watched for what tells whether
// 7-Zip opened the archive, and held back until it shows that it did when another reader may
// still take over (so that no word of 7-Zip's gets out then). A listing is also made what
// Quendle reads on the way: named after the archive when 7-Zip read it from standard input,
// legacy zip names decoded, valid UTF-8, and the sign added when the archive is encrypted.
#pragma once

#include "tool/AdapterText.h"
#include "tool/ListingRecords.h"
#include "tool/Serve.h"
#include "tool/SplitSet.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quendle::adapter {

class OutputRelay final : public StreamSink {
public:
    // How a listing is made readable.
    struct Listing {
        // The archive's path, for a listing of a tar that 7-Zip read from standard input.
        std::optional<std::string> namedArchive;
        // When 7-Zip was given another file than the caller named (a split set's first part,
        // a package's payload): the name the caller gave, for the listing's head.
        std::optional<std::string> shownAs;
        int codePage = 437;
        // When 7-Zip could not open an encrypted archive without a password, its complaint
        // is not for the terminal.
        bool quiet = false;
        // The entries' paths as the extraction writes them.
        PathRewrite rewrite {};
    };

    // An extraction's output, relayed unchanged; hold: keep everything back until 7-Zip shows
    // that it opened the archive (or until release).
    explicit OutputRelay(bool hold);
    // A listing's; its standard error is always held that long.
    OutputRelay(bool hold, const Listing& listing);

    void out(std::string_view data) override;
    void err(std::string_view data) override;

    const ListingRecords& records() const { return mListing->records; }

    // 7-Zip opened the archive: a record began.
    bool opened() const { return mRecord.found; }
    // 7-Zip asked for a password, or could not open an encrypted archive without one.
    bool showsEncryption() const { return mPrompt.found || mCannotOpen.found || mCanNotOpen.found; }

    // Lets everything held back out, and what comes later straight through.
    void release();
    // Keeps a copy of what goes out on standard output, up to limit bytes (beyond, none).
    void keepCopy(std::size_t limit)
    {
        mCopying = true;
        mCopyLimit = limit;
    }
    // The copy of all that went out; nothing when it passed the limit or the output failed.
    std::optional<std::string_view> copy() const
    {
        if (!mCopying || !mRelayOut)
            return std::nullopt;
        return mCopy;
    }
    // The end of a listing's text, and everything held back let out.
    void finishText();
    // The sign, when 7-Zip showed that it could not open an encrypted archive or when the
    // password was refused; it goes on a line of its own.
    void finishSign(bool refused);
    void finish(bool refused = false)
    {
        finishText();
        finishSign(refused);
    }

private:
    static constexpr std::size_t kHoldLimit = 1 << 20;

    struct ListingText {
        ListingText(const Listing& listing)
            : quiet(listing.quiet)
            , records(listing.codePage, listing.rewrite)
        {
            if (listing.namedArchive)
                namer.emplace(*listing.namedArchive);
            if (listing.shownAs)
                splitHead.emplace(*listing.shownAs);
        }
        // The bytes on their way from 7-Zip to the text Quendle reads.
        void feed(std::string_view bytes, std::string& text);
        void finish(std::string& text);

        bool quiet;
        std::optional<ListingHeadNamer> namer;
        std::optional<SplitHeadFolder> splitHead;
        ListingRecords records;
        Utf8Fixer fixer;
    };

    void emit(std::string_view text);

    bool mHolding;
    bool mHoldingErr;
    std::optional<ListingText> mListing;
    // 7-Zip asks for a password on standard output when none was given, and reports a
    // refused one on standard error.
    LineStartSearch mPrompt {"Enter password"};
    LineStartSearch mRecord {"Path = "};
    StreamSearch mCannotOpen {"Cannot open encrypted archive"};
    StreamSearch mCanNotOpen {"Can not open encrypted archive"};
    std::string mHeldOut;
    std::string mHeldErr;
    bool mRelayOut = true;
    bool mRelayErr = true;
    char mLastOut = '\n';
    bool mCopying = false;
    std::size_t mCopyLimit = 0;
    std::string mCopy;
};

} // namespace quendle::adapter
