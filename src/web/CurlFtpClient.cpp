#include "web/CurlFtpClient.h"

#include "files/FileWriter.h"

#include <QFile>
#include <QUrl>
#include <curl/curl.h>
#include <mutex>

namespace {

void initialiseLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Collects the server's reply lines (libcurl hands them to the debug callback).
int onDebug(CURL *, curl_infotype type, char *data, size_t size, void *user) {
    if (type == CURLINFO_HEADER_IN) {
        const QString line = QString::fromUtf8(data, qsizetype(size)).trimmed();
        if (!line.isEmpty())
            *static_cast<QString *>(user) = line;
    }
    return 0;
}

size_t appendToBuffer(char *data, size_t size, size_t count, void *user) {
    static_cast<QByteArray *>(user)->append(data, qsizetype(size * count));
    return size * count;
}

size_t writeToFile(char *data, size_t size, size_t count, void *user) {
    return static_cast<FileWriter *>(user)->write(data, qint64(size * count)) ? size * count : 0;
}

size_t readFromFile(char *data, size_t size, size_t count, void *user) {
    const qint64 read = static_cast<QFile *>(user)->read(data, qint64(size * count));
    return read < 0 ? CURL_READFUNC_ABORT : size_t(read);
}

int onProgress(void *user, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal, curl_off_t ulNow) {
    const auto &progress = *static_cast<TransferProgress *>(user);
    if (!progress)
        return 0;
    const bool upload = ulTotal > 0 || ulNow > 0;
    return progress(upload ? ulNow : dlNow, upload ? ulTotal : dlTotal) ? 0 : 1;
}

FtpError::Kind kindOf(CURLcode code) {
    switch (code) {
    case CURLE_ABORTED_BY_CALLBACK:
        return FtpError::Kind::Cancelled;
    case CURLE_LOGIN_DENIED:
        return FtpError::Kind::Login;
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_QUOTE_ERROR:
    case CURLE_UPLOAD_FAILED:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_REMOTE_DISK_FULL:
    case CURLE_FTP_COULDNT_SET_TYPE:
        return FtpError::Kind::Refused;
    case CURLE_READ_ERROR:
    case CURLE_WRITE_ERROR:
        return FtpError::Kind::Local;
    default:
        return FtpError::Kind::Connection;
    }
}

} // namespace

FtpError::FtpError(Kind kind, const QString &message, int replyCode, const QString &replyText)
    : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message), m_replyCode(replyCode),
      m_replyText(replyText) {}

bool FtpError::notFound() const {
    return m_replyCode == 550 || m_replyText.contains(QLatin1String("Can't change directory")) ||
           m_replyText.contains(QLatin1String("No such file or directory"));
}

CurlFtpClient::CurlFtpClient() {
    initialiseLibrary();
}

CurlFtpClient::~CurlFtpClient() {
    disconnect();
}

void CurlFtpClient::setTimeouts(int connectSeconds, int idleSeconds) {
    m_connectTimeout = connectSeconds;
    m_idleTimeout = idleSeconds;
}

QString CurlFtpClient::currentDirectory() const {
    const QString joined = m_levels.join(u'/');
    return m_absolute ? u'/' + joined : joined;
}

QStringList CurlFtpClient::resolve(const QString &path, bool *absolute) const {
    QStringList levels = m_levels;
    *absolute = m_absolute;
    if (path.startsWith(u'/')) {
        levels.clear();
        *absolute = true;
    }
    for (const QString &level : path.split(u'/', Qt::SkipEmptyParts)) {
        if (level == QLatin1String("."))
            continue;
        if (level == QLatin1String("..") && !levels.isEmpty() && levels.last() != QLatin1String(".."))
            levels.removeLast();
        else
            levels << level;
    }
    return levels;
}

QByteArray CurlFtpClient::url(const QStringList &levels, bool absolute, const QString &file) const {
    QByteArray result = "ftp://" + m_host.toUtf8() + '/';
    if (absolute)
        result += "%2F";
    for (const QString &level : levels)
        result += QUrl::toPercentEncoding(level) + '/';
    if (absolute && levels.isEmpty())
        result += '/';
    return result + QUrl::toPercentEncoding(file);
}

void CurlFtpClient::requireConnection() const {
    if (!m_connected || !m_curl)
        throw FtpError(FtpError::Kind::Connection, QStringLiteral("Spojení s FTP serverem není navázáno."));
}

void CurlFtpClient::prepare(const QByteArray &address) {
    curl_easy_reset(m_curl);
    curl_easy_setopt(m_curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(m_curl, CURLOPT_USERNAME, m_user.toUtf8().constData());
    curl_easy_setopt(m_curl, CURLOPT_PASSWORD, m_password.toUtf8().constData());
    curl_easy_setopt(m_curl, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
    curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT, long(m_connectTimeout));
    curl_easy_setopt(m_curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(m_idleTimeout));
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_TIME, long(m_idleTimeout));
    curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(m_curl, CURLOPT_DEBUGFUNCTION, onDebug);
    curl_easy_setopt(m_curl, CURLOPT_DEBUGDATA, &m_lastReply);
    curl_easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFODATA, &m_progress);
    m_lastReply.clear();
    m_localFailure = false;
}

void CurlFtpClient::perform(const QString &what) {
    const auto code = CURLcode(run());
    if (code == CURLE_OK)
        return;
    long reply = 0;
    curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &reply);
    FtpError::Kind kind = kindOf(code);
    if (m_localFailure)
        kind = FtpError::Kind::Local;
    QString detail;
    if (kind == FtpError::Kind::Cancelled)
        detail = QStringLiteral("přenos byl zrušen");
    else if (kind == FtpError::Kind::Local)
        detail = QString::fromUtf8(curl_easy_strerror(code));
    else if (kind == FtpError::Kind::Connection || m_lastReply.isEmpty())
        detail = QString::fromUtf8(curl_easy_strerror(code)) +
                 (m_lastReply.isEmpty() ? QString() : QStringLiteral(" (server: %1)").arg(m_lastReply));
    else
        detail = QStringLiteral("server odpověděl: %1").arg(m_lastReply);
    throw FtpError(kind, what + QStringLiteral(": ") + detail, int(reply), m_lastReply);
}

// Runs the prepared request. A multi handle waited on in short steps, rather than curl_easy_perform: in some
// processes the library otherwise waits its full second before opening each passive data connection.
// The kept control connection lives in the multi handle's cache between requests.
int CurlFtpClient::run() {
    if (!m_multi)
        m_multi = curl_multi_init();
    if (!m_multi || curl_multi_add_handle(m_multi, m_curl) != CURLM_OK)
        return CURLE_OUT_OF_MEMORY;
    CURLcode result = CURLE_OK;
    int running = 1;
    while (running > 0) {
        if (curl_multi_perform(m_multi, &running) != CURLM_OK) {
            result = CURLE_RECV_ERROR;
            break;
        }
        if (running > 0)
            curl_multi_poll(m_multi, nullptr, 0, 20, nullptr);
    }
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(m_multi, &left))
        if (message->msg == CURLMSG_DONE && message->easy_handle == m_curl)
            result = message->data.result;
    curl_multi_remove_handle(m_multi, m_curl);
    return result;
}

void CurlFtpClient::connectTo(const QString &host, const QString &user, const QString &password) {
    disconnect();
    m_host = host.trimmed();
    if (m_host.startsWith(QLatin1String("ftp://"), Qt::CaseInsensitive))
        m_host = m_host.mid(6);
    while (m_host.endsWith(u'/'))
        m_host.chop(1);
    m_user = user;
    m_password = password;
    m_levels.clear();
    m_absolute = false;
    m_curl = curl_easy_init();
    if (!m_curl)
        throw FtpError(FtpError::Kind::Connection, QStringLiteral("Knihovnu pro FTP nelze spustit."));
    prepare(url({}, false));
    curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    perform(QStringLiteral("Nepodařilo se připojit k FTP serveru „%1“").arg(m_host));
    m_connected = true;
}

void CurlFtpClient::changeDirectory(const QString &path) {
    requireConnection();
    bool absolute = false;
    const QStringList levels = resolve(path, &absolute);
    prepare(url(levels, absolute));
    curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    perform(QStringLiteral("Na serveru nelze přejít do složky „%1“").arg(path));
    m_levels = levels;
    m_absolute = absolute;
}

void CurlFtpClient::makeDirectory(const QString &name) {
    requireConnection();
    // Sent after the request has changed into the current folder (no transfer of its own).
    prepare(url(m_levels, m_absolute));
    curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    curl_slist *commands = curl_slist_append(nullptr, ("MKD " + name.toUtf8()).constData());
    curl_easy_setopt(m_curl, CURLOPT_POSTQUOTE, commands);
    try {
        perform(QStringLiteral("Na serveru nelze vytvořit složku „%1“").arg(name));
    } catch (...) {
        curl_slist_free_all(commands);
        throw;
    }
    curl_slist_free_all(commands);
}

QStringList CurlFtpClient::list(const QString &path) {
    requireConnection();
    bool absolute = false;
    const QStringList levels = resolve(path, &absolute);
    QByteArray listing;
    prepare(url(levels, absolute));
    curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, appendToBuffer);
    curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, &listing);
    perform(QStringLiteral("Obsah složky „%1“ na serveru nelze vypsat").arg(path));
    QStringList lines;
    for (const QByteArray &line : listing.split('\n'))
        if (!line.trimmed().isEmpty())
            lines << QString::fromUtf8(line).trimmed();
    return lines;
}

void CurlFtpClient::store(const QString &localPath, const QString &remoteName) {
    requireConnection();
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        throw FtpError(FtpError::Kind::Local,
                       QStringLiteral("Soubor „%1“ nelze přečíst: %2").arg(localPath, file.errorString()));
    prepare(url(m_levels, m_absolute, remoteName));
    curl_easy_setopt(m_curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(m_curl, CURLOPT_READFUNCTION, readFromFile);
    curl_easy_setopt(m_curl, CURLOPT_READDATA, &file);
    curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(file.size()));
    perform(QStringLiteral("Soubor „%1“ nelze na server uložit").arg(remoteName));
}

void CurlFtpClient::retrieve(const QString &remoteName, const QString &localPath) {
    requireConnection();
    // The download replaces the local file only when it is whole.
    FileWriter file(localPath);
    prepare(url(m_levels, m_absolute, remoteName));
    curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, writeToFile);
    curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, &file);
    try {
        perform(QStringLiteral("Soubor „%1“ nelze ze serveru stáhnout").arg(remoteName));
    } catch (const FtpError &) {
        if (file.failed())
            throw FtpError(FtpError::Kind::Local, file.errorText());
        throw;
    }
    if (!file.commit())
        throw FtpError(FtpError::Kind::Local, file.errorText());
}

void CurlFtpClient::disconnect() {
    if (m_curl) {
        // Cleaning up the handle sends QUIT on a kept connection.
        curl_easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, nullptr);
        curl_easy_setopt(m_curl, CURLOPT_NOPROGRESS, 1L);
        curl_easy_cleanup(m_curl);
        m_curl = nullptr;
    }
    if (m_multi) {
        // Closing the multi handle closes the kept connection (QUIT).
        curl_multi_cleanup(m_multi);
        m_multi = nullptr;
    }
    m_connected = false;
}
