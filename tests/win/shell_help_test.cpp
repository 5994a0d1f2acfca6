// The help file the build compiles, opened the way the Help button, the tray's Help and F1 open
// it: from the Help folder of an installation, at its table of contents.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win/message_box.h"
#include "shell/help_win.h"
#include "test_folder.h"

namespace shell {
namespace {

std::vector<std::string> shownBoxes;
int RecordBox(HWND, const std::string& text, const std::string&, UINT) {
    shownBoxes.push_back(text);
    return IDOK;
}

// The laid-out installation beside the test program's folder (build/<preset>/install).
std::string BuiltHelpFile() {
    char exe[MAX_PATH];
    const std::string program(exe, GetModuleFileNameA(nullptr, exe, MAX_PATH));
    const std::string tests = program.substr(0, program.rfind('\\'));
    return tests.substr(0, tests.rfind('\\') + 1) + "install\\Help\\KorvoHlp.chm";
}

BOOL CALLBACK CollectHelpWindow(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[64] = "";
    GetClassNameA(window, className, sizeof(className));
    if (process == GetCurrentProcessId() && std::string(className) == "HH Parent") {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

// The HTML Help viewer's frames this process owns.
std::vector<HWND> HelpWindows() {
    std::vector<HWND> found;
    EnumWindows(CollectHelpWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

void Pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

class ShellHelp : public ::testing::Test {
  protected:
    void SetUp() override {
        installPath_ = folder_.Path().substr(0, folder_.Path().size() - 1);
        shownBoxes.clear();
        platform::SetMessageBoxHandler(RecordBox);
    }
    void TearDown() override {
        for (HWND window : HelpWindows()) DestroyWindow(window);
        Pump(100);
        platform::SetMessageBoxHandler(nullptr);
    }

    test_folder::TemporaryFolder folder_;
    std::string installPath_;
};

TEST_F(ShellHelp, BuiltFileOpensAtItsContents) {
    const std::string built = BuiltHelpFile();
    ASSERT_NE(GetFileAttributesA(built.c_str()), INVALID_FILE_ATTRIBUTES)
        << built << " is missing: build the layout target";
    ASSERT_TRUE(CreateDirectoryA((folder_.Path() + "Help").c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(built.c_str(), (folder_.Path() + "Help\\KorvoHlp.chm").c_str(), FALSE));
    ASSERT_TRUE(HelpWindows().empty());

    OpenHelp(nullptr, installPath_);
    Pump(200);

    EXPECT_TRUE(shownBoxes.empty()) << shownBoxes.front();
    const std::vector<HWND> windows = HelpWindows();
    ASSERT_EQ(windows.size(), 1u);
    char title[256] = "";
    GetWindowTextA(windows[0], title, sizeof(title));
    EXPECT_STREQ(title, "Korvo Popup Killer Help");
}

TEST_F(ShellHelp, DamagedFileIsNotOpened) {
    ASSERT_TRUE(CreateDirectoryA((folder_.Path() + "Help").c_str(), nullptr));
    test_folder::WriteFile(folder_.Path() + "Help\\KorvoHlp.chm", "not a help file");
    OpenHelp(nullptr, installPath_);
    Pump(100);
    EXPECT_EQ(shownBoxes, std::vector<std::string>{"Cannot locate HTML Help file KorvoHlp.chm"});
    EXPECT_TRUE(HelpWindows().empty());
}

}  // namespace
}  // namespace shell
