#pragma once

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Writes one file whole or not at all. The bytes go unbuffered into a temporary file beside the target,
// which is synced to disk and checked before it is renamed over the target, so a full disk, a missing
// permission or an I/O error leaves the old file as it was and gives a Czech reason. (QSaveFile alone
// reports success when its last buffered write failed, leaving an empty file.)
//
//     FileWriter file(path);
//     file.write(header);
//     file.write(rows);
//     if (!file.commit()) show(file.errorText());
//
// After the first failure further writes are ignored and commit() fails with that failure's reason.
// Not committed, the temporary file is discarded.
class FileWriter final
{
    Q_DISABLE_COPY_MOVE(FileWriter)
public:
    // Who may read the file written: as the old file allowed (a new file: as the process's umask allows),
    // or its owner only (mode 0600, for files holding a password), whatever the old file allowed.
    enum class Access { AsBefore, OwnerOnly };
    // When the file is made durable: by its own commit(), or together with the other files of a new
    // folder by FolderWriter::commit() (one sync for them all instead of one per file). A file of a new
    // folder is written in its place: the folder itself is what replaces the old one.
    enum class Sync { OnCommit, WithFolder };

    explicit FileWriter(const QString &path, Access access = Access::AsBefore, Sync sync = Sync::OnCommit);
    ~FileWriter();

    bool write(const QByteArray &bytes);
    bool write(const char *data, qint64 size);
    // For writers that take a device: its writes are these writes.
    QIODevice *device();
    // Marks the file failed with the writer's own reason (a format error), unless it failed already.
    void fail(const QString &reason);

    bool commit();
    bool failed() const { return !m_error.isEmpty(); }
    // "Soubor „…“ nelze uložit: <reason>" for the first failure, and the reason alone.
    QString errorText() const { return m_error; }
    QString reason() const { return m_reason; }

    // The whole file in one call; false with errorText() in *error.
    static bool writeWhole(const QString &path, const QByteArray &bytes, QString *error,
                           Access access = Access::AsBefore);
    // The Czech reason for a failed system call on `path`, e.g. "Na disku není dost místa."
    static QString reason(int errorNumber, const QString &path);

private:
    bool open();
    void failWith(int errorNumber);
    QFileDevice &file();

    QString m_path;
    Access m_access;
    Sync m_sync;
    QSaveFile m_file;  // Sync::OnCommit
    QFile m_inFolder;  // Sync::WithFolder
    std::unique_ptr<QIODevice> m_device;
    bool m_opened = false;
    bool m_finished = false;
    QString m_error;
    QString m_reason;
};

// A file that an engine writes by its path (the database engine's backups and exchange files): made as a
// temporary file beside the target, locked while it is being written, synced and renamed over the target
// by commit(). Not committed, the temporary file and its journal are removed; those left by a run that
// was killed are removed by the next run to the same target.
class EngineFileWriter final
{
    Q_DISABLE_COPY_MOVE(EngineFileWriter)
public:
    explicit EngineFileWriter(const QString &target);
    ~EngineFileWriter();

    bool open();
    QString temporaryPath() const { return m_temporary; }
    // Renames the finished temporary file over the target, which keeps its permissions; a new target takes
    // those of `permissionsOf` when that file exists.
    bool commit(const QString &permissionsOf = QString());
    // "Soubor „…“ nelze uložit: <reason>", and the reason alone.
    QString errorText() const;
    QString reason() const { return m_reason; }

private:
    void removeTemporary();
    void fail(int errorNumber);

    QString m_target;
    QString m_temporary;
    int m_lock = -1;
    bool m_committed = false;
    QString m_reason;
};

// The files of one folder, written whole or not at all: they go into a new folder beside it (FileWriter,
// Sync::WithFolder), which is made durable once, one sync of its files and itself, and then swapped into
// the folder's place; the old folder is removed. A failure at any point leaves the old folder and every file
// in it as they were; not committed, the new folder is removed, and one left by a run that was killed is
// removed by the next run to the same folder.
//
//     FolderWriter pages(folder);
//     pages.write("index.php", index);
//     if (!pages.commit(keepDownloadedAnswers)) show(pages.errorText());
class FolderWriter final
{
    Q_DISABLE_COPY_MOVE(FolderWriter)
public:
    explicit FolderWriter(const QString &folder);
    ~FolderWriter();

    // The file `name` of the new folder, whole; false (and nothing more is written) after a failure.
    bool write(const QString &name, const QByteArray &bytes);
    // Entries of the old folder that were not written anew and that `keep` accepts go over into the new
    // folder unchanged (hard links; copies where the file system has none). Then the new folder is synced
    // and takes the old one's place (its permissions too).
    bool commit(const std::function<bool(const QString &name)> &keep = {});
    bool failed() const { return !m_error.isEmpty(); }
    // "Soubor „…“ nelze uložit: <reason>" or "Složku „…“ nelze uložit: <reason>", naming the folder's own
    // paths, never the temporary ones.
    QString errorText() const { return m_error; }

private:
    bool open();
    bool carry(const QString &from, const QString &to, const QString &shownFrom);
    bool copyFile(const QString &from, const QString &to, const QString &shown);
    bool swapIntoPlace();
    void failFolder(int errorNumber);

    QString m_folder; // absolute, without a trailing separator
    QString m_temporary;
    int m_lock = -1;
    bool m_opened = false;
    bool m_committed = false;
    QStringList m_written;
    QString m_error;
};
