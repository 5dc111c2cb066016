#include "files/FileWriter.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

FileWriter::FileWriter(const QString &path, Access access) : m_path(path), m_access(access), m_file(path)
{
    // Never write over the target directly: the old file must survive a failure.
    m_file.setDirectWriteFallback(false);
}

FileWriter::~FileWriter() = default;

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
    if (!failed())
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
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        failWith(errno);
        return false;
    }
    m_opened = true;
    // The temporary file becomes the target: restricted before any byte is written, it never shows the
    // content to others, and the rename keeps its mode.
    errno = 0;
    if (m_access == Access::OwnerOnly && ::fchmod(m_file.handle(), S_IRUSR | S_IWUSR) != 0) {
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
    if (m_file.write(data, size) != size) {
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
    if (!failed() && m_file.error() != QFileDevice::NoError)
        failWith(EIO);
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
    // Left-overs of a run that was killed: nobody holds their lock any more.
    const QString prefix = target.fileName() + QLatin1String(kTemporaryMark);
    const QStringList leftOvers = folder.entryList({prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden);
    for (const QString &name : leftOvers) {
        const QByteArray path = QFile::encodeName(folder.filePath(name));
        const int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            QFile::remove(folder.filePath(name) + QStringLiteral("-journal"));
            ::unlink(path.constData());
        }
        ::close(fd);
    }

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
