// The page a browser gets instead of a secure site whose connection cannot be trusted: a complete
// reply that names the host and the reason in the user's language, and carries nothing of the site.
#pragma once

#include <string>

#include "platform/tls.h"
#include "proxy/settings.h"

namespace proxy {

// The texts of the page, one per kind. The application sets them from the language file; until
// then they hold the English defaults.
enum class SecureText {
    kTitle,       // the page's title and heading
    kCannotOpen,  // before the host: "... did not open"
    kBecause,     // after the host, before the reason
    kExpired,     // one text per reason
    kWrongHost,
    kSelfSigned,
    kUnknownIssuer,
    kRevoked,
    kBadCertificate,
    kOldProtocol,
    kHandshakeFailed,
    kNothingShown,  // the closing advice
    kCount
};

class SecurePageTexts {
  public:
    SecurePageTexts();
    std::string Get(SecureText which) const { return texts_[static_cast<int>(which)].Get(); }
    void Set(SecureText which, const std::string& text) {
        texts_[static_cast<int>(which)].Set(text);
    }
    static const char* Default(SecureText which);

  private:
    SharedText texts_[static_cast<int>(SecureText::kCount)];
};

// The text that tells the user why, for a failure of the site's handshake.
SecureText ReasonText(platform::TlsFailure failure);

// The whole reply: "HTTP/1.1 502", text/html in UTF-8 with its length, not cached, the connection
// closed after it. The host and the texts are escaped for HTML.
std::string SecureErrorReply(const SecurePageTexts& texts, const std::string& host,
                             platform::TlsFailure failure);

}  // namespace proxy
