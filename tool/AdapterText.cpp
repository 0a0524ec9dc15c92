// The archiver adapter's byte and text work: stream searches, the UTF-8 fixer, compression and
// tar signatures, the caller's arguments, and lsar's JSON read into 7-Zip's listing layout.
#include "tool/AdapterText.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace quendle::adapter {

void StreamSearch::step(char c)
{
    if (!found)
        found = base::advanceMatch(text, matched, c);
}

void LineStartSearch::step(char c)
{
    if (found)
        return;
    if (c == '\n') {
        atLineStart = true;
        matched = 0;
    } else if (atLineStart) {
        if (text[matched] == c)
            found = ++matched == text.size();
        else
            atLineStart = false;
    }
}

// ---------------------------------------------------------------------------------------------

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

} // namespace

void Utf8Fixer::replacePending(std::string& out)
{
    for (int i = 0; i < mPendingSize; ++i)
        out += kReplacement;
    if (mPendingSize > 0)
        mReplaced = true;
    mPendingSize = 0;
    mCheck.reset();
}

void Utf8Fixer::feed(std::string_view bytes, std::string& out)
{
    out.reserve(out.size() + bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (mCheck.pending() > 0) {
            if (mCheck.step(c) == base::Utf8Check::Byte::Continuation) {
                mPending[mPendingSize++] = c;
                if (mCheck.pending() == 0) {
                    out.append(reinterpret_cast<const char*>(mPending), std::size_t(mPendingSize));
                    mPendingSize = 0;
                }
                ++i;
                continue;
            }
            // The sequence broke off: its bytes are not part of any character, and this byte
            // is looked at afresh.
            replacePending(out);
        }
        if (c < 0x80) {
            // Plain ASCII runs are the bulk of any listing: copy them in one go.
            std::size_t end = i + 1;
            while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80)
                ++end;
            out.append(bytes.data() + i, end - i);
            i = end;
            continue;
        }
        if (mCheck.step(c) == base::Utf8Check::Byte::Invalid) {
            out += kReplacement;
            mReplaced = true;
            ++i;
            continue;
        }
        mPending[0] = c;
        mPendingSize = 1;
        ++i;
    }
}

void Utf8Fixer::finish(std::string& out)
{
    replacePending(out);
}

// ---------------------------------------------------------------------------------------------

Compression compressionOf(std::string_view head)
{
    const auto starts = [head](std::string_view magic) { return head.substr(0, magic.size()) == magic; };
    if (starts(std::string_view("\x1F\x8B", 2)))
        return Compression::Gzip;
    if (starts(std::string_view("\x1F\x9D", 2)))
        return Compression::Compress;
    if (starts("BZh") && head.size() >= 4 && head[3] >= '1' && head[3] <= '9')
        return Compression::Bzip2;
    if (starts(std::string_view("\xFD" "7zXZ\0", 6)))
        return Compression::Xz;
    if (starts(std::string_view("\x28\xB5\x2F\xFD", 4)))
        return Compression::Zstd;
    return Compression::None;
}

const char* nameOf(Compression compression)
{
    switch (compression) {
    case Compression::Gzip: return "gzip";
    case Compression::Bzip2: return "bzip2";
    case Compression::Xz: return "xz";
    case Compression::Zstd: return "zstd";
    case Compression::Compress: return "Z";
    case Compression::None: break;
    }
    return "";
}

bool looksLikeTar(std::string_view block)
{
    if (block.size() < 512)
        return false;
    if (block.substr(257, 5) == "ustar")
        return true;
    if (block[0] == '\0')
        return false; // no name: an end-of-archive block or no tar at all

    // Old-style header: the checksum field holds, in octal, the sum of the header's bytes with
    // the field itself counted as spaces (some writers summed signed bytes).
    const std::string_view field = block.substr(148, 8);
    std::size_t at = 0;
    while (at < field.size() && field[at] == ' ')
        ++at;
    std::int64_t stored = 0;
    std::size_t digits = 0;
    while (at < field.size() && field[at] >= '0' && field[at] <= '7') {
        stored = stored * 8 + (field[at] - '0');
        ++at;
        ++digits;
    }
    if (digits == 0)
        return false;
    for (; at < field.size(); ++at) {
        if (field[at] != ' ' && field[at] != '\0')
            return false;
    }
    std::int64_t unsignedSum = 0;
    std::int64_t signedSum = 0;
    for (std::size_t i = 0; i < 512; ++i) {
        const char c = (i >= 148 && i < 156) ? ' ' : block[i];
        unsignedSum += static_cast<unsigned char>(c);
        signedSum += static_cast<signed char>(c);
    }
    return stored == unsignedSum || stored == signedSum;
}

// ---------------------------------------------------------------------------------------------

bool Invocation::isList() const
{
    return command == "l" || command == "L";
}

bool Invocation::isExtract() const
{
    return command == "x" || command == "X";
}

Invocation readInvocation(int argc, const char* const* argv)
{
    Invocation call;
    if (argc < 2)
        return call;
    call.command = argv[1];
    bool switchesEnded = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!switchesEnded && argument == "--") {
            switchesEnded = true;
            continue;
        }
        if (switchesEnded || argument.size() < 2 || argument[0] != '-') {
            if (call.archive < 0)
                call.archive = i;
            ++call.nonSwitches;
            continue;
        }
        // 7-Zip's switch names are not case-sensitive; their values are.
        const auto is = [&argument](std::string_view name) {
            if (argument.size() < name.size() + 1)
                return false;
            for (std::size_t k = 0; k < name.size(); ++k) {
                if (std::tolower(static_cast<unsigned char>(argument[k + 1])) != name[k])
                    return false;
            }
            return true;
        };
        if (is("ao") && argument.size() == 4)
            call.overwrite = char(std::tolower(static_cast<unsigned char>(argument[3])));
        else if (is("p"))
            call.password = std::string(argument.substr(2));
        else if (is("o"))
            call.outputFolder = std::string(argument.substr(2));
        else if (is("si") || is("so"))
            call.readsStandardInput = true;
    }
    return call;
}

// ---------------------------------------------------------------------------------------------

void ListingHeadNamer::endLine(std::string& out)
{
    ++mLines;
    if (mLine == "Listing archive: ") {
        out += mLine + mArchive + '\n';
    } else if (mLine == "Path = ") {
        out += mLine + mArchive + '\n';
        mDone = true;
    } else {
        // A first record that already has a path, or a head much longer than 7-Zip's: leave
        // everything as it is from here on.
        if (mLine.starts_with("Path = ") || mLines > 64)
            mDone = true;
        out += mLine + '\n';
    }
    mLine.clear();
}

void ListingHeadNamer::feed(std::string_view bytes, std::string& out)
{
    while (!mDone && !bytes.empty()) {
        const std::size_t lineFeed = bytes.find('\n');
        if (lineFeed == std::string_view::npos) {
            mLine.append(bytes);
            if (mLine.size() > 65536) {
                out += mLine;
                mLine.clear();
                mDone = true;
            }
            return;
        }
        mLine.append(bytes.substr(0, lineFeed));
        bytes.remove_prefix(lineFeed + 1);
        endLine(out);
    }
    out.append(bytes);
}

void ListingHeadNamer::finish(std::string& out)
{
    out += mLine;
    mLine.clear();
    mDone = true;
}

// ---------------------------------------------------------------------------------------------
// lsar's JSON, read as it arrives.

namespace {

struct JsonSyntaxError {};

class JsonReader {
public:
    explicit JsonReader(const ByteSource& source) : mSource(source) {}

    int peek()
    {
        if (mAt == mSize) {
            mSize = mEnd ? 0 : mSource(mBuffer, sizeof mBuffer);
            mAt = 0;
            if (mSize == 0) {
                mEnd = true;
                return -1;
            }
        }
        return static_cast<unsigned char>(mBuffer[mAt]);
    }
    int get()
    {
        const int c = peek();
        if (c >= 0)
            ++mAt;
        return c;
    }
    void skipSpace()
    {
        while (true) {
            const int c = peek();
            if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
                return;
            ++mAt;
        }
    }
    int next()
    {
        skipSpace();
        return peek();
    }
    void expect(char c)
    {
        skipSpace();
        if (get() != static_cast<unsigned char>(c))
            throw JsonSyntaxError {};
    }
    void expectWord(std::string_view word)
    {
        for (char c : word) {
            if (get() != static_cast<unsigned char>(c))
                throw JsonSyntaxError {};
        }
    }

    std::string string()
    {
        expect('"');
        std::string text;
        while (true) {
            const int c = get();
            if (c < 0)
                throw JsonSyntaxError {};
            if (c == '"')
                return text;
            if (c != '\\') {
                text += char(c);
                continue;
            }
            const int escaped = get();
            switch (escaped) {
            case '"': text += '"'; break;
            case '\\': text += '\\'; break;
            case '/': text += '/'; break;
            case 'b': text += '\b'; break;
            case 'f': text += '\f'; break;
            case 'n': text += '\n'; break;
            case 'r': text += '\r'; break;
            case 't': text += '\t'; break;
            case 'u': appendCodePoint(text); break;
            default: throw JsonSyntaxError {};
            }
        }
    }

    // A number, true, false or null, as its text.
    std::string scalar()
    {
        skipSpace();
        std::string text;
        while (true) {
            const int c = peek();
            if (c < 0 || c == ',' || c == '}' || c == ']' || c == ' ' || c == '\n' || c == '\r' || c == '\t')
                break;
            text += char(c);
            ++mAt;
            if (text.size() > 64)
                throw JsonSyntaxError {};
        }
        if (text.empty())
            throw JsonSyntaxError {};
        return text;
    }

    void skipValue(int depth = 0)
    {
        if (depth > 200)
            throw JsonSyntaxError {};
        const int c = next();
        if (c == '"') {
            string();
        } else if (c == '{') {
            get();
            if (next() == '}') {
                get();
                return;
            }
            do {
                string();
                expect(':');
                skipValue(depth + 1);
            } while (comma('}'));
        } else if (c == '[') {
            get();
            if (next() == ']') {
                get();
                return;
            }
            do
                skipValue(depth + 1);
            while (comma(']'));
        } else {
            scalar();
        }
    }

    // After a member or element: true when another follows, false at the closing bracket.
    bool comma(char close)
    {
        const int c = next();
        get();
        if (c == ',')
            return true;
        if (c == static_cast<unsigned char>(close))
            return false;
        throw JsonSyntaxError {};
    }

    bool atEnd()
    {
        return next() < 0;
    }

private:
    unsigned hex4()
    {
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const int c = get();
            value <<= 4;
            if (c >= '0' && c <= '9')
                value |= unsigned(c - '0');
            else if (c >= 'a' && c <= 'f')
                value |= unsigned(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                value |= unsigned(c - 'A' + 10);
            else
                throw JsonSyntaxError {};
        }
        return value;
    }

    void appendCodePoint(std::string& text)
    {
        unsigned code = hex4();
        if (code >= 0xD800 && code <= 0xDBFF && peek() == '\\') {
            // A surrogate pair spelt as two escapes.
            ++mAt;
            if (get() != 'u')
                throw JsonSyntaxError {};
            const unsigned low = hex4();
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            } else {
                text += "\xEF\xBF\xBD";
                code = low;
            }
        }
        if (code >= 0xD800 && code <= 0xDFFF) {
            text += "\xEF\xBF\xBD"; // a lone surrogate names no character
        } else if (code < 0x80) {
            text += char(code);
        } else if (code < 0x800) {
            text += char(0xC0 | (code >> 6));
            text += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            text += char(0xE0 | (code >> 12));
            text += char(0x80 | ((code >> 6) & 0x3F));
            text += char(0x80 | (code & 0x3F));
        } else {
            text += char(0xF0 | (code >> 18));
            text += char(0x80 | ((code >> 12) & 0x3F));
            text += char(0x80 | ((code >> 6) & 0x3F));
            text += char(0x80 | (code & 0x3F));
        }
    }

    const ByteSource& mSource;
    char mBuffer[65536];
    std::size_t mAt = 0;
    std::size_t mSize = 0;
    bool mEnd = false;
};

std::int64_t integerOf(const std::string& text)
{
    return std::strtoll(text.c_str(), nullptr, 10);
}

bool truthOf(const std::string& text)
{
    return text == "true" || (!text.empty() && text != "false" && text != "null" && integerOf(text) != 0);
}

LsarEntry readEntry(JsonReader& json)
{
    LsarEntry entry;
    json.expect('{');
    if (json.next() == '}') {
        json.get();
        return entry;
    }
    do {
        const std::string key = json.string();
        json.expect(':');
        if (key == "XADFileName" && json.next() == '"') {
            entry.name = json.string();
        } else if (key == "XADLinkDestination" && json.next() == '"') {
            entry.linkTarget = json.string();
        } else if (key == "XADLastModificationDate" && json.next() == '"') {
            entry.modified = json.string();
        } else if (json.next() == '"' || json.next() == '{' || json.next() == '[') {
            json.skipValue();
        } else {
            const std::string value = json.scalar();
            if (key == "XADIsDirectory")
                entry.directory = truthOf(value);
            else if (key == "XADIsEncrypted")
                entry.encrypted = truthOf(value);
            else if (key == "XADIsResourceFork")
                entry.resourceFork = truthOf(value);
            else if (key == "XADIsLink")
                entry.link = truthOf(value);
            else if (key == "XADFileSize")
                entry.size = integerOf(value);
            else if (key == "XADCompressedSize")
                entry.packedSize = integerOf(value);
            else if (key == "XADIndex")
                entry.index = integerOf(value);
        }
    } while (json.comma('}'));
    return entry;
}

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
    JsonReader json(source);
    std::optional<std::int64_t> probeSize;
    try {
        json.expect('{');
        if (json.next() == '}') {
            json.get();
        } else {
            do {
                const std::string key = json.string();
                json.expect(':');
                if (key == "lsarContents" && json.next() == '[') {
                    json.get();
                    summary.sawContents = true;
                    onContentsBegin();
                    if (json.next() == ']') {
                        json.get();
                        continue;
                    }
                    do {
                        const LsarEntry entry = readEntry(json);
                        ++summary.entries;
                        if (entry.encrypted) {
                            ++summary.encryptedEntries;
                            if (!entry.directory && !entry.link && entry.index >= 0
                                && (!probeSize || entry.packedSize < *probeSize)) {
                                probeSize = entry.packedSize;
                                summary.passwordProbeIndex = entry.index;
                            }
                        }
                        onEntry(entry);
                    } while (json.comma(']'));
                } else if (key == "lsarFormatName" && json.next() == '"') {
                    summary.formatName = json.string();
                } else if (key == "lsarError" && json.next() != '"' && json.next() != '{' && json.next() != '[') {
                    summary.error = integerOf(json.scalar());
                } else {
                    json.skipValue();
                }
            } while (json.comma('}'));
        }
        summary.complete = json.atEnd();
    } catch (const JsonSyntaxError&) {
        summary.complete = false;
    }
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
