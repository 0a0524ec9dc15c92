#include "tool/OutputRelay.h"

#include "tool/Backends.h"
#include "tool/Children.h"

namespace quendle::adapter {

void OutputRelay::ListingText::feed(std::string_view bytes, std::string& text)
{
    std::string named;
    if (namer) {
        namer->feed(bytes, named);
        bytes = named;
    }
    std::string folded;
    if (splitHead) {
        splitHead->feed(bytes, folded);
        bytes = folded;
    }
    std::string read;
    records.feed(bytes, read);
    fixer.feed(read, text);
}

void OutputRelay::ListingText::finish(std::string& text)
{
    std::string named;
    if (namer)
        namer->finish(named);
    std::string folded;
    if (splitHead) {
        splitHead->feed(named, folded);
        splitHead->finish(folded);
    } else {
        folded = std::move(named);
    }
    std::string read;
    records.feed(folded, read);
    records.finish(read);
    fixer.feed(read, text);
    fixer.finish(text);
}

OutputRelay::OutputRelay(bool hold)
    : mHolding(hold)
    , mHoldingErr(hold)
{
}

OutputRelay::OutputRelay(bool hold, const Listing& listing)
    : mHolding(hold)
    , mHoldingErr(true)
{
    mListing.emplace(listing);
}

void OutputRelay::out(std::string_view data)
{
    for (const char c : data) {
        mPrompt.step(c);
        mRecord.step(c);
    }
    if (mListing) {
        std::string text;
        mListing->feed(data, text);
        emit(text);
    } else {
        emit(data);
    }
    if ((mHolding || mHoldingErr) && mRecord.found)
        release();
}

void OutputRelay::err(std::string_view data)
{
    for (const char c : data) {
        mCannotOpen.step(c);
        mCanNotOpen.step(c);
    }
    if (mHoldingErr && mHeldErr.size() < kHoldLimit)
        mHeldErr.append(data);
    else if (!mHoldingErr)
        mRelayErr = mRelayErr && writeAll(2, data.data(), data.size());
}

void OutputRelay::release()
{
    mHolding = false;
    mHoldingErr = false;
    emit(mHeldOut);
    mHeldOut.clear();
    mRelayErr = mRelayErr && writeAll(2, mHeldErr);
    mHeldErr.clear();
}

void OutputRelay::finishText()
{
    if (mListing) {
        std::string text;
        mListing->finish(text);
        emit(text);
        if (mListing->quiet && showsEncryption() && !mRecord.found)
            mHeldErr = withoutPasswordNoise(mHeldErr);
    }
    release();
}

void OutputRelay::finishSign(bool refused)
{
    if (mRelayOut && (refused || showsEncryption())) {
        if (mLastOut != '\n')
            mRelayOut = writeAll(1, "\n", 1);
        mRelayOut = mRelayOut && writeAll(1, kSign.data(), kSign.size());
    }
}

void OutputRelay::emit(std::string_view text)
{
    if (text.empty())
        return;
    if (mHolding) {
        mHeldOut += text;
        // No preamble is this long: 7-Zip has got somewhere, let it be read.
        if (mHeldOut.size() > kHoldLimit)
            release();
        return;
    }
    // When nobody reads any more, keep draining so that 7-Zip is never stuck.
    mRelayOut = mRelayOut && writeAll(1, text.data(), text.size());
    mLastOut = text.back();
    if (mCopying && mCopy.size() + text.size() > mCopyLimit) {
        mCopying = false;
        std::string().swap(mCopy);
    } else if (mCopying) {
        mCopy.append(text);
    }
}

} // namespace quendle::adapter
