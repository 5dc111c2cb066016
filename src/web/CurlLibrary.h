#pragma once

#include <curl/curl.h>

// The functions of libcurl that CurlFtpClient calls, taken from the library when the first FTP connection
// is made: every other command of the programs starts without it and the libraries it brings (TLS,
// Kerberos, LDAP, SSH; about thirty).
struct CurlLibrary {
    decltype(&::curl_global_init) global_init;
    decltype(&::curl_easy_init) easy_init;
    decltype(&::curl_easy_setopt) easy_setopt;
    decltype(&::curl_easy_perform) easy_perform;
    decltype(&::curl_easy_getinfo) easy_getinfo;
    decltype(&::curl_easy_reset) easy_reset;
    decltype(&::curl_easy_cleanup) easy_cleanup;
    decltype(&::curl_easy_strerror) easy_strerror;
    decltype(&::curl_multi_init) multi_init;
    decltype(&::curl_multi_add_handle) multi_add_handle;
    decltype(&::curl_multi_remove_handle) multi_remove_handle;
    decltype(&::curl_multi_perform) multi_perform;
    decltype(&::curl_multi_poll) multi_poll;
    decltype(&::curl_multi_info_read) multi_info_read;
    decltype(&::curl_multi_cleanup) multi_cleanup;
    decltype(&::curl_slist_append) slist_append;
    decltype(&::curl_slist_free_all) slist_free_all;

    // The library, loaded and initialised (curl_global_init) by the first call; raises FtpError
    // (Kind::Connection, a Czech reason) when it or one of its functions cannot be found.
    static const CurlLibrary &get();
};
