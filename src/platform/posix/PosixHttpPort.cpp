#include "PosixHttpPort.h"

#include <curl/curl.h>

#include <memory>

namespace {

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

std::string Header(CURL* curl, const char* name) {
    struct curl_header* h = nullptr;
    // -1: the last request of a redirected transfer.
    if (curl_easy_header(curl, name, 0, CURLH_HEADER, -1, &h) == CURLHE_OK && h && h->value) return h->value;
    return std::string();
}

bool GlobalInit() {
    static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ok;
}

} // namespace

CPosixHttpPort::CPosixHttpPort(std::string caBundle) : m_caBundle(std::move(caBundle)) {}

HttpResponse CPosixHttpPort::Get(const HttpRequest& request) {
    HttpResponse response;
    if (!GlobalInit()) {
        response.error = "the HTTP library could not be initialised";
        return response;
    }
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        response.error = "the HTTP library could not be initialised";
        return response;
    }
    CURL* c = curl.get();
    char errorText[CURL_ERROR_SIZE] = {};
    Transfer transfer{&response.body, request.maxBytes};

    curl_easy_setopt(c, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, static_cast<long>(request.maxRedirects));
    curl_easy_setopt(c, CURLOPT_TIMEOUT, static_cast<long>(request.timeoutSeconds));
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, static_cast<long>(request.timeoutSeconds));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, ""); // every encoding this libcurl can decode
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!m_caBundle.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, m_caBundle.c_str());
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.maxBytes));
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Orvanta for Outlook");
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);

    struct curl_slist* headers = nullptr;
    if (!request.ifNoneMatch.empty())
        headers = curl_slist_append(headers, ("If-None-Match: " + request.ifNoneMatch).c_str());
    if (!request.ifModifiedSince.empty())
        headers = curl_slist_append(headers, ("If-Modified-Since: " + request.ifModifiedSince).c_str());
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headerList(headers, curl_slist_free_all);
    if (headers) curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);

    const CURLcode rc = curl_easy_perform(c);
    if (rc == CURLE_OK) {
        long status = 0;
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
        response.outcome = HttpOutcome::Answered;
        response.status = static_cast<int>(status);
        response.etag = Header(c, "ETag");
        response.lastModified = Header(c, "Last-Modified");
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
        response.error = errorText[0] ? errorText : curl_easy_strerror(rc);
        break;
    }
    return response;
}
