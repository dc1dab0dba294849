#pragma once
// HTTP GET with WinHTTP (HttpPort.h says what every port does). Redirects are followed
// here, one request at a time, so their number and their schemes are checked; gzip and
// deflate bodies are inflated with zlib as they arrive, so the size limit holds for
// what the body becomes, on every Windows version.
#include "../HttpPort.h"

class CWin32HttpPort : public IHttpPort {
public:
    HttpResponse Get(const HttpRequest& request) override;
};
