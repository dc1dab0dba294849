#pragma once
// HTTP GET with libcurl, opened at the first fetch (HttpPort.h says what every port
// does).
#include <string>

#include "../HttpPort.h"

class CPosixHttpPort : public IHttpPort {
public:
    // caBundle: a file of certificates trusted besides the system's (the program
    // passes CURL_CA_BUNDLE, as the curl tool reads it); empty: the system's alone.
    explicit CPosixHttpPort(std::string caBundle = std::string());
    HttpResponse Get(const HttpRequest& request) override;

private:
    std::string m_caBundle;
};
