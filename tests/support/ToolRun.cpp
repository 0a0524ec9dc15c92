// Runs a program for a test with its own environment and both outputs captured, and reads
// what the stand-in archiver recorded about its start.
#include "support/ToolRun.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <map>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quendle::test {

bool ToolRun::exited() const
{
    return started && WIFEXITED(status);
}

int ToolRun::exitCode() const
{
    return exited() ? WEXITSTATUS(status) : -1;
}

int ToolRun::signal() const
{
    return started && WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

ToolRun runTool(const QString& program, const QStringList& arguments, const ToolRunOptions& options)
{
    ToolRun run;

    std::map<QByteArray, QByteArray> variables;
    for (char** entry = environ; *entry; ++entry) {
        const QByteArray line(*entry);
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            variables[line.first(equals)] = line.sliced(equals + 1);
    }
    for (const auto& [name, value] : options.environment) {
        if (value)
            variables[name] = *value;
        else
            variables.erase(name);
    }
    std::vector<QByteArray> environmentLines;
    for (const auto& [name, value] : variables)
        environmentLines.push_back(name + '=' + value);
    std::vector<char*> envp;
    for (QByteArray& line : environmentLines)
        envp.push_back(line.data());
    envp.push_back(nullptr);

    std::vector<QByteArray> argumentBytes {QFile::encodeName(program)};
    for (const QString& argument : arguments)
        argumentBytes.push_back(argument.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& argument : argumentBytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int out[2];
    int err[2];
    int in[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0 || pipe2(in, O_CLOEXEC) != 0)
        return run;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.stdinPipe)
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    const QByteArray workingDirectory = QFile::encodeName(options.workingDirectory);
    if (!workingDirectory.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.constData());
    const int error = posix_spawn(&run.pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    close(in[0]);
    if (error != 0) {
        close(out[0]);
        close(err[0]);
        close(in[1]);
        return run;
    }
    run.started = true;

    pollfd streams[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    char buffer[65536];
    while (open > 0) {
        if (poll(streams, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (streams[i].fd < 0 || streams[i].revents == 0)
                continue;
            const ssize_t size = read(streams[i].fd, buffer, sizeof buffer);
            if (size < 0 && errno == EINTR)
                continue;
            if (size <= 0) {
                close(streams[i].fd);
                streams[i].fd = -1;
                --open;
                continue;
            }
            (i == 0 ? run.out : run.err).append(buffer, size);
            if (i == 0 && options.onOutput)
                options.onOutput(run.pid, run.out);
        }
    }
    while (waitpid(run.pid, &run.status, 0) < 0 && errno == EINTR) {
    }
    close(in[1]);
    return run;
}

ArchiverRecord readRecord(const QString& path)
{
    ArchiverRecord record;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return record;
    QList<QByteArray> fields = file.readAll().split('\0');
    if (!fields.isEmpty() && fields.last().isEmpty())
        fields.removeLast(); // after the last terminator
    if (fields.size() < 12)
        return record;
    record.present = true;
    record.pid = fields.at(1).toInt();
    record.stdinTarget = fields.at(3);
    record.stderrTarget = fields.at(5);
    record.lcAll = fields.at(7);
    for (const QByteArray& fd : fields.at(9).split(' ')) {
        if (!fd.isEmpty())
            record.descriptors.append(fd.toInt());
    }
    record.argv0 = fields.at(11);
    record.arguments = fields.mid(12);
    return record;
}

QString fakeArchiverPath()
{
    return QStringLiteral(QUENDLE_FAKE_ARCHIVER);
}

QByteArray descriptorTarget(int fd)
{
    char target[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t size = readlink(link.c_str(), target, sizeof target);
    return size < 0 ? QByteArray("(closed)") : QByteArray(target, size);
}

bool makeTestArchives(const QString& folder, TestArchives* archives)
{
    TestArchives& a = *archives;
    a.folder = folder;
    const QStringList files {QStringLiteral("top/plain.txt"), QStringLiteral("top/with space.txt"),
        QStringLiteral("top/quote\"d 'name'.txt"), QStringLiteral("top/-leading dash.txt"),
        QStringLiteral("top/Ünïcødé ñame.txt"), QStringLiteral("top/sub/inner.txt")};
    for (const QString& file : files)
        writeFile(folder + u'/' + file, file.toUtf8() + '\n');
    a.entries = files;
    a.entries << QStringLiteral("top") << QStringLiteral("top/sub");

    a.plain7z = folder + QStringLiteral("/plain.7z");
    a.plainZip = folder + QStringLiteral("/plain.zip");
    a.headers7z = folder + QStringLiteral("/headers.7z");
    a.entriesZip = folder + QStringLiteral("/entries.zip");
    a.special7z = folder + QStringLiteral("/special.7z");
    a.oddlyNamed7z = folder + QStringLiteral("/Ärchiv \"mit\" 'Namen' -x.7z");
    const QString top = QStringLiteral("top");
    const QList<QStringList> commands {
        {QStringLiteral("a"), a.plain7z, top},
        {QStringLiteral("a"), QStringLiteral("-tzip"), a.plainZip, top},
        {QStringLiteral("a"), QStringLiteral("-mhe=on"), QStringLiteral("-p") + TestArchives::password(), a.headers7z, top},
        {QStringLiteral("a"), QStringLiteral("-tzip"), QStringLiteral("-p") + TestArchives::password(), a.entriesZip, top},
        {QStringLiteral("a"), QStringLiteral("-mhe=on"), QStringLiteral("-p") + TestArchives::specialPassword(), a.special7z, top},
    };
    for (const QStringList& command : commands) {
        if (!runSevenZip(command, folder))
            return false;
    }
    return QFile::copy(a.plain7z, a.oddlyNamed7z);
}

} // namespace quendle::test
