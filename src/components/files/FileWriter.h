#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QSaveFile>
#include <QString>

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

    explicit FileWriter(const QString &path, Access access = Access::AsBefore);
    ~FileWriter();

    bool write(const QByteArray &bytes);
    bool write(const char *data, qint64 size);
    // For writers that take a device: its writes are these writes.
    QIODevice *device();
    // Marks the file failed with the writer's own reason (a format error), unless it failed already.
    void fail(const QString &reason);

    bool commit();
    bool failed() const { return !m_error.isEmpty(); }
    // "Soubor „…“ nelze uložit: <reason>" for the first failure.
    QString errorText() const { return m_error; }

    // The whole file in one call; false with errorText() in *error.
    static bool writeWhole(const QString &path, const QByteArray &bytes, QString *error,
                           Access access = Access::AsBefore);
    // The Czech reason for a failed system call on `path`, e.g. "Na disku není dost místa."
    static QString reason(int errorNumber, const QString &path);

private:
    bool open();
    void failWith(int errorNumber);

    QString m_path;
    Access m_access;
    QSaveFile m_file;
    std::unique_ptr<QIODevice> m_device;
    bool m_opened = false;
    bool m_finished = false;
    QString m_error;
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
