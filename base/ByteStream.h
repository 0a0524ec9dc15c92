// Reading a byte stream that arrives in chunks of any size: finding a text in it, and checking
// that it is UTF-8, one byte at a time, with no more state than the structures below.
#pragma once

#include <cstddef>
#include <string_view>

namespace quendle::base {

// Moves a match of text on by one byte; matched is how much of the text the bytes seen so far
// end with. True when the byte completes the text; matching then starts afresh, so occurrences
// do not overlap.
bool advanceMatch(std::string_view text, std::size_t& matched, char c);

// Checks UTF-8 byte by byte the way Qt's decoder does: no stray continuation bytes, overlong
// forms, surrogates or code points above U+10FFFF.
class Utf8Check {
public:
    enum class Byte {
        Ascii,        // a character of its own
        Lead,         // begins a character of several bytes
        Continuation, // goes on with the character begun; it is whole when pending() is 0
        Invalid,      // belongs to no character; the check starts afresh after it
    };
    Byte step(unsigned char c);
    // Bytes still expected for the character begun; not 0 at the end means it was cut short.
    int pending() const { return mNeeded; }
    void reset() { *this = Utf8Check(); }

private:
    int mNeeded = 0;
    // The range the next byte must fall in; narrower right after some lead bytes.
    unsigned char mLow = 0x80;
    unsigned char mHigh = 0xBF;
};

} // namespace quendle::base
