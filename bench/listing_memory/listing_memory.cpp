// Lists one archive through listArchive (or, with --whole, by reading the complete text first)
// and prints what it read together with this process's own peak memory.
#include "core/Listing.h"
#include "support/WholeListing.h"

#include <QCoreApplication>
#include <QProcess>

#include <cstdio>
#include <sys/resource.h>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: listing_memory TOOL ARCHIVE [--whole]\n");
        return 2;
    }
    const QString tool = arguments.at(1);
    const QString archive = arguments.at(2);

    quendle::ArchiveListing listing;
    if (arguments.size() > 3 && arguments.at(3) == QLatin1String("--whole")) {
        // The whole text in memory at once, for comparison.
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(tool, {QStringLiteral("l"), archive, QStringLiteral("-slt")});
        if (!process.waitForFinished(-1)) {
            std::fprintf(stderr, "cannot run %s\n", qPrintable(tool));
            return 1;
        }
        const QByteArray bytes = process.readAllStandardOutput();
        listing = quendle::readListing(quendle::decodeListing(bytes));
        std::printf("text bytes: %lld\n", static_cast<long long>(bytes.size()));
    } else {
        const quendle::ListingRun run = quendle::listArchive(tool, archive, std::nullopt);
        if (!run.started) {
            std::fprintf(stderr, "cannot run %s: %s\n", qPrintable(tool), qPrintable(run.error));
            return 1;
        }
        listing = run.listing;
    }

    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("pieces: %llu\namountFiles: %d\ntopLevelName: %s\nencrypted: %d\nwrong password: %d\n"
                "own peak RSS (KiB): %ld\n",
        static_cast<unsigned long long>(listing.pieceCount), listing.amountFiles,
        listing.topLevelName ? qPrintable(*listing.topLevelName) : "(none)", listing.isEncrypted,
        listing.isWrongPassword, usage.ru_maxrss);
    return 0;
}
