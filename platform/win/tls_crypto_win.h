// What the two halves of the Windows secure connections share: the root and its leaves
// (tls_certificates_win.cpp) and the SChannel sessions (tls_win.cpp). Only these two files
// include it.
#pragma once

#include <windows.h>
// wincrypt.h needs windows.h first.
#include <wincrypt.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/tls.h"

namespace platform {
namespace tls_win {

struct CertificateFree {
    void operator()(PCCERT_CONTEXT certificate) const { CertFreeCertificateContext(certificate); }
};
using Certificate = std::unique_ptr<const CERT_CONTEXT, CertificateFree>;

// The provider every key of ours lives in; SChannel's server side takes a key only from it.
constexpr wchar_t kKeyProvider[] = MS_ENH_RSA_AES_PROV_W;

std::wstring Widen(const std::string& text);
// "0x80090325".
std::string HexCode(unsigned long code);

// The address bytes of host when it is an IPv4 (4 bytes) or IPv6 (16 bytes) address, with or
// without brackets; empty for a DNS name.
std::vector<BYTE> IpAddressBytes(const std::string& host);

// The leaf with its key tied to it (the leaf container), for a server credential.
class WinLeaf final : public TlsLeaf {
  public:
    explicit WinLeaf(Certificate certificate) : certificate_(std::move(certificate)) {}
    PCCERT_CONTEXT certificate() const { return certificate_.get(); }

  private:
    Certificate certificate_;
};

// The check of a server's certificate for host: chain (with the certificates in extra, which
// may be null) to a root the user trusts, dates, server use, name. See
// VerifyTlsServerCertificate in platform/win/tls_win.h.
TlsFailure VerifyServerChain(PCCERT_CONTEXT leaf, HCERTSTORE extra, const std::string& host,
                             std::string& detail);

}  // namespace tls_win
}  // namespace platform
