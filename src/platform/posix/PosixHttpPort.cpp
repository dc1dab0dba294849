#include "PosixHttpPort.h"

// libcurl is opened on the first fetch, not linked: it brings some twenty libraries
// (TLS, Kerberos, LDAP, SSH...) whose loading and relocation would cost every start of
// the program, "orvanta agenda" included, about 20 ms, though most runs fetch nothing.
// The header gives the types and constants; the functions come from dlsym.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>
#include <dlfcn.h>

#include <memory>
#include <type_traits>

namespace {

// The few libcurl functions the fetch calls, looked up once.
struct CurlApi {
    CURLcode (*global_init)(long) = nullptr;
    CURL* (*easy_init)() = nullptr;
    void (*easy_cleanup)(CURL*) = nullptr;
    CURLcode (*easy_setopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*easy_perform)(CURL*) = nullptr;
    CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...) = nullptr;
    const char* (*easy_strerror)(CURLcode) = nullptr;
    CURLHcode (*easy_header)(CURL*, const char*, size_t, unsigned int, int, struct curl_header**) = nullptr;
    curl_slist* (*slist_append)(curl_slist*, const char*) = nullptr;
    void (*slist_free_all)(curl_slist*) = nullptr;
    std::string problem; // empty when every function was found and the library initialised

    CurlApi() {
        // Debian's libcurl4 (OpenSSL) first, then its GnuTLS build.
        void* lib = nullptr;
        for (const char* name : {"libcurl.so.4", "libcurl-gnutls.so.4"})
            if ((lib = ::dlopen(name, RTLD_NOW | RTLD_LOCAL))) break;
        if (!lib) {
            problem = "the HTTP library (libcurl.so.4) is not installed";
            return;
        }
        bool found = true;
        auto get = [&](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(::dlsym(lib, name));
            found = found && fn;
        };
        get(global_init, "curl_global_init");
        get(easy_init, "curl_easy_init");
        get(easy_cleanup, "curl_easy_cleanup");
        get(easy_setopt, "curl_easy_setopt");
        get(easy_perform, "curl_easy_perform");
        get(easy_getinfo, "curl_easy_getinfo");
        get(easy_strerror, "curl_easy_strerror");
        get(easy_header, "curl_easy_header");
        get(slist_append, "curl_slist_append");
        get(slist_free_all, "curl_slist_free_all");
        if (!found) problem = "the HTTP library (libcurl.so.4) is older than 7.84";
        else if (global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) problem = "the HTTP library could not be initialised";
    }
};

// Null with the reason when libcurl cannot be used.
const CurlApi* Curl(std::string& why) {
    static const CurlApi api;
    why = api.problem;
    return api.problem.empty() ? &api : nullptr;
}

struct Transfer {
    std::string* body;
    std::size_t maxBytes;
    bool tooLarge = false;
};

// The body as curl hands it over, already decompressed; refused (the transfer ends)
// as soon as it passes the limit.
size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (t->body->size() + n > t->maxBytes) {
        t->tooLarge = true;
        return 0;
    }
    t->body->append(data, n);
    return n;
}

std::string Header(const CurlApi& api, CURL* curl, const char* name) {
    struct curl_header* h = nullptr;
    // -1: the last request of a redirected transfer.
    if (api.easy_header(curl, name, 0, CURLH_HEADER, -1, &h) == CURLHE_OK && h && h->value) return h->value;
    return std::string();
}

} // namespace

CPosixHttpPort::CPosixHttpPort(std::string caBundle) : m_caBundle(std::move(caBundle)) {}

HttpResponse CPosixHttpPort::Get(const HttpRequest& request) {
    HttpResponse response;
    const CurlApi* api = Curl(response.error);
    if (!api) return response;
    std::unique_ptr<CURL, void (*)(CURL*)> curl(api->easy_init(), api->easy_cleanup);
    if (!curl) {
        response.error = "the HTTP library could not be initialised";
        return response;
    }
    CURL* c = curl.get();
    char errorText[CURL_ERROR_SIZE] = {};
    Transfer transfer{&response.body, request.maxBytes};

    api->easy_setopt(c, CURLOPT_URL, request.url.c_str());
    api->easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    api->easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    api->easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    api->easy_setopt(c, CURLOPT_MAXREDIRS, static_cast<long>(request.maxRedirects));
    api->easy_setopt(c, CURLOPT_TIMEOUT, static_cast<long>(request.timeoutSeconds));
    api->easy_setopt(c, CURLOPT_CONNECTTIMEOUT, static_cast<long>(request.timeoutSeconds));
    api->easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    api->easy_setopt(c, CURLOPT_ACCEPT_ENCODING, ""); // every encoding this libcurl can decode
    api->easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    api->easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!m_caBundle.empty()) api->easy_setopt(c, CURLOPT_CAINFO, m_caBundle.c_str());
    api->easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.maxBytes));
    api->easy_setopt(c, CURLOPT_USERAGENT, "Orvanta for Outlook");
    api->easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    api->easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
    api->easy_setopt(c, CURLOPT_WRITEDATA, &transfer);

    struct curl_slist* headers = nullptr;
    if (!request.ifNoneMatch.empty())
        headers = api->slist_append(headers, ("If-None-Match: " + request.ifNoneMatch).c_str());
    if (!request.ifModifiedSince.empty())
        headers = api->slist_append(headers, ("If-Modified-Since: " + request.ifModifiedSince).c_str());
    std::unique_ptr<curl_slist, void (*)(curl_slist*)> headerList(headers, api->slist_free_all);
    if (headers) api->easy_setopt(c, CURLOPT_HTTPHEADER, headers);

    const CURLcode rc = api->easy_perform(c);
    if (rc == CURLE_OK) {
        long status = 0;
        api->easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
        response.outcome = HttpOutcome::Answered;
        response.status = static_cast<int>(status);
        response.etag = Header(*api, c, "ETag");
        response.lastModified = Header(*api, c, "Last-Modified");
        return response;
    }
    response.body.clear();
    switch (rc) {
    case CURLE_OPERATION_TIMEDOUT: response.outcome = HttpOutcome::TimedOut; break;
    case CURLE_TOO_MANY_REDIRECTS: response.outcome = HttpOutcome::TooManyRedirects; break;
    case CURLE_FILESIZE_EXCEEDED: response.outcome = HttpOutcome::TooLarge; break;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT: response.outcome = HttpOutcome::BadUrl; break;
    default: response.outcome = transfer.tooLarge ? HttpOutcome::TooLarge : HttpOutcome::Failed; break;
    }
    switch (response.outcome) {
    case HttpOutcome::TimedOut:
        response.error = "no answer within " + std::to_string(request.timeoutSeconds) + " seconds";
        break;
    case HttpOutcome::TooManyRedirects:
        response.error = "more than " + std::to_string(request.maxRedirects) + " redirects";
        break;
    case HttpOutcome::TooLarge:
        response.error = "larger than " + std::to_string(request.maxBytes / (1024 * 1024)) + " MB";
        break;
    default:
        // curl's own text names the host at most, never the path or the query.
        response.error = errorText[0] ? errorText : api->easy_strerror(rc);
        break;
    }
    return response;
}
