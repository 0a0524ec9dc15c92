// Runs a program for a test with its own environment and both outputs captured, and reads
// what the stand-in archiver recorded about its start.
#pragma once

#include "support/TestEnvironment.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace quendle::test {

struct ToolRunOptions {
    // Variables to set, or to remove when the value is none; everything else is inherited.
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> environment;
    // Standard input: /dev/null, or a pipe that stays open (and silent) until the program ends.
    bool stdinPipe = false;
    // Working folder; empty: the test's own.
    QString workingDirectory;
    // Called with the program's id and its standard output so far, after every chunk.
    std::function<void(pid_t, const QByteArray&)> onOutput;
};

struct ToolRun {
    bool started = false;
    pid_t pid = -1;
    int status = 0; // as waitpid gives it
    QByteArray out;
    QByteArray err;

    bool exited() const;
    int exitCode() const; // -1 unless the program exited
    int signal() const;   // 0 unless a signal ended the program
};

ToolRun runTool(const QString& program, const QStringList& arguments, const ToolRunOptions& options = {});

// What the stand-in archiver wrote about how it was started.
struct ArchiverRecord {
    bool present = false;
    pid_t pid = -1;
    QByteArray stdinTarget;
    QByteArray stderrTarget;
    QByteArray lcAll;
    QList<int> descriptors;
    QByteArray argv0;
    QList<QByteArray> arguments;
};

ArchiverRecord readRecord(const QString& path);

// The stand-in archiver (see FakeArchiver.cpp).
QString fakeArchiverPath();

// Where a descriptor of this process leads ("/dev/null", "pipe:[…]", …).
QByteArray descriptorTarget(int fd);

// Archives made with the installed 7-Zip for the tests, all holding the same folder "top" whose
// names have spaces, quotes, a leading dash and non-ASCII letters.
struct TestArchives {
    static QString password() { return QStringLiteral("secret"); }
    // Everything a shell would make something of, and a line feed.
    static QString specialPassword() { return QStringLiteral("a b\"c'$d;e*f\ng\\h `i` $(j)"); }

    QString folder;
    QString plain7z;
    QString plainZip;
    QString headers7z;   // headers encrypted with password()
    QString entriesZip;  // entries encrypted with password()
    QString special7z;   // headers encrypted with specialPassword()
    QString oddlyNamed7z; // plain7z under a name with spaces, quotes and non-ASCII letters
    QStringList entries; // every path inside, "top" included
};

// Makes the archives in folder; false when 7-Zip is missing or failed.
bool makeTestArchives(const QString& folder, TestArchives* archives);

// A suite over the test archives, made once for the suite; skipped without 7-Zip.
class WithTestArchives : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sFolder = std::make_unique<QTemporaryDir>();
        sArchives = std::make_unique<TestArchives>();
        sReady = makeTestArchives(sFolder->path(), sArchives.get());
    }
    static void TearDownTestSuite()
    {
        sArchives.reset();
        sFolder.reset();
    }
    void SetUp() override
    {
        if (sevenZip().isEmpty())
            GTEST_SKIP() << "7-Zip is not installed";
        ASSERT_TRUE(sReady) << "could not make the test archives";
    }
    static const TestArchives& archives() { return *sArchives; }

private:
    static inline std::unique_ptr<QTemporaryDir> sFolder;
    static inline std::unique_ptr<TestArchives> sArchives;
    static inline bool sReady = false;
};

} // namespace quendle::test
