// Moves a file or folder into the Trash folder that belongs to it.
#include "trash/FileManager.h"

#include "platform/Seam.h"
#include "trash/TrashNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quendle {

namespace {

QByteArray bytes(const QString& path)
{
    return QFile::encodeName(path);
}

QString absoluteClean(const QString& path)
{
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::currentPath() + u'/' + path);
}

// Both take a cleaned absolute path.
QString lastComponent(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString parentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString joined(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

bool entryExists(const QString& path)
{
    struct stat st;
    return ::lstat(bytes(path).constData(), &st) == 0;
}

bool isFolder(const QString& path)
{
    struct stat st;
    return ::stat(bytes(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates one folder for the Trash's own use (0700 whatever the umask); 0 when it is there.
int makeFolder(const QString& path)
{
    const QByteArray name = bytes(path);
    if (::mkdir(name.constData(), 0700) == 0)
        ::chmod(name.constData(), 0700);
    else if (errno != EEXIST)
        return errno;
    return isFolder(path) ? 0 : ENOTDIR;
}

// Creates a folder and every missing folder above it.
int makeFolderPath(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    for (qsizetype slash = clean.indexOf(u'/', 1); slash > 0; slash = clean.indexOf(u'/', slash + 1)) {
        if (!isFolder(clean.left(slash))) {
            if (const int error = makeFolder(clean.left(slash)))
                return error;
        }
    }
    return makeFolder(clean);
}

QString nearestExistingFolder(QString path)
{
    while (path != QStringLiteral("/") && !isFolder(path))
        path = parentOf(path);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

// A folder of the volume's Trash that the user owns; made when missing. Anything else at that
// name (a file, a link, a folder of someone else's) makes it unusable.
bool usableOwnTrash(const QString& path, uid_t uid)
{
    const QByteArray name = bytes(path);
    if (::mkdir(name.constData(), 0700) == 0)
        ::chmod(name.constData(), 0700);
    struct stat st;
    if (::lstat(name.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid)
        return false;
    return makeFolder(joined(path, QStringLiteral("files"))) == 0
        && makeFolder(joined(path, QStringLiteral("info"))) == 0;
}

// The user's Trash on the volume whose top folder is `top`: "$top/.Trash/$uid" when the
// administrator made "$top/.Trash" a real sticky folder (a link could send the items
// anywhere), else "$top/.Trash-$uid".
std::optional<QString> volumeTrashFolder(const QString& top, uid_t uid)
{
    const QString shared = joined(top, QStringLiteral(".Trash"));
    struct stat st;
    if (::lstat(bytes(shared).constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const QString own = joined(shared, QString::number(uid));
        if (usableOwnTrash(own, uid))
            return own;
    }
    const QString own = joined(top, QStringLiteral(".Trash-") + QString::number(uid));
    if (usableOwnTrash(own, uid))
        return own;
    return std::nullopt;
}

// A name in a freedesktop Trash is taken by an item or by a record of one.
bool trashNameTaken(const QString& trashFolder, const QString& name)
{
    return entryExists(trashFolder + QStringLiteral("/files/") + name)
        || entryExists(trashFolder + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
}

// Writes a file that must not exist yet: two trashings racing for one name cannot both win.
int writeNewFile(const QString& path, const QByteArray& contents)
{
    const QByteArray name = bytes(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return errno;
    qsizetype written = 0;
    int error = 0;
    while (written < contents.size()) {
        const ssize_t n = ::write(fd, contents.constData() + written, size_t(contents.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        written += n;
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        ::unlink(name.constData());
    return error;
}

// rename(2) that never replaces what is already at the destination (plain rename would
// silently overwrite a file there) and never copies: across file systems it fails with EXDEV.
// A link is moved as the link.
int moveWithoutReplacing(const QString& from, const QString& to)
{
    const QByteArray source = bytes(from);
    const QByteArray target = bytes(to);
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    // Some file systems don't know the flag; they get the checked rename below.
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
#elif defined(__APPLE__) && defined(RENAME_EXCL)
    if (::renamex_np(source.constData(), target.constData(), RENAME_EXCL) == 0)
        return 0;
    if (errno != ENOTSUP && errno != EINVAL)
        return errno;
#endif
    struct stat st;
    if (::lstat(target.constData(), &st) == 0)
        return EEXIST;
    return ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
}

} // namespace

bool isDeletableFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QString item = absoluteClean(path);
    if (item == QStringLiteral("/"))
        return false;
    struct stat st;
    if (::lstat(bytes(item).constData(), &st) != 0)
        return false;
    const QByteArray folder = bytes(parentOf(item));
    if (::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) != 0)
        return false;
    struct stat folderStat;
    if (::stat(folder.constData(), &folderStat) != 0)
        return false;
    if (folderStat.st_mode & S_ISVTX) {
        const uid_t me = ::geteuid();
        if (me != 0 && st.st_uid != me && folderStat.st_uid != me)
            return false;
    }
    return true;
}

QString mountPointOf(const QString& folder)
{
    QString current = QDir::cleanPath(folder);
    struct stat st;
    if (::stat(bytes(current).constData(), &st) != 0)
        return current;
    while (current != QStringLiteral("/")) {
        const QString parent = parentOf(current);
        struct stat parentStat;
        if (::stat(bytes(parent).constData(), &parentStat) != 0 || parentStat.st_dev != st.st_dev)
            break;
        current = parent;
        st = parentStat;
    }
    return current;
}

FileManager::FileManager(Seam& seam, TrashSetting setting)
    : mSeam(seam)
    , mSetting(std::move(setting))
{
}

QString TrashOutcome::reason() const
{
    switch (kind) {
    case Trashed:
    case Deleted:
        return {};
    case NotPermitted:
        return QStringLiteral("You are not allowed to move items out of the folder \"%1\".").arg(place);
    case NoTrash:
        return QStringLiteral("Its disk has no Trash for you, and none can be made in \"%1\".").arg(place);
    case Declined:
        return QStringLiteral("It was not deleted.");
    case MoveFailed:
        return QString::fromLocal8Bit(std::generic_category().message(error));
    }
    return {};
}

bool FileManager::trashPath(const QString& path, bool showAlerts)
{
    const TrashOutcome outcome = place(path, showAlerts);
    if (outcome.kind == TrashOutcome::MoveFailed)
        reportMoveFailure(outcome.error);
    return outcome.succeeded();
}

TrashOutcome FileManager::moveToTrash(const QString& path)
{
    return place(path, false);
}

TrashOutcome FileManager::place(const QString& path, bool showAlerts)
{
    if (!isDeletableFile(path)) {
        mSeam.log(QStringLiteral("don't have the permissions to trash file: ") + path);
        const QString item = path.isEmpty() ? path : absoluteClean(path);
        return {TrashOutcome::NotPermitted, 0, item.isEmpty() ? item : parentOf(item)};
    }
    return mSetting.layout == TrashLayout::MacOS ? trashIntoMacOSFolders(path, showAlerts)
                                                 : trashIntoFreedesktopFolders(path, showAlerts);
}

TrashOutcome FileManager::trashIntoMacOSFolders(const QString& path, bool showAlerts)
{
    const QString name = lastComponent(absoluteClean(path));
    const QString home = homePath();
    const QString homeTrash = joined(home, QStringLiteral(".Trash"));
    const QString volumesRoot = QDir::cleanPath(mSetting.volumesRoot);
    const QString volumesPrefix = joined(volumesRoot, QString());

    QString destination;
    if (path.startsWith(volumesPrefix)) {
        const QString volume = path.mid(volumesPrefix.size()).section(u'/', 0, 0, QString::SectionSkipEmpty);
        // "/Volumes/" alone names no volume, so it has no volume Trash either.
        const QString volumeTrash = QStringLiteral("%1/%2/.Trashes/%3")
                                        .arg(volumesRoot, volume, QString::number(userId()));
        if (volume.isEmpty() || !isFolder(volumeTrash))
            return deleteAfterAsking(path, name, joined(volumesRoot, volume), showAlerts);
        QString resolvedHome = QFileInfo(home).canonicalFilePath();
        if (resolvedHome.isEmpty())
            resolvedHome = QDir::cleanPath(home);
        // The "/" keeps the home folder itself and its look-alike siblings out.
        const QString homePrefix = resolvedHome + u'/';
        destination = joined(path.startsWith(homePrefix) ? homeTrash : volumeTrash, name);
    } else {
        destination = joined(homeTrash, name);
    }

    if (entryExists(destination)) {
        const QString folder = parentOf(destination);
        destination = joined(folder, trash::timeStampedName(lastComponent(destination), now().time()));
    }
    // The cleaned path: "link/" would otherwise name the link's target.
    if (const int error = moveWithoutReplacing(absoluteClean(path), destination))
        return {TrashOutcome::MoveFailed, error, {}};
    return {};
}

TrashOutcome FileManager::trashIntoFreedesktopFolders(const QString& path, bool showAlerts)
{
    const QString item = absoluteClean(path);
    const QString name = lastComponent(item);
    const QString folder = QFileInfo(parentOf(item)).canonicalFilePath();
    if (folder.isEmpty())
        return {TrashOutcome::MoveFailed, ENOENT, {}};
    const QString original = joined(folder, name);
    const auto topOf = [this](const QString& f) {
        return mSetting.mountPointOf ? mSetting.mountPointOf(f) : mountPointOf(f);
    };

    QString dataHome = mSetting.dataHome;
    if (dataHome.isEmpty()) {
        dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        if (!QDir::isAbsolutePath(dataHome))
            dataHome = homePath() + QStringLiteral("/.local/share");
    }
    const QString homeTrash = QDir::cleanPath(dataHome) + QStringLiteral("/Trash");

    QString trashFolder;
    QByteArray recordedPath;
    const QString itemTop = topOf(folder);
    if (itemTop == topOf(nearestExistingFolder(homeTrash))) {
        for (const char* sub : {"/files", "/info"}) {
            if (const int error = makeFolderPath(homeTrash + QLatin1String(sub)))
                return {TrashOutcome::MoveFailed, error, {}};
        }
        trashFolder = homeTrash;
        recordedPath = bytes(original);
    } else {
        // Never copied across file systems: the item goes to its own volume's Trash or nowhere.
        const std::optional<QString> volumeTrash = volumeTrashFolder(itemTop, userId());
        if (!volumeTrash)
            return deleteAfterAsking(path, name, itemTop, showAlerts);
        trashFolder = *volumeTrash;
        const QString topPrefix = joined(itemTop, QString());
        recordedPath = bytes(original.startsWith(topPrefix) ? original.mid(topPrefix.size()) : original);
    }

    const QDateTime when = now();
    const QString trashName = trashNameTaken(trashFolder, name) ? trash::timeStampedName(name, when.time()) : name;
    // The record comes first: an item in files/ without one could not be put back.
    const QString infoPath = trashFolder + QStringLiteral("/info/") + trashName + QStringLiteral(".trashinfo");
    if (const int error = writeNewFile(infoPath, trash::makeTrashInfo(recordedPath, when)))
        return {TrashOutcome::MoveFailed, error, {}};
    if (const int error = moveWithoutReplacing(item, trashFolder + QStringLiteral("/files/") + trashName)) {
        ::unlink(bytes(infoPath).constData());
        return {TrashOutcome::MoveFailed, error, {}};
    }
    return {};
}

TrashOutcome FileManager::deleteAfterAsking(const QString& path, const QString& name, const QString& top, bool showAlerts)
{
    if (!showAlerts)
        return {TrashOutcome::NoTrash, 0, top};
    Panel panel;
    panel.title = QStringLiteral("Warning");
    panel.message = QStringLiteral("The file \"%1\" will be deleted immediately.\nAre you sure you want to continue?").arg(name);
    panel.defaultButton = QStringLiteral("Yes");
    panel.alternateButton = QStringLiteral("No");
    panel.style = AlertStyle::Critical;
    if (mSeam.runPanel(panel) != kPanelDefaultReturn)
        return {TrashOutcome::Declined, 0, {}};
    // remove_all takes a link away as the link; it never follows it.
    std::error_code error;
    const auto removed = std::filesystem::remove_all(std::filesystem::path(bytes(absoluteClean(path)).toStdString()), error);
    if (error || removed == 0)
        return {TrashOutcome::MoveFailed, error ? error.value() : ENOENT, {}};
    return {TrashOutcome::Deleted, 0, {}};
}

void FileManager::reportMoveFailure(int error)
{
    Alert alert;
    alert.messageText = QStringLiteral("Cannot Trash Source Files.");
    alert.informativeText = QString::fromLocal8Bit(std::generic_category().message(error));
    alert.buttons = {QStringLiteral("OK")};
    alert.style = AlertStyle::Warning;
    mSeam.runAlert(alert);
}

QString FileManager::homePath() const
{
    return mSetting.homePath.isEmpty() ? QDir::homePath() : mSetting.homePath;
}

uid_t FileManager::userId() const
{
    return mSetting.userId ? *mSetting.userId : ::getuid();
}

QDateTime FileManager::now() const
{
    return mSetting.now ? mSetting.now() : QDateTime::currentDateTime();
}

} // namespace quendle
