#include "base/ByteStream.h"

namespace quendle::base {

bool advanceMatch(std::string_view text, std::size_t& matched, char c)
{
    if (text[matched] == c) {
        if (++matched < text.size())
            return false;
        matched = 0;
        return true;
    }
    // Fall back to the longest end of what was seen that still starts the text.
    for (std::size_t k = matched; k > 0; --k) {
        if (text[k - 1] == c && text.substr(0, k - 1) == text.substr(matched - k + 1, k - 1)) {
            matched = k;
            return false;
        }
    }
    matched = 0;
    return false;
}

Utf8Check::Byte Utf8Check::step(unsigned char c)
{
    if (mNeeded > 0) {
        const bool inRange = c >= mLow && c <= mHigh;
        mLow = 0x80;
        mHigh = 0xBF;
        if (!inRange) {
            mNeeded = 0;
            return Byte::Invalid;
        }
        --mNeeded;
        return Byte::Continuation;
    }
    if (c < 0x80)
        return Byte::Ascii;
    if (c >= 0xC2 && c <= 0xDF) {
        mNeeded = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
        mNeeded = 2;
        if (c == 0xE0)
            mLow = 0xA0; // no overlong forms
        else if (c == 0xED)
            mHigh = 0x9F; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        mNeeded = 3;
        if (c == 0xF0)
            mLow = 0x90; // no overlong forms
        else if (c == 0xF4)
            mHigh = 0x8F; // nothing above U+10FFFF
    } else {
        return Byte::Invalid;
    }
    return Byte::Lead;
}

} // namespace quendle::base
