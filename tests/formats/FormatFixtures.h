// Archives of every format Quendle's adapter handles, made by the tests with the real tools
// (tar, gzip, bzip2, xz, zstd, compress, Python).
#pragma once

#include "support/TestEnvironment.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace quendle::formats {

using test::haveProgram;
using test::readTree;
using test::Tree;
using test::writeTree;

// A folder "top" with nested folders and names with spaces and non-ASCII letters; its tar,
// made by GNU tar, has one entry per file and folder ("top" included).
Tree sampleTree();
// The sample tree at source with what an extraction must also get right: modes, an old time, a
// symbolic link, a dangling one and a hard link.
void writeRichTree(const QString& source);

// A compressed tar of source/top, by suffix: "tar.gz", "tgz", "tar.bz2", "tbz2", "tar.xz",
// "txz", "tar.zst", "tar.Z". The archive is written at folder/name.suffix.
struct CompressedTar {
    const char* suffix;
    const char* compressor; // the program, run with -c
};
const QList<CompressedTar>& compressedTars();
inline void PrintTo(const CompressedTar& kind, std::ostream* out) { *out << kind.suffix; }
// The case's name in a table of compressed tars: the suffix with "_" for ".".
inline std::string caseName(const ::testing::TestParamInfo<CompressedTar>& info)
{
    return QString::fromLatin1(info.param.suffix).replace(u'.', u'_').toStdString();
}
// Empty and the reason in *why when a tool is missing or failed.
QString makeCompressedTar(const CompressedTar& kind, const QString& source, const QString& archive, QString* why);

// A single compressed file (not a tar).
bool compressFile(const char* compressor, const QString& input, const QString& output, QString* why);

// RAR 4 / RAR 5 ("rar4", "rar5") and StuffIt archives from our own writers; items as the
// scripts take them ("NAME=CONTENTS", folders end in "/").
bool makeRar(const QString& kind, const QString& archive, const std::optional<QString>& password,
    const QStringList& items, QString* why);
bool makeStuffIt(const QString& archive, const QStringList& items, QString* why);
// Volumes as their archivers name them, one stored file per volume, written into folder:
// "zip" STEM.z01, …, STEM.zip; "rar5" STEM.part1.rar, …; "rar4" STEM.rar, STEM.r00, ….
bool makeVolumes(const QString& kind, const QString& folder, const QString& stem, const QStringList& items, QString* why);
// A Debian package, an RPM or a xar ("deb", "rpm", "xar") from our own writer; the tars of a
// package or an RPM's payload compressed as asked ("gz", "xz", "zst", "none"). Items as above;
// for a package, names under "DEBIAN/" are its control files.
bool makePackage(const QString& kind, const QString& archive, const QString& compression, const QStringList& items,
    QString* why);
// A zip whose names are stored in an encoding as Python names it ("cp437", "cp866", "utf-8"),
// with the UTF-8 flag or, as DOS tools wrote them, without it and made on DOS. Items as the
// other writers take them ("NAME=CONTENTS", folders end in "/").
bool makeZipWithNames(const QString& archive, const QString& encoding, bool utf8Flag, const QStringList& items,
    QString* why);
// A zip whose names are stored in the old DOS code page (CP437) without the UTF-8 flag:
// "Bücher/", "Bücher/Über.txt", "Bücher/plain.txt".
bool makeLegacyZip(const QString& archive, QString* why);

} // namespace quendle::formats
