#pragma once
// The HTTPS test server of tests/feed-server as the Windows tests meet it: scripts/test
// starts it and names its folder in ORVANTA_FEED_SERVER_DIR (a Linux path, seen through
// drive Z:); its certificate authority is trusted by this prefix only while a test
// holds a TrustedAuthority.
#include <wincrypt.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The running test server: its folder (Windows form), port and authority.
struct FeedServerInfo {
    std::string dir;  // empty: ORVANTA_FEED_SERVER_DIR is not set
    std::string port; // empty: the server has not written it
    std::string Base() const { return "https://127.0.0.1:" + port; }
    std::string File(const char* name) const { return ReadWholeFile(dir + "\\" + name); }

    static FeedServerInfo FromEnvironment() {
        FeedServerInfo info;
        const char* unixDir = std::getenv("ORVANTA_FEED_SERVER_DIR");
        if (!unixDir || !*unixDir) return info;
        info.dir = std::string("Z:") + unixDir;
        for (char& c : info.dir)
            if (c == '/') c = '\\';
        info.port = info.File("port");
        return info;
    }
};

// The test authority in the current user's root store of the prefix while the object
// lives (Wine's chain engine takes the current user's roots; the machine's own store is
// never touched).
class TrustedAuthority {
  public:
    explicit TrustedAuthority(const std::string& pem) {
        DWORD size = 0;
        if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()),
                                  CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
            m_error = GetLastError();
            return;
        }
        std::string der(size, '\0');
        if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()),
                                  CRYPT_STRING_BASE64HEADER, reinterpret_cast<BYTE*>(der.data()),
                                  &size, nullptr, nullptr)) {
            m_error = GetLastError();
            return;
        }
        m_store =
            CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
        if (!m_store) {
            m_error = GetLastError();
            return;
        }
        if (!CertAddEncodedCertificateToStore(m_store, X509_ASN_ENCODING,
                                              reinterpret_cast<const BYTE*>(der.data()), size,
                                              CERT_STORE_ADD_REPLACE_EXISTING, &m_cert)) {
            m_error = GetLastError();
            return;
        }
        // Written to the registry now, where other stores and processes read it: Wine's
        // registry store keeps an added certificate in memory until it is committed or
        // closed (Windows writes at once), and its chain engine reads the registry.
        if (!CertControlStore(m_store, 0, CERT_STORE_CTRL_COMMIT, nullptr)) {
            m_error = GetLastError();
            CertDeleteCertificateFromStore(m_cert);
            m_cert = nullptr;
        }
    }
    ~TrustedAuthority() {
        if (m_cert) CertDeleteCertificateFromStore(m_cert); // frees the context too
        if (m_store) CertCloseStore(m_store, 0);
    }
    TrustedAuthority(const TrustedAuthority&) = delete;
    TrustedAuthority& operator=(const TrustedAuthority&) = delete;
    bool Added() const { return m_cert != nullptr; }
    DWORD Error() const { return m_error; }

  private:
    HCERTSTORE m_store = nullptr;
    PCCERT_CONTEXT m_cert = nullptr;
    DWORD m_error = 0;
};
