// The whole-text listing reader: split at every "Path = " and search the signs, as plainly as it
// can be said.
#include "support/WholeListing.h"

#include <QStringDecoder>

#include <algorithm>

namespace quendle {

namespace {

constexpr QStringView kSeparator = u"Path = ";
constexpr QStringView kEncryptedEntry = u"Encrypted = +";
constexpr QStringView kCannotOpen = u"Can not open encrypted archive.";
constexpr QStringView kWrongPassword = u"Wrong password";
constexpr QStringView kEntryList = u"\n----------\n";
constexpr QStringView kErrors = u"ERRORS:";
constexpr QStringView kTypeLine = u"\nType = ";

constexpr bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

} // namespace

std::optional<QString> decodeListing(const QByteArray& bytes)
{
    // Stateless, so that a character cut off at the end is an error rather than a remainder.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

ArchiveListing readListing(const std::optional<QString>& text, const QString& archiveFileName)
{
    if (!text)
        return absentListing();

    // Split at every "Path = ", left to right; n separators give n + 1 pieces. Piece 2 on are
    // the entries.
    std::uint64_t separators = 0;
    std::optional<QString> name;
    bool shares = true;
    bool namesArchive = false;
    const auto readEntry = [&](QStringView piece) {
        const auto end = std::find_if(piece.begin(), piece.end(), [](QChar c) { return c == u'/' || c == u'\n'; });
        const QStringView top = piece.first(end - piece.begin());
        if (separators == 2) {
            if (end != piece.end())
                name = top.toString();
        } else if (name && top != *name) {
            shares = false;
        }
        namesArchive = namesArchive || (!archiveFileName.isEmpty() && top == archiveFileName);
    };
    qsizetype pieceBegin = 0;
    for (qsizetype at = text->indexOf(kSeparator); at >= 0; at = text->indexOf(kSeparator, at + kSeparator.size())) {
        if (separators >= 2)
            readEntry(QStringView(*text).sliced(pieceBegin, at - pieceBegin));
        ++separators;
        pieceBegin = at + kSeparator.size();
    }
    if (separators >= 2)
        readEntry(QStringView(*text).sliced(pieceBegin));

    const qsizetype entryList = text->indexOf(kEntryList);
    const bool noEntries = entryList >= 0 && !QStringView(*text).first(entryList).contains(kErrors)
        && std::all_of(text->begin() + entryList + kEntryList.size(), text->end(),
            [](QChar c) { return isBlank(c.unicode()); });
    const QStringView header = entryList >= 0 ? QStringView(*text).first(entryList) : QStringView(*text);
    const auto levels = std::uint32_t(std::min<qsizetype>(header.count(kTypeLine), UINT32_MAX));
    return listingFromFacts(separators + 1, std::move(name),
        text->contains(kEncryptedEntry) || text->contains(kCannotOpen), text->contains(kWrongPassword), shares,
        namesArchive, noEntries, levels);
}

} // namespace quendle
