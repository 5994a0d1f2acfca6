// The blocker script: preparing it from its file, the rules for which pages get it, and where
// it and the sound element go.
#include "proxy/blocker.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <thread>

#include "platform/ascii_text.h"
#include "platform/module_path.h"
#include "proxy/http_header.h"
#include "proxy/page_injection.h"
#include "proxy/settings.h"

namespace {

const std::uint16_t kHtml = proxy::kClassHtml | proxy::kClassHeld;
const std::uint16_t kText = proxy::kClassHeld;
const std::uint16_t kScript = proxy::kClassScript | proxy::kClassHeld;

TEST(BlockerScriptText, PlaceholderAndPercentHandling) {
    struct Case {
        const char* name;
        std::string file;
        bool playWave;
        std::string expected;
    };
    const std::string path = "C:\\Program Files\\Korvo\\PopUp.wav";
    const std::string statement = "if( QX_beep ) QX_beep.src=\"C:/Program Files/Korvo/PopUp.wav\";";
    const std::vector<Case> cases = {
        {"no placeholder: as it stands", "a %% b %d", true, "a %% b %d"},
        {"sound on", "x%sy", true, "x" + statement + "y"},
        {"sound on: %% halves, other conversions stay, one fill only", "100%% %s %d %s %", true,
         "100% " + statement + " %d %s %"},
        {"sound off: two spaces, %% stays", "100%% x%sy %s", false, "100%% x  y %s"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(proxy::PrepareScriptText(c.file, c.playWave, path), c.expected) << c.name;
    }
}

// A proxy's settings and context of the test's own, with the check on and the script "[S]".
class Blocker : public ::testing::Test {
  protected:
    void SetUp() override { proxy::SetBlockerScript(context_, "[S]"); }
    // The body after injection, or "unchanged".
    std::string Inject(std::string body, std::uint16_t contentClass) {
        return proxy::InjectBlocker(context_, body, contentClass) ? body : "unchanged";
    }
    proxy::AppSettings settings_;
    proxy::ProxyContext context_{settings_};
};

// Where the script and the sound element go, and which bodies count as pages.
TEST_F(Blocker, PlacementAndWhichBodiesArePages) {
    const std::string sound = proxy::kSoundElement;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<html><head><title>", "[S]<html><head>" + sound + "<title>"},
        {"<!DOCTYPE html><html><HEAD>x<head>y",
         "<!DOCTYPE html>[S]<html><HEAD>x<head>" + sound + "y"},
        {"<html><HEAD>x", "[S]<html><HEAD>" + sound + "x"},
        {"<html><Head>x", "[S]<html><Head>x"},
        {"<html><head>", "[S]<html><head>"},
        {"  \r\n<!doctype HTML PUBLIC \"-//W3C//EN\">\n<html>",
         "  \r\n<!doctype HTML PUBLIC \"-//W3C//EN\">[S]\n<html>"},
        {"\xEF\xBB\xBF<html>", "\xEF\xBB\xBF[S]<html>"},
        {"\xEF\xBB\xBF\n<!DOCTYPE html><html>", "\xEF\xBB\xBF\n<!DOCTYPE html>[S]<html>"},
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE html><html>",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE html>[S]<html>"},
        {"  <html><!DOCTYPE html>", "[S]  <html><!DOCTYPE html>"},
        {"<!DOCTYPE html <body", "[S]<!DOCTYPE html <body"},
        {"text <BODY onload=x>", "[S]text <BODY onload=x>"},
        {"text <script>go()</script>", "[S]text <script>go()</script>"},
        {"<script>go()</script>", "unchanged"},
        {"var s = '<script>';", "unchanged"},
        {"var s = \"<script>\";", "unchanged"},
        {"<html lang=en> plain", "unchanged"},
    };
    for (const auto& c : cases) EXPECT_EQ(Inject(c.first, kHtml), c.second) << c.first;

    settings_.PlayWave = 0;
    EXPECT_EQ(Inject("<html><head>x", kHtml), "[S]<html><head>x");
}

TEST_F(Blocker, OnlyHeldPagesWithTheCheckOnAndAScriptAreChanged) {
    settings_.PlayWave = 0;
    EXPECT_EQ(Inject("plain text <html>", kText), "[S]plain text <html>");
    for (std::uint16_t contentClass :
         {kScript, std::uint16_t(proxy::kClassPass), std::uint16_t(proxy::kClassHtml)}) {
        EXPECT_EQ(Inject("<html>", contentClass), "unchanged") << contentClass;
    }
    settings_.PopupCheckEnabled = 0;
    EXPECT_EQ(Inject("<html>", kHtml), "unchanged");
    settings_.PopupCheckEnabled = 1;
    proxy::SetBlockerScript(context_, "");
    EXPECT_EQ(Inject("<html>", kHtml), "unchanged");
}

// A program folder of its own with the script file in it.
class PreparedScript : public Blocker {
  protected:
    void SetUp() override {
        Blocker::SetUp();
        char pattern[] = "/tmp/korvo-blocker.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = std::string(pattern) + "/";
        platform::OverrideProgramDirectory(folder_);
        proxy::ResolveScriptFile(context_);
    }
    void TearDown() override {
        std::remove((folder_ + "KorvoBlk.js").c_str());
        ::rmdir(folder_.c_str());
        platform::OverrideProgramDirectory("");
    }
    void WriteScript(const std::string& text) {
        std::ofstream(folder_ + "KorvoBlk.js", std::ios::binary) << text;
    }
    std::string folder_;
};

TEST_F(PreparedScript, FollowsTheFileAndPlayWaveAndSkipsUnusableFiles) {
    proxy::SetBlockerScript(context_, "old");
    proxy::PrepareBlockerScript(context_);  // no file yet
    EXPECT_EQ(*proxy::BlockerScript(context_), "old");
    WriteScript(std::string(proxy::kMaxScriptFileBytes + 1, 'x'));
    proxy::PrepareBlockerScript(context_);
    EXPECT_EQ(*proxy::BlockerScript(context_), "old");

    // The file is compacted (its comment goes) before "%s" is filled.
    WriteScript("<script>\n  %s /* note */\n  done = '100%%';\n</script>");
    proxy::PrepareBlockerScript(context_);
    EXPECT_EQ(*proxy::BlockerScript(context_), "<script>if( QX_beep ) QX_beep.src=\"" + folder_ +
                                                   "PopUp.wav\";\ndone='100%';</script>");
    settings_.PlayWave = 0;
    proxy::PrepareBlockerScript(context_);
    EXPECT_EQ(*proxy::BlockerScript(context_), "<script>  \ndone='100%%';</script>");
}

// Connection threads inject while the user-interface thread replaces the script: each page gets
// one whole script, old or new.
TEST_F(Blocker, ReplacingTheScriptWhilePagesAreInjected) {
    settings_.PlayWave = 0;
    const std::string first(4000, 'a'), second(9000, 'b');
    proxy::SetBlockerScript(context_, first);
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 2; ++t) {
        readers.emplace_back([&] {
            for (int i = 0; i < 2000 && !stop; ++i) {
                std::string body = "<html>";
                proxy::InjectBlocker(context_, body, kHtml);
                if (body != first + "<html>" && body != second + "<html>") ++torn;
            }
        });
    }
    for (int i = 0; i < 500; ++i) proxy::SetBlockerScript(context_, i % 2 ? first : second);
    stop = true;
    for (std::thread& reader : readers) reader.join();
    EXPECT_EQ(torn.load(), 0);
}

}  // namespace
