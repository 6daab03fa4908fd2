#include "panel_driver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <iterator>
#include <thread>
#include <utility>

namespace e2e {
namespace {

constexpr int kControlIdBase = 1000;

struct FindWindowOf {
    DWORD processId;
    const wchar_t* className;  // nullptr: any top-level window with a caption
    HWND found = nullptr;
};

BOOL CALLBACK findWindowOfProcess(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<FindWindowOf*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId) return TRUE;
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (search->className
            ? wcscmp(cls, search->className) == 0
            : (GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION && wcscmp(cls, L"#32770") != 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND topWindowOf(DWORD processId, const wchar_t* className) {
    FindWindowOf search{processId, className};
    EnumWindows(findWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A panel that stops answering fails the test instead of hanging it. A minute is far longer than the panel
// waits for anything while a test reads it (a tick's request ends within 20 s).
LRESULT sendWithin(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_NORMAL, 60000, &result) ? result : 0;
}

void postKey(HWND hwnd, UINT key) {
    PostMessageW(hwnd, WM_KEYDOWN, key, 0);
    PostMessageW(hwnd, WM_KEYUP, key, 0xC0000000);
}

}  // namespace

std::string windowText(HWND hwnd) {
    // Room to spare: the text may grow between asking its length and reading it.
    const LRESULT length = sendWithin(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) * 2 + 256, L'\0');
    const LRESULT copied = sendWithin(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
    return narrow(text);
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

int countProcesses(const wchar_t* exeName, DWORD* firstId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, exeName) == 0) {
            if (count == 0 && firstId) *firstId = entry.th32ProcessID;
            ++count;
        }
    }
    CloseHandle(snapshot);
    return count;
}

void killAll(const wchar_t* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, exeName) != 0) continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

WineDllOverrides::WineDllOverrides(const std::wstring& program, std::vector<std::wstring> modules)
    : key_(program.empty() ? L"Software\\Wine\\DllOverrides"
                           : L"Software\\Wine\\AppDefaults\\" + program + L"\\DllOverrides"),
      modules_(std::move(modules)) {
    constexpr wchar_t kOrder[] = L"native,builtin";
    for (const auto& module : modules_)
        RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), module.c_str(), REG_SZ, kOrder, sizeof kOrder);
}

WineDllOverrides::~WineDllOverrides() {
    for (const auto& module : modules_) RegDeleteKeyValueW(HKEY_CURRENT_USER, key_.c_str(), module.c_str());
}

Panel::~Panel() {
    if (process_.hProcess) {
        if (running()) {
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
}

bool Panel::start() {
    std::wstring exe = widen(folder_.at("TavrioPanel.exe"));
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          widen(folder_.path()).c_str(), &startup, &process_) != 0;
}

bool Panel::startLinked(const std::string& moreSettings) {
    folder_.write("session.db", "linked");
    folder_.writeAutoStart(true, moreSettings);
    return start() && window() &&
           waitFor([&] { return text(Control::lblStatus) == "BOT READY"; }, std::chrono::seconds(30));
}

bool Panel::running() const { return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

bool Panel::waitForExit(std::chrono::milliseconds timeout) {
    return process_.hProcess &&
           WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

DWORD Panel::exitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

HWND Panel::window() {
    if (window_ && IsWindow(window_)) return window_;
    // The load is over once the version label has its number.
    waitFor([&] {
        HWND w = topWindowOf(process_.dwProcessId, nullptr);
        HWND version = w ? GetDlgItem(w, kControlIdBase + static_cast<int>(Control::Label6)) : nullptr;
        if (version && windowText(version) != "Version : ") window_ = w;
        return window_ != nullptr;
    });
    return window_;
}

HWND Panel::control(Control c) { return GetDlgItem(window(), kControlIdBase + static_cast<int>(c)); }
std::string Panel::text(Control c) { return windowText(control(c)); }
std::string Panel::title() { return windowText(window()); }
bool Panel::visible(Control c) { return (GetWindowLongW(control(c), GWL_STYLE) & WS_VISIBLE) != 0; }
bool Panel::enabled(Control c) { return IsWindowEnabled(control(c)) != 0; }
bool Panel::windowVisible() { return IsWindowVisible(window()) != 0; }

void Panel::click(Control c) {
    // Posted, so that a message box opened by the click does not block the test.
    PostMessageW(window(), WM_COMMAND, MAKEWPARAM(kControlIdBase + static_cast<int>(c), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control(c)));
}

void Panel::typeText(Control c, const std::string& text) {
    sendWithin(control(c), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(widen(text).c_str()));
}

bool Panel::openTrayMenu() {
    // The icon's callback message is the window's mouse move, with the notification code as x.
    PostMessageW(window(), WM_MOUSEMOVE, 0, WM_RBUTTONDOWN);
    return waitFor([&] { return trayMenu() != nullptr; }, std::chrono::seconds(10));
}

HWND Panel::trayMenu() { return topWindowOf(process_.dwProcessId, L"#32768"); }

bool Panel::chooseTrayMenuItem(Control item) {
    // Counted up from the last item: VK_END picks it whatever the pointer has selected, each VK_UP the item above,
    // the separator skipped. The grey lines above the separator, one of them shown only after an outage, never
    // shift the count.
    constexpr Control kBottomUp[] = {Control::exitapp, Control::mnuStop, Control::mnuOpen, Control::mnustart,
                                     Control::mnuLog};
    const auto* at = std::find(std::begin(kBottomUp), std::end(kBottomUp), item);
    HWND menu = trayMenu();
    if (!menu || at == std::end(kBottomUp)) return false;
    postKey(menu, VK_END);
    for (auto ups = at - std::begin(kBottomUp); ups > 0; --ups) postKey(menu, VK_UP);
    postKey(menu, VK_RETURN);
    return waitFor([&] { return trayMenu() == nullptr; }, std::chrono::seconds(10));
}

// The close button, the window menu and Alt+F4 all reach the window as SC_CLOSE.
void Panel::close() { PostMessageW(window(), WM_SYSCOMMAND, SC_CLOSE, 0); }

bool Panel::messageBoxOpen() { return topWindowOf(process_.dwProcessId, L"#32770") != nullptr; }

MessageBoxSeen Panel::answerMessageBox(std::chrono::milliseconds timeout) {
    MessageBoxSeen seen;
    HWND box = nullptr;
    if (!waitFor([&] { return (box = topWindowOf(process_.dwProcessId, L"#32770")) != nullptr; }, timeout)) return seen;
    seen.found = true;
    // The dialog exists before its text and icon are filled in; it is shown once they are.
    waitFor([&] { return IsWindowVisible(box) != 0; }, std::chrono::seconds(5));
    // The box's text is its static control 0xFFFF; an icon is a static control with SS_ICON.
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        if (_wcsicmp(cls, L"Static") != 0) continue;
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON)
            seen.hasErrorIcon = seen.hasErrorIcon || sendWithin(child, STM_GETICON, 0, 0) != 0;
        else if (GetDlgCtrlID(child) == 0xFFFF)
            seen.text = windowText(child);
    }
    // BM_CLICK does not close the box under Wine; the dialog's own IDOK does.
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    waitFor([&] { return !IsWindow(box); }, std::chrono::seconds(10));
    return seen;
}

}  // namespace e2e
