// The script policy rewriting that lets the blocker run on pages with a Content-Security-Policy:
// the hash, the policy values, the header lines and meta tags, and the injection that uses them.
#include <gtest/gtest.h>

#include "platform/ascii_text.h"
#include "proxy/blocker.h"
#include "proxy/content_policy.h"
#include "proxy/settings.h"
#include "proxy/sha256.h"

namespace {

std::string Hex(const proxy::Sha256Digest& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

std::string Base64Of(const std::string& text) {
    return proxy::Base64(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

// Lengths around the block and padding limits (55, 56, 64) and a long multi-block input.
TEST(Sha256, MatchesKnownDigests) {
    EXPECT_EQ(Hex(proxy::Sha256("")),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Hex(proxy::Sha256("abc")),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Hex(proxy::Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Hex(proxy::Sha256(std::string(55, 'a'))),
              "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
    EXPECT_EQ(Hex(proxy::Sha256(std::string(56, 'a'))),
              "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
    EXPECT_EQ(Hex(proxy::Sha256(std::string(64, 'a'))),
              "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
    EXPECT_EQ(Hex(proxy::Sha256(std::string(1000000, 'a'))),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Base64, PadsEachRemainder) {
    EXPECT_EQ(Base64Of(""), "");
    EXPECT_EQ(Base64Of("f"), "Zg==");
    EXPECT_EQ(Base64Of("fo"), "Zm8=");
    EXPECT_EQ(Base64Of("foo"), "Zm9v");
    EXPECT_EQ(Base64Of("foobar"), "Zm9vYmFy");
    EXPECT_EQ(Base64Of("\xfb\xff\xbf"), "+/+/");
}

const char kAlertHash[] = "'sha256-bhHHL3z2vDgxUt0W3dWQOrprscmda2Y5pLsLg4GF+pI='";

TEST(ScriptHashSources, HashesTheTextOfEachInlineScriptElement) {
    using V = std::vector<std::string>;
    EXPECT_EQ(proxy::ScriptHashSources("<script>alert(1)</script>"), V{kAlertHash});
    EXPECT_EQ(proxy::ScriptHashSources("<SCRIPT type=\"text/javascript\">alert(1)</Script >"),
              V{kAlertHash});
    // The browser hashes the text after its parser turned every line break into LF.
    const V lf = {"'sha256-iAVT/Kj86pTjJe4s+0jlqYXMeX85oUzG087ez+sq5NI='"};
    EXPECT_EQ(proxy::ScriptHashSources("<script>a\r\nb\rc\n</script>"), lf);
    EXPECT_EQ(proxy::ScriptHashSources("<script src='x.js'></script><script>alert(1)</script>"
                                       "<script>alert(1)</script>"),
              V{kAlertHash});
    EXPECT_EQ(proxy::ScriptHashSources("no script"), V{});
    EXPECT_EQ(proxy::ScriptHashSources("<script>alert(1)"), V{});
    EXPECT_EQ(proxy::ScriptHashSources("<scripts>alert(1)</script>"), V{});
}

struct PolicyCase {
    const char* name;
    std::string policy;
    std::string expected;
};

TEST(ContentPolicy, AddsTheHashWhereThePolicyWouldRefuseTheScript) {
    const std::string big =
        "script-src 'self'; img-src " + std::string(proxy::kMaxPolicyBytes, 'x');
    const std::vector<PolicyCase> cases = {
        {"no policy", "", ""},
        {"no script rule", "img-src 'self'; frame-ancestors 'none'",
         "img-src 'self'; frame-ancestors 'none'"},
        {"script-src", "script-src 'self'", "script-src 'self' 'sha256-H'"},
        {"script-src among others", "default-src 'none'; script-src 'self' https://cdn; img-src *",
         "default-src 'none'; script-src 'self' https://cdn 'sha256-H'; img-src *"},
        {"only default-src", "default-src 'self'", "default-src 'self' 'sha256-H'"},
        {"lone 'none' gives way", "script-src 'none'", "script-src 'sha256-H'"},
        {"empty directive", "script-src; img-src *", "script-src 'sha256-H'; img-src *"},
        {"script-src-elem too", "script-src-elem 'self'; script-src 'self'",
         "script-src-elem 'self' 'sha256-H'; script-src 'self' 'sha256-H'"},
        {"unsafe-inline left alone", "script-src 'self' 'unsafe-inline'",
         "script-src 'self' 'unsafe-inline'"},
        {"unsafe-inline only in elem", "script-src-elem 'unsafe-inline'; default-src 'self'",
         "script-src-elem 'unsafe-inline'; default-src 'self' 'sha256-H'"},
        {"unsafe-inline ignored beside a nonce", "script-src 'unsafe-inline' 'nonce-abc'",
         "script-src 'unsafe-inline' 'nonce-abc' 'sha256-H'"},
        {"nonces with strict-dynamic",
         "script-src 'nonce-abc' 'strict-dynamic' 'unsafe-inline' https:; object-src 'none'",
         "script-src 'nonce-abc' 'strict-dynamic' 'unsafe-inline' https: 'sha256-H'; "
         "object-src 'none'"},
        {"hash already there", "script-src 'sha256-H'", "script-src 'sha256-H'"},
        {"first of a repeated directive", "script-src 'self'; script-src 'none'",
         "script-src 'self' 'sha256-H'; script-src 'none'"},
        {"several policies", "default-src 'self', script-src 'unsafe-inline', script-src https:",
         "default-src 'self' 'sha256-H', script-src 'unsafe-inline', script-src https: 'sha256-H'"},
        {"names and keywords in any case", "Script-SRC 'SELF' 'Unsafe-Inline' 'NONCE-a'",
         "Script-SRC 'SELF' 'Unsafe-Inline' 'NONCE-a' 'sha256-H'"},
        {"odd whitespace", " \tscript-src\t'self'  ;\f default-src x ;; ",
         " \tscript-src\t'self' 'sha256-H'  ;\f default-src x ;; "},
        {"over the limit", big, big},
    };
    for (const PolicyCase& c : cases) {
        EXPECT_EQ(proxy::AllowScriptSources(c.policy, {"'sha256-H'"}), c.expected) << c.name;
    }
    EXPECT_EQ(proxy::AllowScriptSources("script-src 'self'", {"'sha256-A'", "'sha256-B'"}),
              "script-src 'self' 'sha256-A' 'sha256-B'");
    EXPECT_EQ(proxy::AllowScriptSources("script-src 'self'", {}), "script-src 'self'");
}

TEST(ContentPolicy, RewritesOnlyPolicyHeaderLines) {
    proxy::HeaderLines lines = {
        "HTTP/1.1 200 OK\r\n",
        "Content-Security-Policy: script-src 'self'\r\n",
        "content-security-policy :default-src 'none'\n",
        "Content-Security-Policy-Report-Only: script-src 'self'\r\n",
        "X-Content-Security-Policy: script-src 'self'\r\n",
        "Content-Security-Policy: script-src 'unsafe-inline'\r\n",
        "Content-Length: 10\r\n",
    };
    EXPECT_TRUE(proxy::AllowScriptSourcesInHeader(lines, {"'sha256-H'"}));
    const proxy::HeaderLines expected = {
        "HTTP/1.1 200 OK\r\n",
        "Content-Security-Policy: script-src 'self' 'sha256-H'\r\n",
        "content-security-policy :default-src 'sha256-H'\n",
        "Content-Security-Policy-Report-Only: script-src 'self'\r\n",
        "X-Content-Security-Policy: script-src 'self'\r\n",
        "Content-Security-Policy: script-src 'unsafe-inline'\r\n",
        "Content-Length: 10\r\n",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_FALSE(proxy::AllowScriptSourcesInHeader(lines, {"'sha256-H'"}));
}

class BlockerPolicy : public ::testing::Test {
  protected:
    void SetUp() override {
        settings_.PlayWave = 0;
        proxy::SetBlockerScript(context_, "<script>alert(1)</script>");
    }
    proxy::AppSettings settings_;
    proxy::ProxyContext context_{settings_};
};

// The hash is of the prepared script, and the page's header policy gets it, but only when the
// script went in. A meta policy applies only to what follows it, the script being in front of
// it, so it stays as the site wrote it.
TEST_F(BlockerPolicy, InjectionOpensThePoliciesToTheScript) {
    EXPECT_EQ(proxy::BlockerSnapshot(context_)->hashSources, std::vector<std::string>{kAlertHash});
    const std::string page =
        "<!DOCTYPE html><html><head><meta http-equiv=\"Content-Security-Policy\" "
        "content=\"script-src 'self'\"></head><body></body></html>";
    const proxy::HeaderLines header = {"HTTP/1.1 200 OK\r\n",
                                       "Content-Security-Policy: default-src 'self'\r\n"};
    std::string body = page;
    proxy::HeaderLines lines = header;
    ASSERT_TRUE(
        proxy::InjectBlocker(context_, body, proxy::kClassHtml | proxy::kClassHeld, &lines));
    EXPECT_EQ(body,
              "<!DOCTYPE html><script>alert(1)</script><html><head><meta "
              "http-equiv=\"Content-Security-Policy\" content=\"script-src "
              "'self'\"></head><body></body></html>");
    EXPECT_EQ(lines[1],
              "Content-Security-Policy: default-src 'self' " + std::string(kAlertHash) + "\r\n");

    settings_.PopupCheckEnabled = 0;
    body = page;
    lines = header;
    EXPECT_FALSE(
        proxy::InjectBlocker(context_, body, proxy::kClassHtml | proxy::kClassHeld, &lines));
    EXPECT_EQ(body, page);
    EXPECT_EQ(lines, header);
}

}  // namespace
