#pragma once

#include "web/FtpClient.h"

typedef void CURL;
typedef void CURLM;

// FtpClient over libcurl. Each operation is one request on a kept control connection; the current
// folder is tracked here and sent as the request's path. Explicit TLS is used when the server offers it
// (certificates are verified); passive mode and binary transfers are libcurl's defaults.
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
    void disconnect() override;
    void setProgress(TransferProgress progress) override { m_progress = std::move(progress); }

    // The folder the requests work in, as sent to the server ("/" + levels when absolute).
    QString currentDirectory() const;

private:
    struct Request;
    // Path levels after applying a relative or absolute path to the current folder.
    QStringList resolve(const QString &path, bool *absolute) const;
    QByteArray url(const QStringList &levels, bool absolute, const QString &file = QString()) const;
    void prepare(const QByteArray &url);
    void perform(const QString &what);
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
    QString m_lastReply; // the last reply line the server sent
    bool m_localFailure = false;
};
