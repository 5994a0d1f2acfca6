// The tray program and the root for secure pages: a root that cannot be made is told to the user
// once, and the proxy is left without one, so it tunnels secure pages.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/secure_root_folder.h"
#include "platform/tls.h"
#include "platform/win/message_box.h"
#include "tests/win/test_app.h"

namespace {

std::vector<std::string> shown;

int RecordBox(HWND, const std::string& text, const std::string&, UINT) {
    shown.push_back(text);
    return IDOK;
}

TEST(AppSecurePages, ARootThatCannotBeMadeIsToldOnceAndLeavesTheProxyWithout) {
    const std::string folder = core::SecureRootFolder();
    ASSERT_FALSE(folder.empty());
    std::string error;
    ASSERT_TRUE(platform::RemoveTlsRoot(folder, error)) << error;
    // A file where the root's folder goes.
    CreateDirectoryA(folder.substr(0, folder.find_last_of('\\')).c_str(), nullptr);
    HANDLE file = CreateFileA(folder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    platform::SetMessageBoxHandler(RecordBox);
    shown.clear();
    {
        test_app::TestApp app;
        app.App().ReloadSettings();
        app.App().ReloadSettings();
        EXPECT_EQ(std::atomic_load(&app.Context().listener.context().authority), nullptr);
    }
    platform::SetMessageBoxHandler(nullptr);
    DeleteFileA(folder.c_str());
    platform::RemoveTlsRoot(folder, error);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("Secure (https) pages cannot be filtered"), std::string::npos)
        << shown[0];
}

}  // namespace
