// Archives of every format Quendle's adapter handles, made by the tests with the real tools
// (tar, gzip, bzip2, xz, zstd, compress, 7-Zip, Python), and runs of the adapter and of quendle.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace quendle::formats {

struct Command {
    bool started = false;
    bool crashed = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    bool ok() const { return started && !crashed && exitCode == 0; }
    QString describe() const;
};

// Runs a program (no shell) with standard input from /dev/null, or standard output into a file.
Command runCommand(const QString& program, const QStringList& arguments, const QString& workingDirectory = {},
    const QString& outputFile = {});
bool haveProgram(const QString& name);

// A tree by relative path: a file maps to its contents, a folder to a key ending in "/".
using Tree = QMap<QString, QByteArray>;
void writeTree(const QString& root, const Tree& tree);
Tree readTree(const QString& root);

// A folder "top" with nested folders and names with spaces and non-ASCII letters; its tar,
// made by GNU tar, has one entry per file and folder ("top" included).
Tree sampleTree();
int entryCount(const Tree& tree);

// A compressed tar of source/top, by suffix: "tar.gz", "tgz", "tar.bz2", "tbz2", "tar.xz",
// "txz", "tar.zst", "tar.Z". The archive is written at folder/name.suffix.
struct CompressedTar {
    const char* suffix;
    const char* compressor; // the program, run with -c
};
const QList<CompressedTar>& compressedTars();
// Empty and the reason in *why when a tool is missing or failed.
QString makeCompressedTar(const CompressedTar& kind, const QString& source, const QString& archive, QString* why);

// A single compressed file (not a tar).
bool compressFile(const char* compressor, const QString& input, const QString& output, QString* why);

// RAR 4 / RAR 5 ("rar4", "rar5") and StuffIt archives from our own writers; items as the
// scripts take them ("NAME=CONTENTS", folders end in "/").
bool makeRar(const QString& kind, const QString& archive, const std::optional<QString>& password,
    const QStringList& items, QString* why);
bool makeStuffIt(const QString& archive, const QStringList& items, QString* why);
// A zip whose names are stored in an encoding as Python names it ("cp437", "cp866", "utf-8"),
// with the UTF-8 flag or, as DOS tools wrote them, without it and made on DOS. Items as the
// other writers take them ("NAME=CONTENTS", folders end in "/").
bool makeZipWithNames(const QString& archive, const QString& encoding, bool utf8Flag, const QStringList& items,
    QString* why);
// A zip whose names are stored in the old DOS code page (CP437) without the UTF-8 flag:
// "Bücher/", "Bücher/Über.txt", "Bücher/plain.txt".
bool makeLegacyZip(const QString& archive, QString* why);

// The adapter at the build's tool path.
QString adapterPath();

// Runs the built quendle headless on one archive, in its own HOME and XDG folders under root,
// never reaching the desktop's file manager (IsRevealInFinder=0), standard input /dev/null.
Command runQuendle(const QString& root, const QString& archive);

} // namespace quendle::formats
