#include "web/CurlLibrary.h"

#include "web/FtpClient.h"

#include <QString>
#include <dlfcn.h>
#include <mutex>

namespace {

// Empty when loaded, else why not.
QString load(CurlLibrary &library) {
    // The run-time name of the libcurl the programs are built against (libcurl4 on Debian).
    void *handle = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return QString::fromLocal8Bit(::dlerror());
    QString missing;
    const auto take = [&](auto &function, const char *name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(handle, name));
        if (!function)
            missing = QString::fromLatin1(name);
    };
    take(library.global_init, "curl_global_init");
    take(library.easy_init, "curl_easy_init");
    take(library.easy_setopt, "curl_easy_setopt");
    take(library.easy_perform, "curl_easy_perform");
    take(library.easy_getinfo, "curl_easy_getinfo");
    take(library.easy_reset, "curl_easy_reset");
    take(library.easy_cleanup, "curl_easy_cleanup");
    take(library.easy_strerror, "curl_easy_strerror");
    take(library.multi_init, "curl_multi_init");
    take(library.multi_add_handle, "curl_multi_add_handle");
    take(library.multi_remove_handle, "curl_multi_remove_handle");
    take(library.multi_perform, "curl_multi_perform");
    take(library.multi_poll, "curl_multi_poll");
    take(library.multi_info_read, "curl_multi_info_read");
    take(library.multi_cleanup, "curl_multi_cleanup");
    take(library.slist_append, "curl_slist_append");
    take(library.slist_free_all, "curl_slist_free_all");
    if (!missing.isEmpty())
        return QStringLiteral("chybí funkce %1").arg(missing);
    if (library.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return QStringLiteral("knihovnu nelze spustit");
    return QString();
}

} // namespace

const CurlLibrary &CurlLibrary::get() {
    static CurlLibrary library;
    static QString failure;
    static std::once_flag once;
    std::call_once(once, [] { failure = load(library); });
    if (!failure.isEmpty())
        throw FtpError(FtpError::Kind::Connection,
                       QStringLiteral("Knihovnu pro FTP (libcurl) nelze načíst: %1").arg(failure));
    return library;
}
