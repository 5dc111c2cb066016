#include "files/FileWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString folderOf(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absolutePath());
}

// The device handed to writers that stream: every write goes through FileWriter::write.
class Sink final : public QIODevice
{
public:
    explicit Sink(FileWriter &owner) : m_owner(owner) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override { return m_owner.write(data, size) ? size : -1; }

private:
    FileWriter &m_owner;
};

} // namespace

FileWriter::FileWriter(const QString &path, Access access, Sync sync)
    : m_path(path), m_access(access), m_sync(sync), m_file(path), m_inFolder(path)
{
    // Never write over the target directly: the old file must survive a failure.
    m_file.setDirectWriteFallback(false);
}

FileWriter::~FileWriter()
{
    // A file of a new folder that was not committed does not stay in it.
    if (m_sync == Sync::WithFolder && m_opened && !m_finished) {
        m_inFolder.close();
        m_inFolder.remove();
    }
}

QFileDevice &FileWriter::file()
{
    if (m_sync == Sync::WithFolder)
        return m_inFolder;
    return m_file;
}

QString FileWriter::reason(int errorNumber, const QString &path)
{
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return QStringLiteral("Na disku není dost místa.");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("Nemáte oprávnění zapisovat do složky %1.").arg(folderOf(path));
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Složka %1 neexistuje.").arg(folderOf(path));
    case EISDIR:
        return QStringLiteral("Pod tímto názvem je složka.");
    case EIO:
        return QStringLiteral("Při zápisu na disk došlo k chybě.");
    default:
        return QStringLiteral("Soubor nelze zapsat (%1).").arg(QString::fromLocal8Bit(std::strerror(errorNumber)));
    }
}

void FileWriter::failWith(int errorNumber)
{
    if (errorNumber == 0) {
        // The system's reason was lost on the way: tell from the target what is wrong.
        const QFileInfo info(m_path);
        if (info.isDir())
            errorNumber = EISDIR;
        else if (!info.absoluteDir().exists())
            errorNumber = ENOENT;
        else if (::access(QFile::encodeName(info.absolutePath()).constData(), W_OK) != 0)
            errorNumber = errno;
        else
            errorNumber = EIO;
    }
    fail(reason(errorNumber, m_path));
}

void FileWriter::fail(const QString &why)
{
    if (failed())
        return;
    m_reason = why;
    m_error = QStringLiteral("Soubor „%1“ nelze uložit: %2").arg(shown(m_path), why);
}

bool FileWriter::open()
{
    if (m_opened)
        return true;
    if (failed() || m_finished)
        return false;
    if (QFileInfo(m_path).isDir()) {
        failWith(EISDIR);
        return false;
    }
    errno = 0;
    if (!file().open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        failWith(errno);
        return false;
    }
    m_opened = true;
    // The temporary file becomes the target: restricted before any byte is written, it never shows the
    // content to others, and the rename keeps its mode.
    errno = 0;
    if (m_access == Access::OwnerOnly && ::fchmod(file().handle(), S_IRUSR | S_IWUSR) != 0) {
        failWith(errno);
        return false;
    }
    return true;
}

QIODevice *FileWriter::device()
{
    if (!m_device)
        m_device = std::make_unique<Sink>(*this);
    return m_device.get();
}

bool FileWriter::write(const char *data, qint64 size)
{
    if (!open() || failed() || m_finished)
        return false;
    errno = 0;
    if (file().write(data, size) != size) {
        failWith(errno);
        return false;
    }
    return true;
}

bool FileWriter::write(const QByteArray &bytes)
{
    return write(bytes.constData(), bytes.size());
}

bool FileWriter::commit()
{
    if (m_finished)
        return !failed();
    const bool opened = open();
    m_finished = true;
    if (!opened)
        return false;
    if (!failed() && file().error() != QFileDevice::NoError)
        failWith(EIO);
    if (m_sync == Sync::WithFolder) {
        // Made durable with its folder; a file that failed does not stay in it.
        m_inFolder.close();
        if (!failed() && m_inFolder.error() != QFileDevice::NoError)
            failWith(EIO);
        if (failed())
            m_inFolder.remove();
        return !failed();
    }
    if (!failed()) {
        errno = 0;
        if (::fsync(m_file.handle()) != 0)
            failWith(errno);
    }
    if (failed()) {
        m_file.cancelWriting();
        m_file.commit(); // removes the temporary file
        return false;
    }
    errno = 0;
    if (!m_file.commit()) {
        failWith(errno);
        return false;
    }
    return true;
}

bool FileWriter::writeWhole(const QString &path, const QByteArray &bytes, QString *error, Access access)
{
    FileWriter file(path, access);
    file.write(bytes);
    if (file.commit())
        return true;
    if (error)
        *error = file.errorText();
    return false;
}

namespace {

const char kTemporaryMark[] = ".orbelis-";

enum class LeftOver { File, Folder };

// Left-overs of runs that were killed beside `name` in `folder` ("<name>.orbelis-XXXXXX", with an engine's
// journal, or a whole folder): their writer held them locked while it lived, so one nobody holds locked any
// more is removed.
void removeLeftOvers(const QDir &folder, const QString &name, LeftOver kind)
{
    const QString prefix = name + QLatin1String(kTemporaryMark);
    const QDir::Filters filter = (kind == LeftOver::File ? QDir::Files : QDir::Dirs) | QDir::Hidden;
    for (const QString &entry : folder.entryList({prefix + QStringLiteral("??????")}, filter)) {
        const QString path = folder.filePath(entry);
        const int fd = ::open(QFile::encodeName(path).constData(),
                              (kind == LeftOver::File ? O_RDWR : O_RDONLY | O_DIRECTORY) | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (kind == LeftOver::File) {
                QFile::remove(path + QStringLiteral("-journal"));
                QFile::remove(path);
            } else {
                QDir(path).removeRecursively();
            }
        }
        ::close(fd);
    }
}

} // namespace

EngineFileWriter::EngineFileWriter(const QString &target) : m_target(QFileInfo(target).absoluteFilePath()) {}

EngineFileWriter::~EngineFileWriter()
{
    if (!m_committed)
        removeTemporary();
    if (m_lock >= 0)
        ::close(m_lock);
}

void EngineFileWriter::fail(int errorNumber)
{
    if (m_reason.isEmpty())
        m_reason = FileWriter::reason(errorNumber ? errorNumber : EIO, m_target);
}

QString EngineFileWriter::errorText() const
{
    return QStringLiteral("Soubor „%1“ nelze uložit: %2").arg(shown(m_target), m_reason);
}

void EngineFileWriter::removeTemporary()
{
    if (m_temporary.isEmpty())
        return;
    QFile::remove(m_temporary + QStringLiteral("-journal"));
    QFile::remove(m_temporary);
}

bool EngineFileWriter::open()
{
    const QFileInfo target(m_target);
    if (target.isDir()) {
        fail(EISDIR);
        return false;
    }
    QDir folder = target.absoluteDir();
    if (!folder.exists()) {
        fail(ENOENT);
        return false;
    }
    removeLeftOvers(folder, target.fileName(), LeftOver::File);
    const QString prefix = target.fileName() + QLatin1String(kTemporaryMark);

    QByteArray pattern = QFile::encodeName(folder.filePath(prefix + QStringLiteral("XXXXXX")));
    errno = 0;
    m_lock = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (m_lock < 0) {
        fail(errno);
        return false;
    }
    m_temporary = QFile::decodeName(pattern);
    ::flock(m_lock, LOCK_EX);
    return true;
}

bool EngineFileWriter::commit(const QString &permissionsOf)
{
    if (m_temporary.isEmpty())
        return false;
    errno = 0;
    const int fd = ::open(QFile::encodeName(m_temporary).constData(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    const int syncError = errno;
    if (fd >= 0)
        ::close(fd);
    if (!synced) {
        fail(syncError);
        removeTemporary();
        return false;
    }
    const QFileInfo target(m_target);
    if (target.exists())
        QFile::setPermissions(m_temporary, target.permissions());
    else if (!permissionsOf.isEmpty() && QFileInfo::exists(permissionsOf))
        QFile::setPermissions(m_temporary, QFileInfo(permissionsOf).permissions());
    errno = 0;
    if (::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_target).constData()) != 0) {
        fail(errno);
        removeTemporary();
        return false;
    }
    m_committed = true;
    return true;
}

namespace {

QString fileFailure(const QString &path, const QString &why)
{
    return QStringLiteral("Soubor „%1“ nelze uložit: %2").arg(shown(path), why);
}

// A new folder "<name>.orbelis-XXXXXX" beside `target`, made with the mode a new folder gets (0777 less the
// umask); empty when none could be made, with errno telling why.
QString makeTemporaryFolder(const QString &target)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString path = target + QLatin1String(kTemporaryMark);
        for (int i = 0; i < 6; ++i)
            path += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
        if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0)
            return path;
        if (errno != EEXIST)
            return QString();
    }
    return QString();
}

} // namespace

FolderWriter::FolderWriter(const QString &folder)
{
    // A folder that is a link to another one: its pages go where they always went.
    const QFileInfo info(folder);
    QString path = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    m_folder = path;
}

FolderWriter::~FolderWriter()
{
    if (!m_committed && !m_temporary.isEmpty())
        QDir(m_temporary).removeRecursively();
    if (m_lock >= 0)
        ::close(m_lock);
}

void FolderWriter::failFolder(int errorNumber)
{
    if (failed())
        return;
    m_error = QStringLiteral("Složku „%1“ nelze uložit: %2")
                  .arg(shown(m_folder), FileWriter::reason(errorNumber ? errorNumber : EIO, m_folder));
}

bool FolderWriter::open()
{
    if (m_opened)
        return true;
    if (failed() || m_committed)
        return false;
    const QFileInfo target(m_folder);
    if (target.exists() && !target.isDir()) {
        m_error = QStringLiteral("Složku „%1“ nelze uložit: Pod tímto názvem je soubor.").arg(shown(m_folder));
        return false;
    }
    std::error_code made;
    std::filesystem::create_directories(QFile::encodeName(target.absolutePath()).toStdString(), made);
    if (made) {
        failFolder(made.value());
        return false;
    }
    removeLeftOvers(target.absoluteDir(), target.fileName(), LeftOver::Folder);
    errno = 0;
    m_temporary = makeTemporaryFolder(m_folder);
    if (m_temporary.isEmpty()) {
        failFolder(errno);
        return false;
    }
    // Held while this writer lives: the next run leaves the folder alone until then.
    m_lock = ::open(QFile::encodeName(m_temporary).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_lock < 0 || ::flock(m_lock, LOCK_EX) != 0) {
        failFolder(errno);
        return false;
    }
    m_opened = true;
    return true;
}

bool FolderWriter::write(const QString &name, const QByteArray &bytes)
{
    if (!open())
        return false;
    FileWriter file(m_temporary + u'/' + name, FileWriter::Access::AsBefore, FileWriter::Sync::WithFolder);
    file.write(bytes);
    if (!file.commit()) {
        m_error = fileFailure(m_folder + u'/' + name, file.reason());
        return false;
    }
    m_written << name;
    return true;
}

bool FolderWriter::copyFile(const QString &from, const QString &to, const QString &shownPath)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("Soubor „%1“ nelze přečíst: %2").arg(shown(shownPath), source.errorString());
        return false;
    }
    FileWriter copy(to, FileWriter::Access::AsBefore, FileWriter::Sync::WithFolder);
    QByteArray block;
    while (!(block = source.read(1 << 20)).isEmpty())
        if (!copy.write(block))
            break;
    if (source.error() != QFileDevice::NoError) {
        m_error = QStringLiteral("Soubor „%1“ nelze přečíst: %2").arg(shown(shownPath), source.errorString());
        return false;
    }
    if (!copy.commit()) {
        m_error = fileFailure(shownPath, copy.reason());
        return false;
    }
    QFile::setPermissions(to, source.permissions());
    return true;
}

bool FolderWriter::carry(const QString &from, const QString &to, const QString &shownPath)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    struct stat status;
    if (::lstat(source.constData(), &status) != 0) {
        m_error = fileFailure(shownPath, FileWriter::reason(errno, shownPath));
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        if (::mkdir(target.constData(), 0700) != 0) {
            m_error = fileFailure(shownPath, FileWriter::reason(errno, shownPath));
            return false;
        }
        const QDir folder(from);
        for (const QString &name : folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            if (!carry(from + u'/' + name, to + u'/' + name, shownPath + u'/' + name))
                return false;
        ::chmod(target.constData(), status.st_mode & 07777);
        return true;
    }
    if (S_ISLNK(status.st_mode)) {
        QByteArray pointsTo(4096, '\0');
        const ssize_t size = ::readlink(source.constData(), pointsTo.data(), pointsTo.size());
        if (size < 0 || ::symlink(pointsTo.left(size).constData(), target.constData()) != 0) {
            m_error = fileFailure(shownPath, FileWriter::reason(errno, shownPath));
            return false;
        }
        return true;
    }
    if (::link(source.constData(), target.constData()) == 0)
        return true;
    // File systems without hard links (FAT on a memory stick): a copy.
    if (errno == EPERM || errno == EMLINK || errno == EXDEV || errno == EOPNOTSUPP)
        return copyFile(from, to, shownPath);
    m_error = fileFailure(shownPath, FileWriter::reason(errno, shownPath));
    return false;
}

bool FolderWriter::swapIntoPlace()
{
    const QByteArray from = QFile::encodeName(m_temporary);
    const QByteArray to = QFile::encodeName(m_folder);
    struct stat status;
    if (::lstat(to.constData(), &status) != 0) {
        if (::rename(from.constData(), to.constData()) != 0) {
            failFolder(errno);
            return false;
        }
        m_temporary.clear();
        return true;
    }
    // One step: whoever looks sees the old folder or the new one, never a mixture or none.
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) == 0) {
        QDir(m_temporary).removeRecursively(); // the old folder, under the temporary name now
        m_temporary.clear();
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        failFolder(errno);
        return false;
    }
    // A file system that cannot exchange two names: the old folder steps aside first, and comes back when
    // the new one cannot take its place.
    const QString aside = makeTemporaryFolder(m_folder);
    if (aside.isEmpty() || ::rename(to.constData(), QFile::encodeName(aside).constData()) != 0) {
        failFolder(errno);
        if (!aside.isEmpty())
            ::rmdir(QFile::encodeName(aside).constData());
        return false;
    }
    if (::rename(from.constData(), to.constData()) != 0) {
        const int error = errno;
        ::rename(QFile::encodeName(aside).constData(), to.constData());
        failFolder(error);
        return false;
    }
    QDir(aside).removeRecursively();
    m_temporary.clear();
    return true;
}

bool FolderWriter::commit(const std::function<bool(const QString &name)> &keep)
{
    if (m_committed)
        return !failed();
    if (!open())
        return false;
    const QDir old(m_folder);
    struct stat status;
    const bool hadFolder = ::stat(QFile::encodeName(m_folder).constData(), &status) == 0;
    if (hadFolder) {
        for (const QString &name : old.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            if (m_written.contains(name) || (keep && !keep(name)))
                continue;
            if (!carry(old.filePath(name), m_temporary + u'/' + name, m_folder + u'/' + name))
                return false;
        }
        ::fchmod(m_lock, status.st_mode & 07777);
    }
    // One sync makes every file of the new folder and the folder itself durable (a sync per file would wait
    // for the disk once per file).
    errno = 0;
    if (::syncfs(m_lock) != 0) {
        failFolder(errno);
        return false;
    }
    if (!swapIntoPlace())
        return false;
    m_committed = true;
    return true;
}
