// End-to-end tests: the real exe in a fresh folder, worked by the driver.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/control_ids.h"
#include "driver/driver.h"

namespace ravo::e2e {

std::string narrow(const std::wstring& w);  // UTF-8, for failure messages

// Where the exe and the outline data are (set by main from the environment).
struct Setup {
    static std::wstring exe;
    static std::wstring data;
    static std::wstring testData;  // tests/data
};

inline const std::wstring kExeName = L"Ravo鋼矢板.exe";

class HostFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::wstring path(const std::wstring& name) const { return driver::joinPath(dir_, name); }
    void writeFile(const std::wstring& name, const std::string& bytes) const;
    std::string readFile(const std::wstring& name) const { return driver::readFileBytes(path(name)); }
    bool exists(const std::wstring& name) const { return driver::fileExists(path(name)); }
    // Whether a temporary of the result's write ("jwc?????.tmp") was left behind.
    bool temporaryLeft() const;
    // A host export with the two points and the given lines after them.
    void writeTemp(const std::string& body) const { writeFile(L"temp.txt", body); }

    void removeDataFolder() const { driver::removeTree(path(L"data")); }
    // The exe with `args` on its command line ("/select", "/points").
    std::unique_ptr<driver::Process> start(const std::wstring& args = L"");
    // Starts and waits for the main window; fails the test without it.
    HWND startToWindow();
    // Presses OK or Cancel and expects the program to end with code 0.
    void closeWith(HWND main, int buttonId);
    // Presses OK, expects the box with `text` (UTF-8), dismisses it and
    // expects the window to stay.
    void okRefusedWith(HWND main, const std::string& text);

    std::unique_ptr<driver::Process> proc_;
    std::wstring dir_;
};

}  // namespace ravo::e2e
