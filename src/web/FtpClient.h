#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

// A failed FTP operation. Carries the server's last reply (code and text, when the server gave one), so
// callers can tell a missing folder or file (550, "Can't change directory") from other failures.
class FtpError final : public std::runtime_error {
public:
    enum class Kind {
        Connection,  // no connection, lost connection, time-out
        Login,       // the server refused the user name or password
        Refused,     // the server answered a command with a failure reply
        Local,       // a local file could not be read or written
        Cancelled,   // the user cancelled the transfer
        Certificate, // the server's certificate is not trusted by this computer (serverKey() tells its key)
    };
    FtpError(Kind kind, const QString &message, int replyCode = 0, const QString &replyText = QString(),
             const QString &serverKey = QString());

    Kind kind() const { return m_kind; }
    // Czech text for the user, with the server's reply where there was one.
    QString message() const { return m_message; }
    int replyCode() const { return m_replyCode; }
    QString replyText() const { return m_replyText; }
    // The server said the folder or file does not exist (reply 550 or its "Can't ..." texts).
    bool notFound() const;
    // With Kind::Certificate: the pin of the server's public key ("sha256//<base64>"), for the teacher to
    // accept that one certificate; empty when it could not be read.
    QString serverKey() const { return m_serverKey; }

private:
    Kind m_kind;
    QString m_message;
    int m_replyCode;
    QString m_replyText;
    QString m_serverKey;
};

// Told how far a transfer got (bytes done of total, total 0 when unknown); returns false to cancel it.
using TransferProgress = std::function<bool(qint64 done, qint64 total)>;

// The FTP operations the web publishing uses, and no others. Paths are relative to the current folder
// unless they begin with "/". Every operation raises FtpError on failure.
class FtpClient {
public:
    virtual ~FtpClient() = default;

    // Logs in on the standard FTP port; the current folder is the one the server starts in.
    virtual void connectTo(const QString &host, const QString &user, const QString &password) = 0;
    virtual void changeDirectory(const QString &path) = 0;
    virtual void makeDirectory(const QString &name) = 0;
    // The detailed listing of a folder, one line per entry.
    virtual QStringList list(const QString &path) = 0;
    // Stores a local file under the remote name, replacing a file of that name.
    virtual void store(const QString &localPath, const QString &remoteName) = 0;
    // Fetches a remote file of the current folder into a local file, which is replaced only when the whole
    // file came.
    virtual void retrieve(const QString &remoteName, const QString &localPath) = 0;
    // Renames a file of the current folder, replacing one of the new name (RNFR/RNTO).
    virtual void rename(const QString &from, const QString &to) = 0;
    // Deletes a file of the current folder.
    virtual void remove(const QString &name) = 0;
    // Ends the session; never raises.
    virtual void disconnect() = 0;

    // Progress of the transfers (and of waiting for the server) from now on; empty for none.
    virtual void setProgress(TransferProgress progress) = 0;
    // What the connection requires: TLS unless plain FTP is allowed; a pinned server key accepted by the
    // teacher. Takes effect with the next connectTo.
    virtual void setSecurity(bool allowPlain, const QString &trustedKey) = 0;
};
