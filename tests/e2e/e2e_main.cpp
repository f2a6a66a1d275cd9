#include <cstdlib>

#include "e2e_support.h"

namespace ravo::e2e {

std::wstring Setup::exe;
std::wstring Setup::data;
std::wstring Setup::testData;

std::string narrow(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

void HostFolder::SetUp() {
    dir_ = driver::makeTempFolder(L"ravo-e2e-");
    ASSERT_FALSE(dir_.empty());
    ASSERT_TRUE(CopyFileW(Setup::exe.c_str(), path(kExeName).c_str(), FALSE)) << narrow(Setup::exe);
    ASSERT_TRUE(driver::copyTree(Setup::data, path(L"data")));
}

void HostFolder::TearDown() {
    if (proc_) proc_->kill();
    proc_.reset();
    driver::removeTree(dir_);
}

bool HostFolder::temporaryLeft() const {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(path(L"jwc?????.tmp").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    return true;
}

void HostFolder::writeFile(const std::wstring& name, const std::string& bytes) const {
    ASSERT_TRUE(driver::writeFileBytes(path(name), bytes)) << narrow(name);
}

std::unique_ptr<driver::Process> HostFolder::start(const std::wstring& args) {
    auto p = std::make_unique<driver::Process>(path(kExeName), dir_, args);
    EXPECT_TRUE(p->started());
    return p;
}

HWND HostFolder::startToWindow() {
    proc_ = start();
    HWND main = proc_->waitWindow(ids::kMainClass);
    EXPECT_NE(main, nullptr) << "expected the main window, got none";
    return main;
}

void HostFolder::closeWith(HWND main, int buttonId) {
    driver::click(driver::child(main, buttonId));
    DWORD code = 1234;
    ASSERT_TRUE(proc_->waitExit(15000, &code)) << "expected the program to end";
    EXPECT_EQ(code, 0u);
}

void HostFolder::okRefusedWith(HWND main, const std::string& text) {
    driver::click(driver::child(main, ids::btnOK));
    driver::MessageBoxInfo box;
    ASSERT_TRUE(proc_->waitMessageBox(box)) << "expected " << text;
    EXPECT_EQ(narrow(box.text), text);
    driver::dismiss(box);
    driver::waitClosed(box.hwnd);
    EXPECT_TRUE(proc_->running());
}

}  // namespace ravo::e2e

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const wchar_t* exe = _wgetenv(L"RAVO_EXE");
    const wchar_t* data = _wgetenv(L"RAVO_DATA");
    const wchar_t* testData = _wgetenv(L"RAVO_TESTDATA");
    if (!exe || !data || !testData) {
        std::fputs("RAVO_EXE, RAVO_DATA and RAVO_TESTDATA must name the exe, the outline and test data folders\n", stderr);
        return 2;
    }
    ravo::e2e::Setup::exe = exe;
    ravo::e2e::Setup::data = data;
    ravo::e2e::Setup::testData = testData;
    return RUN_ALL_TESTS();
}
