#pragma once

#include "web/FtpClient.h"

typedef void CURL;
typedef void CURLM;

// FtpClient over libcurl. Each operation is one request on a kept control connection; the current
// folder is tracked here and sent as the request's path. Explicit TLS (AUTH TLS) is required, unless plain
// FTP is allowed; certificates are verified against the system's store, or a key the teacher accepted is
// pinned. Passive mode and binary transfers are libcurl's defaults. Failures are Czech sentences with
// libcurl's and the server's texts as details.
class CurlFtpClient final : public FtpClient {
public:
    CurlFtpClient();
    ~CurlFtpClient() override;
    CurlFtpClient(const CurlFtpClient &) = delete;
    CurlFtpClient &operator=(const CurlFtpClient &) = delete;

    // Seconds to wait for a connection and for a silent server (defaults 20 and 60).
    void setTimeouts(int connectSeconds, int idleSeconds);

    // "host" or "host:port".
    void connectTo(const QString &host, const QString &user, const QString &password) override;
    void changeDirectory(const QString &path) override;
    void makeDirectory(const QString &name) override;
    QStringList list(const QString &path) override;
    void store(const QString &localPath, const QString &remoteName) override;
    void retrieve(const QString &remoteName, const QString &localPath) override;
    void rename(const QString &from, const QString &to) override;
    void remove(const QString &name) override;
    void disconnect() override;
    void setProgress(TransferProgress progress) override { m_progress = std::move(progress); }
    void setSecurity(bool allowPlain, const QString &trustedKey) override;

    // The folder the requests work in, as sent to the server ("/" + levels when absolute).
    QString currentDirectory() const;

    // What the server said in the last request: its last reply line and the file commands sent.
    struct Exchange {
        QString reply;
        QStringList commands;
    };

private:
    struct Request;
    // Path levels after applying a relative or absolute path to the current folder.
    QStringList resolve(const QString &path, bool *absolute) const;
    QByteArray url(const QStringList &levels, bool absolute, const QString &file = QString()) const;
    void prepare(const QByteArray &url);
    void perform(const QString &what);
    // Sends the commands after changing into the current folder; the CURLcode.
    int runCommands(const QList<QByteArray> &commands);
    // Raises the FtpError of a failed request (a CURLcode). `keyChanged`: the server's accepted certificate
    // was replaced by one the system does not trust either, whose key is `changedKey`.
    [[noreturn]] void fail(int code, const QString &what, bool keyChanged = false,
                           const QString &changedKey = QString());
    void applySecurity(CURL *curl, const QString &pinnedKey) const;
    QString probeServerKey() const;
    int run(); // the CURLcode of the request
    void requireConnection() const;

    CURL *m_curl = nullptr;
    CURLM *m_multi = nullptr;
    QString m_host;
    QString m_user;
    QString m_password;
    bool m_connected = false;
    QStringList m_levels;
    bool m_absolute = false;
    int m_connectTimeout = 20;
    int m_idleTimeout = 60;
    TransferProgress m_progress;
    Exchange m_exchange;
    bool m_localFailure = false;
    char m_errorText[256] = {}; // libcurl's text of the last failure (CURL_ERROR_SIZE)
    bool m_allowPlain = false;
    QString m_trustedKey;
    bool m_usePin = false; // this connection accepts the trusted key instead of the system's verdict
};
