#include "web/CurlFtpClient.h"

#include "files/FileWriter.h"

#include <QCryptographicHash>
#include <QFile>
#include <QUrl>
#include "web/CurlLibrary.h"

namespace {

// libcurl, loaded by the first connection (CurlLibrary).
const CurlLibrary &lib() {
    return CurlLibrary::get();
}

// Keeps the server's last reply line and the file commands sent (libcurl hands both to the debug callback).
int onDebug(CURL *, curl_infotype type, char *data, size_t size, void *user) {
    auto &exchange = *static_cast<CurlFtpClient::Exchange *>(user);
    if (type == CURLINFO_HEADER_IN) {
        const QString line = QString::fromUtf8(data, qsizetype(size)).trimmed();
        if (!line.isEmpty())
            exchange.reply = line;
    } else if (type == CURLINFO_HEADER_OUT) {
        const QString line = QString::fromUtf8(data, qsizetype(size)).trimmed();
        for (const char *command : {"RNFR ", "RNTO ", "DELE ", "MKD "})
            if (line.startsWith(QLatin1String(command)))
                exchange.commands << line;
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
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return FtpError::Kind::Certificate;
    default:
        return FtpError::Kind::Connection;
    }
}

bool diskFull(long reply) {
    return reply == 452 || reply == 552;
}

// Why the request failed, as the end of a Czech sentence; the library's and the server's texts go into the
// details only.
QString reasonOf(CURLcode code, long reply) {
    if (code == CURLE_LOGIN_DENIED || reply == 530)
        return QStringLiteral("server nepřijal jméno uživatele nebo heslo");
    if (code == CURLE_REMOTE_DISK_FULL || (diskFull(reply) && kindOf(code) == FtpError::Kind::Refused))
        return QStringLiteral("na serveru došlo místo (nebo byl vyčerpán prostor vašeho účtu)");
    switch (code) {
    case CURLE_ABORTED_BY_CALLBACK:
        return QStringLiteral("přenos byl zrušen");
    case CURLE_READ_ERROR:
        return QStringLiteral("soubor na tomto počítači nelze přečíst");
    case CURLE_WRITE_ERROR:
        return QStringLiteral("soubor na tomto počítači nelze zapsat");
    case CURLE_URL_MALFORMAT:
        return QStringLiteral("adresa serveru nebo název složky či souboru není platná");
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return QStringLiteral(
            "server tohoto názvu se nepodařilo najít; zkontrolujte adresu serveru a připojení "
            "k internetu");
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("server je nedostupný; zkontrolujte adresu serveru a připojení k internetu");
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_FTP_ACCEPT_TIMEOUT:
        return QStringLiteral("server neodpověděl včas");
    case CURLE_USE_SSL_FAILED:
        return QStringLiteral(
            "server nenabízí šifrované spojení (TLS), takže by heslo šlo sítí čitelně; program "
            "se proto nepřihlásil. Nešifrované FTP lze povolit v nastavení FTP");
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return QStringLiteral("šifrované spojení se serverem se nepodařilo navázat");
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return QStringLiteral("spojení se serverem se přerušilo a přenos nebyl dokončen");
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_FTP_PORT_FAILED:
        return QStringLiteral("datové spojení se serverem se nepodařilo navázat");
    case CURLE_WEIRD_SERVER_REPLY:
        return QStringLiteral("server odpověděl způsobem, kterému program nerozumí");
    case CURLE_REMOTE_ACCESS_DENIED:
        return QStringLiteral("taková složka na serveru neexistuje nebo k ní nemáte přístup");
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_FTP_COULDNT_RETR_FILE:
        return QStringLiteral("takový soubor na serveru není nebo k němu nemáte přístup");
    case CURLE_UPLOAD_FAILED:
        if (reply == 553)
            return QStringLiteral("server takový název souboru nepřijal");
        if (reply == 550)
            return QStringLiteral("do této složky na serveru nelze zapisovat");
        return QStringLiteral("server soubor nepřijal");
    case CURLE_QUOTE_ERROR:
        if (reply == 550)
            return QStringLiteral(
                "taková složka nebo soubor na serveru neexistuje, nebo k nim nemáte přístup");
        return QStringLiteral("server příkaz odmítl");
    default:
        if (reply == 421)
            return QStringLiteral("server spojení ukončil");
        return QStringLiteral("spojení se serverem selhalo");
    }
}

// The length and content of the DER element at `at`; false when it runs past the end.
bool derElement(const QByteArray &der, qsizetype at, qsizetype *contentAt, qsizetype *end) {
    if (at + 2 > der.size())
        return false;
    qsizetype length = quint8(der[at + 1]);
    qsizetype content = at + 2;
    if (length & 0x80) {
        const int bytes = int(length & 0x7f);
        if (bytes == 0 || bytes > 4 || content + bytes > der.size())
            return false;
        length = 0;
        for (int i = 0; i < bytes; ++i)
            length = (length << 8) | quint8(der[content + i]);
        content += bytes;
    }
    if (length > der.size() - content)
        return false;
    *contentAt = content;
    *end = content + length;
    return true;
}

// The pin of a certificate's public key: "sha256//" + base64 of the SHA-256 of its DER SubjectPublicKeyInfo
// (the form libcurl checks); empty when the certificate cannot be read.
QString pinOf(const QByteArray &certificate) {
    qsizetype content = 0, end = 0;
    // Certificate ::= SEQUENCE { tbsCertificate SEQUENCE { [0] version OPTIONAL, serialNumber, signature,
    // issuer, validity, subject, subjectPublicKeyInfo, ... }, ... }
    if (certificate.isEmpty() || quint8(certificate[0]) != 0x30 ||
        !derElement(certificate, 0, &content, &end))
        return QString();
    qsizetype tbs = content;
    if (quint8(certificate[tbs]) != 0x30 || !derElement(certificate, tbs, &content, &end))
        return QString();
    const qsizetype tbsEnd = end;
    qsizetype at = content;
    if (at < tbsEnd && quint8(certificate[at]) == 0xa0) {
        if (!derElement(certificate, at, &content, &end))
            return QString();
        at = end;
    }
    for (int skipped = 0; skipped < 5; ++skipped) { // serial number, signature, issuer, validity, subject
        if (at >= tbsEnd || !derElement(certificate, at, &content, &end))
            return QString();
        at = end;
    }
    if (at >= tbsEnd || quint8(certificate[at]) != 0x30 || !derElement(certificate, at, &content, &end) ||
        end > tbsEnd)
        return QString();
    const QByteArray publicKeyInfo = certificate.mid(at, end - at);
    return QStringLiteral("sha256//") +
           QString::fromLatin1(
               QCryptographicHash::hash(publicKeyInfo, QCryptographicHash::Sha256).toBase64());
}

// The pin of the server's certificate from the certificate chain libcurl gathered for the last request.
QString pinFromCertInfo(CURL *curl) {
    curl_certinfo *info = nullptr;
    if (lib().easy_getinfo(curl, CURLINFO_CERTINFO, &info) != CURLE_OK || !info || info->num_of_certs < 1)
        return QString();
    for (curl_slist *field = info->certinfo[0]; field; field = field->next) {
        const QByteArray text(field->data);
        if (!text.startsWith("Cert:"))
            continue;
        QByteArray base64;
        for (const QByteArray &line : text.mid(5).split('\n'))
            if (!line.startsWith("-----"))
                base64 += line.trimmed();
        return pinOf(QByteArray::fromBase64(base64));
    }
    return QString();
}

// A pin no key has, for connections that must stop once the server's certificate is known.
constexpr char kNoKey[] = "sha256//AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=";

} // namespace

FtpError::FtpError(Kind kind, const QString &message, int replyCode, const QString &replyText,
                   const QString &serverKey)
    : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message), m_replyCode(replyCode),
      m_replyText(replyText), m_serverKey(serverKey) {}

bool FtpError::notFound() const {
    return m_replyCode == 550 || m_replyText.contains(QLatin1String("Can't change directory")) ||
           m_replyText.contains(QLatin1String("No such file or directory"));
}

CurlFtpClient::CurlFtpClient() = default;

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
    lib().easy_reset(m_curl);
    lib().easy_setopt(m_curl, CURLOPT_URL, address.constData());
    lib().easy_setopt(m_curl, CURLOPT_USERNAME, m_user.toUtf8().constData());
    lib().easy_setopt(m_curl, CURLOPT_PASSWORD, m_password.toUtf8().constData());
    applySecurity(m_curl, m_usePin ? m_trustedKey : QString());
    lib().easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT, long(m_connectTimeout));
    lib().easy_setopt(m_curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(m_idleTimeout));
    lib().easy_setopt(m_curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    lib().easy_setopt(m_curl, CURLOPT_LOW_SPEED_TIME, long(m_idleTimeout));
    lib().easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    lib().easy_setopt(m_curl, CURLOPT_VERBOSE, 1L);
    lib().easy_setopt(m_curl, CURLOPT_DEBUGFUNCTION, onDebug);
    lib().easy_setopt(m_curl, CURLOPT_DEBUGDATA, &m_exchange);
    lib().easy_setopt(m_curl, CURLOPT_ERRORBUFFER, m_errorText);
    lib().easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L);
    lib().easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    lib().easy_setopt(m_curl, CURLOPT_XFERINFODATA, &m_progress);
    m_exchange = {};
    m_errorText[0] = '\0';
    m_localFailure = false;
}

// TLS is required unless plain FTP is allowed; then it is still used whenever the server offers it. The
// certificate is checked against the system's store, or, with a pinned key, only that key is accepted (the
// teacher accepted a certificate the system does not trust). libcurl checks either during the handshake,
// before the user name and password are sent.
void CurlFtpClient::applySecurity(CURL *curl, const QString &pinnedKey) const {
    lib().easy_setopt(curl, CURLOPT_USE_SSL, long(m_allowPlain ? CURLUSESSL_TRY : CURLUSESSL_ALL));
    if (pinnedKey.isEmpty()) {
        lib().easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
        lib().easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
        return;
    }
    lib().easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    lib().easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    lib().easy_setopt(curl, CURLOPT_PINNEDPUBLICKEY, pinnedKey.toLatin1().constData());
    // So that a changed key can be told to the teacher.
    lib().easy_setopt(curl, CURLOPT_CERTINFO, 1L);
}

// The key pin of a server whose certificate the system does not trust. A connection of its own, without
// the account, with a pin no key matches: libcurl gathers the certificate and then ends the handshake, so
// the server sees only its greeting answered by AUTH TLS and a TLS handshake, never a user name.
QString CurlFtpClient::probeServerKey() const {
    CURL *probe = lib().easy_init();
    if (!probe)
        return QString();
    const QByteArray address = url({}, false);
    lib().easy_setopt(probe, CURLOPT_URL, address.constData());
    applySecurity(probe, QString::fromLatin1(kNoKey));
    lib().easy_setopt(probe, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    lib().easy_setopt(probe, CURLOPT_NOBODY, 1L);
    lib().easy_setopt(probe, CURLOPT_FRESH_CONNECT, 1L);
    lib().easy_setopt(probe, CURLOPT_FORBID_REUSE, 1L);
    lib().easy_setopt(probe, CURLOPT_CONNECTTIMEOUT, long(m_connectTimeout));
    lib().easy_setopt(probe, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(m_idleTimeout));
    lib().easy_setopt(probe, CURLOPT_NOSIGNAL, 1L);
    const CURLcode code = lib().easy_perform(probe);
    const QString pin = code == CURLE_SSL_PINNEDPUBKEYNOTMATCH ? pinFromCertInfo(probe) : QString();
    lib().easy_cleanup(probe);
    return pin;
}

void CurlFtpClient::perform(const QString &what) {
    const int code = run();
    if (code != CURLE_OK)
        fail(code, what);
}

void CurlFtpClient::fail(int result, const QString &what, bool keyChanged, const QString &changedKey) {
    const auto code = CURLcode(result);
    long reply = 0;
    lib().easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &reply);
    FtpError::Kind kind = kindOf(code);
    if (m_localFailure)
        kind = FtpError::Kind::Local;
    QString detail = QString::fromUtf8(m_errorText).trimmed();
    if (detail.isEmpty())
        detail = QString::fromUtf8(lib().easy_strerror(code));
    if (!m_exchange.reply.isEmpty())
        detail += QStringLiteral(" (server: %1)").arg(m_exchange.reply);
    const QString details = QStringLiteral("\nPodrobnosti: ") + detail;
    if (kind == FtpError::Kind::Certificate) {
        const bool changed = code == CURLE_SSL_PINNEDPUBKEYNOTMATCH || keyChanged;
        QString key = code == CURLE_SSL_PINNEDPUBKEYNOTMATCH ? pinFromCertInfo(m_curl) : changedKey;
        if (key.isEmpty())
            key = probeServerKey();
        QString message =
            changed
                ? QStringLiteral(
                      "Server se prokazuje jiným certifikátem, než jaký jste dříve přijali, a tento "
                      "počítač mu nedůvěřuje (FTP server „%1“). Certifikát se mohl na serveru "
                      "změnit, nebo se za server vydává někdo jiný.")
                      .arg(m_host)
                : QStringLiteral("Server se prokazuje certifikátem, kterému tento počítač nedůvěřuje (FTP "
                                 "server „%1“). Certifikát si mohl server vystavit sám, nebo se za server "
                                 "vydává někdo jiný.")
                      .arg(m_host);
        if (!key.isEmpty())
            message +=
                QStringLiteral(" Certifikát přijměte, jen když správce serveru potvrdí, že klíč serveru "
                               "je %1.")
                    .arg(key);
        throw FtpError(kind, message + details, int(reply), m_exchange.reply, key);
    }
    throw FtpError(kind, what + QStringLiteral(": ") + reasonOf(code, reply) + u'.' + details, int(reply),
                   m_exchange.reply);
}

// Runs the prepared request. A multi handle waited on in short steps, rather than curl_easy_perform: in some
// processes the library otherwise waits its full second before opening each passive data connection.
// The kept control connection lives in the multi handle's cache between requests.
int CurlFtpClient::run() {
    if (!m_multi)
        m_multi = lib().multi_init();
    if (!m_multi || lib().multi_add_handle(m_multi, m_curl) != CURLM_OK)
        return CURLE_OUT_OF_MEMORY;
    CURLcode result = CURLE_OK;
    int running = 1;
    while (running > 0) {
        if (lib().multi_perform(m_multi, &running) != CURLM_OK) {
            result = CURLE_RECV_ERROR;
            break;
        }
        if (running > 0)
            lib().multi_poll(m_multi, nullptr, 0, 20, nullptr);
    }
    int left = 0;
    while (CURLMsg *message = lib().multi_info_read(m_multi, &left))
        if (message->msg == CURLMSG_DONE && message->easy_handle == m_curl)
            result = message->data.result;
    lib().multi_remove_handle(m_multi, m_curl);
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
    m_curl = lib().easy_init();
    if (!m_curl)
        throw FtpError(FtpError::Kind::Connection, QStringLiteral("Knihovnu pro FTP nelze spustit."));
    const QString what = QStringLiteral("Nepodařilo se připojit k FTP serveru „%1“").arg(m_host);
    m_usePin = !m_trustedKey.isEmpty();
    prepare(url({}, false));
    lib().easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    int code = run();
    if (code == CURLE_SSL_PINNEDPUBKEYNOTMATCH) {
        // The accepted certificate was replaced; the new one may be one the system trusts.
        const QString changedKey = pinFromCertInfo(m_curl);
        m_usePin = false;
        prepare(url({}, false));
        lib().easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
        code = run();
        if (code == CURLE_PEER_FAILED_VERIFICATION)
            fail(code, what, true, changedKey);
    }
    if (code != CURLE_OK)
        fail(code, what);
    m_connected = true;
}

void CurlFtpClient::changeDirectory(const QString &path) {
    requireConnection();
    bool absolute = false;
    const QStringList levels = resolve(path, &absolute);
    prepare(url(levels, absolute));
    lib().easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    perform(QStringLiteral("Na serveru nelze přejít do složky „%1“").arg(path));
    m_levels = levels;
    m_absolute = absolute;
}

void CurlFtpClient::makeDirectory(const QString &name) {
    const int code = runCommands({"MKD " + name.toUtf8()});
    if (code != CURLE_OK)
        fail(code, QStringLiteral("Na serveru nelze vytvořit složku „%1“").arg(name));
}

QStringList CurlFtpClient::list(const QString &path) {
    requireConnection();
    bool absolute = false;
    const QStringList levels = resolve(path, &absolute);
    QByteArray listing;
    prepare(url(levels, absolute));
    lib().easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, appendToBuffer);
    lib().easy_setopt(m_curl, CURLOPT_WRITEDATA, &listing);
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
    lib().easy_setopt(m_curl, CURLOPT_UPLOAD, 1L);
    lib().easy_setopt(m_curl, CURLOPT_READFUNCTION, readFromFile);
    lib().easy_setopt(m_curl, CURLOPT_READDATA, &file);
    lib().easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(file.size()));
    perform(QStringLiteral("Soubor „%1“ nelze na server uložit").arg(remoteName));
}

void CurlFtpClient::retrieve(const QString &remoteName, const QString &localPath) {
    requireConnection();
    // The download replaces the local file only when it is whole.
    FileWriter file(localPath);
    prepare(url(m_levels, m_absolute, remoteName));
    lib().easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, writeToFile);
    lib().easy_setopt(m_curl, CURLOPT_WRITEDATA, &file);
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

void CurlFtpClient::setSecurity(bool allowPlain, const QString &trustedKey) {
    m_allowPlain = allowPlain;
    m_trustedKey = trustedKey.trimmed();
}

int CurlFtpClient::runCommands(const QList<QByteArray> &commands) {
    requireConnection();
    for (const QByteArray &command : commands)
        if (command.contains('\r') || command.contains('\n') || command.contains('\0'))
            // A line break would end the command and start another one.
            throw FtpError(FtpError::Kind::Local,
                           QStringLiteral("Název „%1“ obsahuje znak, který FTP nedovoluje (konec řádku).")
                               .arg(QString::fromUtf8(command.mid(command.indexOf(' ') + 1)).simplified()));
    // Sent after the request has changed into the current folder (no transfer of its own).
    prepare(url(m_levels, m_absolute));
    lib().easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    curl_slist *list = nullptr;
    for (const QByteArray &command : commands)
        list = lib().slist_append(list, command.constData());
    lib().easy_setopt(m_curl, CURLOPT_POSTQUOTE, list);
    const int code = run();
    lib().slist_free_all(list);
    return code;
}

void CurlFtpClient::rename(const QString &from, const QString &to) {
    const QString what = QStringLiteral("Soubor „%1“ nelze na serveru přejmenovat na „%2“").arg(from, to);
    const QByteArray source = "RNFR " + from.toUtf8(), target = "RNTO " + to.toUtf8();
    int code = runCommands({source, target});
    if (code == CURLE_OK)
        return;
    if (code != CURLE_QUOTE_ERROR)
        fail(code, what);
    try {
        fail(code, what);
    } catch (const FtpError &refused) {
        // Some servers rename only onto a free name: the old file is deleted once the new one is known to
        // be there (the first RNFR), and the rename is repeated.
        const QByteArray remove = "DELE " + to.toUtf8();
        code = runCommands({source, remove, source, target});
        if (code == CURLE_OK)
            return;
        const qsizetype deleted = m_exchange.commands.indexOf(QString::fromUtf8(remove));
        if (deleted < 0 || deleted == m_exchange.commands.size() - 1)
            throw refused; // the file is missing, or the name is not taken: the first refusal stands
        fail(code, what);
    }
}

void CurlFtpClient::remove(const QString &name) {
    const int code = runCommands({"DELE " + name.toUtf8()});
    if (code != CURLE_OK)
        fail(code, QStringLiteral("Soubor „%1“ nelze na serveru smazat").arg(name));
}

void CurlFtpClient::disconnect() {
    if (m_curl) {
        // Cleaning up the handle sends QUIT on a kept connection.
        lib().easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, nullptr);
        lib().easy_setopt(m_curl, CURLOPT_NOPROGRESS, 1L);
        lib().easy_cleanup(m_curl);
        m_curl = nullptr;
    }
    if (m_multi) {
        // Closing the multi handle closes the kept connection (QUIT).
        lib().multi_cleanup(m_multi);
        m_multi = nullptr;
    }
    m_connected = false;
}
