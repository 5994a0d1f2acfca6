#include "proxy/secure_error_page.h"

namespace proxy {
namespace {

constexpr const char* kDefaults[] = {
    "Secure connection failed",
    "Korvo Popup Killer did not open",
    "because its secure connection cannot be trusted:",
    "The site's certificate has expired or is not valid yet.",
    "The site's certificate was made for another site.",
    "The site's certificate is signed only by itself, not by an authority this computer trusts.",
    "The site's certificate comes from an authority this computer does not trust.",
    "The site's certificate has been revoked.",
    "The site's certificate cannot be used.",
    "The site offers only old, unsafe kinds of secure connection.",
    "The secure connection to the site could not be made.",
    "Nothing of the site was shown. Check the address, or try again later.",
};
static_assert(sizeof kDefaults / sizeof kDefaults[0] == static_cast<size_t>(SecureText::kCount),
              "one default per text");

void AppendEscaped(std::string& out, const std::string& text) {
    for (const char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
}

}  // namespace

SecurePageTexts::SecurePageTexts() {
    for (int i = 0; i < static_cast<int>(SecureText::kCount); ++i) texts_[i].Set(kDefaults[i]);
}

const char* SecurePageTexts::Default(SecureText which) {
    return kDefaults[static_cast<int>(which)];
}

SecureText ReasonText(platform::TlsFailure failure) {
    using platform::TlsFailure;
    switch (failure) {
        case TlsFailure::kExpired:
            return SecureText::kExpired;
        case TlsFailure::kWrongHost:
            return SecureText::kWrongHost;
        case TlsFailure::kSelfSigned:
            return SecureText::kSelfSigned;
        case TlsFailure::kUnknownIssuer:
            return SecureText::kUnknownIssuer;
        case TlsFailure::kRevoked:
            return SecureText::kRevoked;
        case TlsFailure::kBadCertificate:
            return SecureText::kBadCertificate;
        case TlsFailure::kOldProtocol:
            return SecureText::kOldProtocol;
        default:
            return SecureText::kHandshakeFailed;
    }
}

std::string SecureErrorReply(const SecurePageTexts& texts, const std::string& host,
                             platform::TlsFailure failure) {
    std::string body = "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>";
    AppendEscaped(body, texts.Get(SecureText::kTitle));
    body += "</title></head>\r\n<body><h1>";
    AppendEscaped(body, texts.Get(SecureText::kTitle));
    body += "</h1>\r\n<p>";
    AppendEscaped(body, texts.Get(SecureText::kCannotOpen));
    body += " <b>";
    AppendEscaped(body, host);
    body += "</b> ";
    AppendEscaped(body, texts.Get(SecureText::kBecause));
    body += "</p>\r\n<p>";
    AppendEscaped(body, texts.Get(ReasonText(failure)));
    body += "</p>\r\n<p>";
    AppendEscaped(body, texts.Get(SecureText::kNothingShown));
    body += "</p></body></html>\r\n";
    std::string reply =
        "HTTP/1.1 502 Secure connection failed\r\nContent-Type: text/html; charset=utf-8\r\n"
        "Cache-Control: no-store\r\nConnection: close\r\nContent-Length: ";
    reply += std::to_string(body.size());
    reply += "\r\n\r\n";
    reply += body;
    return reply;
}

}  // namespace proxy
