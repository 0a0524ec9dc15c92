#include "tool/LsarListing.h"

#include "tool/AdapterText.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <istream>
#include <limits>
#include <streambuf>
#include <vector>

namespace quendle::adapter {

namespace {

// lsar's JSON as the reader takes it. lsar writes names it could not decode as they are, and
// an unpaired surrogate as an escape of its own; JSON allows neither, so the text is mended on
// the way rather than the whole listing lost: bytes that are not UTF-8 become U+FFFD (as the
// listing would show them anyway), so does an unpaired surrogate escape, and a raw control
// character in a string is escaped.
class LsarJsonText : public std::streambuf {
public:
    explicit LsarJsonText(const ByteSource& source) : mSource(source) {}

protected:
    int_type underflow() override
    {
        while (gptr() == egptr()) {
            if (mEnded)
                return traits_type::eof();
            mValid.clear();
            mText.clear();
            const std::size_t size = mSource(mBuffer, sizeof mBuffer);
            if (size == 0) {
                mEnded = true;
                mFixer.finish(mValid);
                mend(mValid);
                mText += mEscape;
                mEscape.clear();
            } else {
                mFixer.feed(std::string_view(mBuffer, size), mValid);
                mend(mValid);
            }
            setg(mText.data(), mText.data(), mText.data() + mText.size());
        }
        return traits_type::to_int_type(*gptr());
    }

private:
    void mend(std::string_view bytes)
    {
        std::size_t at = 0;
        while (at < bytes.size()) {
            if (!mEscape.empty()) {
                if (escape(bytes[at]))
                    ++at;
                continue;
            }
            if (!mInString) {
                const std::size_t quote = bytes.find('"', at);
                const std::size_t end = quote == std::string_view::npos ? bytes.size() : quote + 1;
                mText.append(bytes.substr(at, end - at));
                mInString = quote != std::string_view::npos;
                at = end;
                continue;
            }
            std::size_t end = at;
            while (end < bytes.size() && bytes[end] != '"' && bytes[end] != '\\'
                && static_cast<unsigned char>(bytes[end]) >= 0x20)
                ++end;
            mText.append(bytes.substr(at, end - at));
            if (end == bytes.size())
                break;
            const char c = bytes[end];
            at = end + 1;
            if (c == '\\') {
                mEscape = c;
            } else if (c == '"') {
                mText += c;
                mInString = false;
            } else {
                static constexpr char kHex[] = "0123456789abcdef";
                mText += "\\u00";
                mText += kHex[(c >> 4) & 0xF];
                mText += kHex[c & 0xF];
            }
        }
    }

    // The next character of an escape; false when it is not part of it (it is then read
    // afresh).
    bool escape(char c)
    {
        mEscape += c;
        const std::size_t size = mEscape.size();
        const bool hex = std::isxdigit(static_cast<unsigned char>(c)) != 0;
        if ((size == 2 && c != 'u') || (size == 8 && c != 'u') || (size > 2 && size != 7 && size != 8 && !hex)) {
            // Not a \u escape, or a broken one that the reader refuses.
            flushEscape();
        } else if (size == 6) {
            const unsigned code = codeAt(2);
            if (code >= 0xDC00 && code <= 0xDFFF)
                replaceEscape(6);
            else if (code < 0xD800 || code > 0xDBFF)
                flushEscape();
        } else if (size == 7 && c != '\\') {
            mEscape.pop_back();
            replaceEscape(6);
            return false;
        } else if (size == 12) {
            const unsigned low = codeAt(8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                flushEscape();
            } else {
                // The second escape stands on its own, and may begin a pair itself.
                replaceEscape(6);
                if (low < 0xD800 || low > 0xDBFF)
                    flushEscape();
            }
        }
        return true;
    }

    unsigned codeAt(std::size_t at) const
    {
        return unsigned(std::strtoul(mEscape.substr(at, 4).c_str(), nullptr, 16));
    }
    void flushEscape()
    {
        mText += mEscape;
        mEscape.clear();
    }
    // The first escape of size bytes names no character.
    void replaceEscape(std::size_t size)
    {
        mText += "\\ufffd";
        mEscape.erase(0, size);
    }

    const ByteSource& mSource;
    char mBuffer[65536];
    Utf8Fixer mFixer;
    std::string mValid;
    std::string mText;
    std::string mEscape;
    bool mInString = false;
    bool mEnded = false;
};

// A number, true, false or null where lsar gives a count, a flag or an index, read as lsar's
// own tools read it: a flag is anything but zero, false and null; a count is its whole part.
struct Scalar {
    std::int64_t integer = 0;
    bool truth = false;
};

// Follows lsar's JSON event by event: the top-level object's format name and error, and each
// object of its "lsarContents" list as one entry. Anything else is passed over.
class LsarHandler {
public:
    LsarHandler(LsarSummary& summary, const std::function<void()>& onContentsBegin,
        const std::function<void(const LsarEntry&)>& onEntry)
        : mSummary(summary)
        , mOnContentsBegin(onContentsBegin)
        , mOnEntry(onEntry)
    {
    }

    bool null() { return scalar({}); }
    bool boolean(bool value) { return scalar({0, value}); }
    bool number_integer(std::int64_t value) { return scalar({value, value != 0}); }
    bool number_unsigned(std::uint64_t value)
    {
        constexpr auto kLargest = std::uint64_t(std::numeric_limits<std::int64_t>::max());
        return scalar({std::int64_t(std::min(value, kLargest)), value != 0});
    }
    bool number_float(double, const std::string& text)
    {
        const std::int64_t whole = std::strtoll(text.c_str(), nullptr, 10);
        return scalar({whole, whole != 0});
    }
    bool string(std::string& value)
    {
        if (mDepth == 1 && mKey == "lsarFormatName")
            mSummary.formatName = value;
        if (inEntry()) {
            if (mKey == "XADFileName")
                mEntry.name = value;
            else if (mKey == "XADLinkDestination")
                mEntry.linkTarget = value;
            else if (mKey == "XADLastModificationDate")
                mEntry.modified = value;
        }
        return mDepth > 0 && !inContentsList();
    }
    bool binary(nlohmann::json::binary_t&) { return false; }

    bool start_object(std::size_t)
    {
        if (inContentsList())
            mEntry = LsarEntry {};
        return open(true);
    }
    bool end_object()
    {
        if (inEntry())
            endEntry();
        return close();
    }
    bool start_array(std::size_t)
    {
        if (mDepth == 1 && mKey == "lsarContents") {
            mSummary.sawContents = true;
            mOnContentsBegin();
            mInContents = true;
        } else if (mDepth == 0 || inContentsList()) {
            return false; // an entry is an object, and so is the whole
        }
        return open(false);
    }
    bool end_array()
    {
        if (inContentsList())
            mInContents = false;
        return close();
    }
    bool key(std::string& key)
    {
        if (mDepth == 1 || inEntry())
            mKey = key;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

private:
    // Deeper than lsar ever writes: refused rather than followed.
    static constexpr int kDeepest = 200;

    bool inContentsList() const { return mInContents && mDepth == 2; }
    bool inEntry() const { return mInContents && mDepth == 3; }

    bool open(bool object)
    {
        if (mDepth == 0 && !object)
            return false;
        return ++mDepth <= kDeepest;
    }
    bool close()
    {
        --mDepth;
        return true;
    }

    bool scalar(Scalar value)
    {
        if (mDepth == 0 || inContentsList())
            return false;
        if (mDepth == 1 && mKey == "lsarError")
            mSummary.error = value.integer;
        if (!inEntry())
            return true;
        if (mKey == "XADIsDirectory")
            mEntry.directory = value.truth;
        else if (mKey == "XADIsEncrypted")
            mEntry.encrypted = value.truth;
        else if (mKey == "XADIsResourceFork")
            mEntry.resourceFork = value.truth;
        else if (mKey == "XADIsLink")
            mEntry.link = value.truth;
        else if (mKey == "XADFileSize")
            mEntry.size = value.integer;
        else if (mKey == "XADCompressedSize")
            mEntry.packedSize = value.integer;
        else if (mKey == "XADIndex")
            mEntry.index = value.integer;
        return true;
    }

    void endEntry()
    {
        ++mSummary.entries;
        if (mEntry.encrypted) {
            ++mSummary.encryptedEntries;
            if (!mEntry.directory && !mEntry.link && mEntry.index >= 0
                && (!mProbeSize || mEntry.packedSize < *mProbeSize)) {
                mProbeSize = mEntry.packedSize;
                mSummary.passwordProbeIndex = mEntry.index;
            }
        }
        mOnEntry(mEntry);
    }

    LsarSummary& mSummary;
    const std::function<void()>& mOnContentsBegin;
    const std::function<void(const LsarEntry&)>& mOnEntry;
    int mDepth = 0;
    bool mInContents = false;
    std::string mKey;
    LsarEntry mEntry;
    std::optional<std::int64_t> mProbeSize;
};

} // namespace

bool LsarSummary::recognized() const
{
    return sawContents || !formatName.empty() || error == kLsarPasswordError;
}

bool LsarSummary::needsPassword() const
{
    return error == kLsarPasswordError;
}

LsarSummary readLsarJson(const ByteSource& source, const std::function<void()>& onContentsBegin,
    const std::function<void(const LsarEntry&)>& onEntry)
{
    LsarSummary summary;
    LsarJsonText text(source);
    std::istream stream(&text);
    LsarHandler handler(summary, onContentsBegin, onEntry);
    summary.complete = nlohmann::json::sax_parse(stream, &handler);
    return summary;
}

std::string extractedPath(const LsarEntry& entry)
{
    // unar keeps everything below the destination: "." and empty components go, ".." takes back
    // the component before it, and a ".." with nothing left to take back becomes "__Parent__".
    std::vector<std::string_view> components;
    std::string_view rest = entry.name;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view component = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (component.empty() || component == ".")
            continue;
        if (component == "..") {
            if (!components.empty() && components.back() != "__Parent__")
                components.pop_back();
            else
                components.push_back("__Parent__");
            continue;
        }
        components.push_back(component);
    }
    std::string path;
    for (const std::string_view component : components) {
        if (!path.empty())
            path += '/';
        path += component;
    }
    if (entry.resourceFork)
        path += ".rsrc";
    return path;
}

std::string lsarListingHead(std::string_view archive)
{
    std::string head;
    head += "\nListing archive: ";
    head += archive;
    head += "\n\n--\nPath = ";
    head += archive;
    head += "\n\n----------\n";
    return head;
}

std::string lsarListingRecord(const LsarEntry& entry)
{
    std::string record = "Path = " + extractedPath(entry) + '\n';
    record += entry.directory ? "Folder = +\n" : "Folder = -\n";
    record += "Size = " + std::to_string(entry.size) + '\n';
    record += "Packed Size = " + std::to_string(entry.packedSize) + '\n';
    record += "Modified = " + entry.modified + '\n';
    record += entry.encrypted ? "Encrypted = +\n" : "Encrypted = -\n";
    if (entry.link)
        record += "Symbolic Link = " + entry.linkTarget + '\n';
    record += '\n';
    return record;
}

std::string lsarErrorText(std::int64_t error)
{
    switch (error) {
    case 2: return "the archive ends too soon";
    case 5: return "not enough memory";
    case 6: case 9: case 20: return "the archive's data is damaged";
    case 7: return "the archive uses a method lsar does not support";
    case 11: return "the archive cannot be opened";
    case 15: return "missing or wrong password";
    case 17: return "a checksum is wrong";
    case 25: return "the file names' encoding is damaged";
    default: return "lsar error " + std::to_string(error);
    }
}

} // namespace quendle::adapter
