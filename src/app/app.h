// The application: platform services, the run's state, the windows.
#pragma once
#include <memory>

#include "core/session.h"
#include "frm_dump.h"
#include "frm_main.h"
#include "frm_sheet.h"
#include "frm_supports.h"
#include "platform/win32/win32_platform.h"

namespace ravo {

// The store's message routine: a modal box through the main window.
class MainWindowMessages : public MessageSink {
public:
    void showMessage(std::u16string_view text) override;
    HWND owner = nullptr;
};

inline constexpr const wchar_t* kMakerUrl = L"https://www.example.com/ravo/";
inline constexpr const wchar_t* kMakerUrlCaption = L"www.example.com";

class App {
public:
    App();
    int run();

    Session& session() { return *session_; }
    TfrmMain& main() { return *main_; }
    TfrmDump& dump() { return *dump_; }
    TfrmSheet& sheet() { return *sheet_; }
    TfrmSupports& supports() { return *supports_; }
    MainWindowMessages& messages() { return messages_; }
    const FileSystem& fs() const { return fs_; }
    // The remembered choices, in the ini beside the program.
    Settings settings() const;
    // How long the last work on the selection took (ms), for Busy.
    DWORD& lastWorkMs() { return lastWorkMs_; }

private:
    Win32FileSystem fs_;
    Win32AnsiCodec codec_;
    MainWindowMessages messages_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<TfrmMain> main_;
    std::unique_ptr<TfrmDump> dump_;
    std::unique_ptr<TfrmSheet> sheet_;
    std::unique_ptr<TfrmSupports> supports_;
    DWORD lastWorkMs_ = 0;
};

}  // namespace ravo
