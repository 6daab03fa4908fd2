// TavrioPanel.exe: the program entry. One copy per session; it loads its window hidden and lives in the tray.
#include "app/main_window.h"
#include "win32/clock_win32.h"
#include "win32/file_system_win32.h"
#include "win32/http_client_win32.h"
#include "win32/message_boxes_win32.h"
#include "win32/panel_window.h"
#include "win32/process_starter_win32.h"
#include "win32/profile_reader_win32.h"
#include "win32/program_info.h"
#include "win32/shell_tray_win32.h"
#include "win32/single_instance.h"
#include "win32/system_power_win32.h"
#include "win32/text_codec_win32.h"
#include "win32/wide_text.h"
#include "win32/win32.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace tavrio;
    using namespace tavrio::win32;

    // Before anything loads a DLL: every DLL that is not a known DLL (the delay-loaded ones, and what system DLLs
    // load later) comes from the system folder, never from the program's folder, where anyone may put one.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

    FileSystemWin32 files;
    ClockWin32 clock;
    // A second copy ends before it makes any window or icon, and says nothing but its one line in the log.
    SingleInstance single;
    if (!single.isFirst()) {
        SupportLog(files, clock, programFolder())
            .write("A second copy started and ended at once: the panel already runs");
        return 0;
    }

    INITCOMMONCONTROLSEX commonControls{sizeof commonControls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&commonControls);

    PanelWindow window(instance);
    TextCodecWin32 codec;
    ProcessStarterWin32 processes;
    MessageBoxesWin32 messages(window);
    HttpClientWin32 http;
    ProfileReaderWin32 profile;
    ShellTrayWin32 shell;
    SystemPowerWin32 power;
    Form1 form(Services{files, codec, processes, clock, messages, http, profile, shell, window, power, programFolder(),
                        revisionNumber(), programAndSystem(), computerName()});
    // The window and its controls exist before the load, which already shows texts and may press START.
    if (!window.create() || !window.attach(form)) {
        // Without a window there is no tray icon either: ending unseen would look like a program that never ran.
        const DWORD error = window.failure();
        std::wstring text = L"The window could not be created.";
        if (error != 0) text += L"\r\n" + widen(systemMessage(error));
        MessageBoxW(nullptr, text.c_str(), kProgramTitle, MB_OK | MB_ICONERROR);
        return 1;
    }

    form.loadHidden();
    return window.runMessageLoop();
}
