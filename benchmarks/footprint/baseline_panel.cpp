// The floor the panel's footprint is measured against: one window, one button, one label and a tray icon,
// and once a second the panel's steady work when ready (test the four marker files, GET /phone, show the answer).
#include <windows.h>

#include <shellapi.h>
#include <winhttp.h>

#include <string>

namespace {

constexpr wchar_t kClassName[] = L"TavrioBaselineWindow";
constexpr UINT kTrayCallback = WM_APP + 1;
constexpr UINT_PTR kTimerId = 1;
const wchar_t* const kMarkers[] = {L"start.txt", L"ssreomve.txt", L"qr.txt", L"ws.txt"};

std::wstring folder;
INTERNET_PORT port = 3033;
HWND label = nullptr;

std::wstring getPhone() {
    std::wstring answer = L"no answer";
    HINTERNET session = WinHttpOpen(L"", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
    HINTERNET connection = session ? WinHttpConnect(session, L"localhost", port, 0) : nullptr;
    HINTERNET request =
        connection ? WinHttpOpenRequest(connection, L"GET", L"/phone", nullptr, nullptr, nullptr, 0) : nullptr;
    if (request && WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0) &&
        WinHttpReceiveResponse(request, nullptr)) {
        std::string body;
        char buffer[4096];
        DWORD read = 0;
        while (WinHttpReadData(request, buffer, sizeof buffer, &read) && read > 0) body.append(buffer, read);
        answer.assign(body.begin(), body.end());
    }
    for (HINTERNET handle : {request, connection, session}) {
        if (handle) WinHttpCloseHandle(handle);
    }
    return answer;
}

void tick() {
    int present = 0;
    for (const wchar_t* marker : kMarkers) {
        const DWORD attributes = GetFileAttributesW((folder + marker).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) ++present;
    }
    SetWindowTextW(label, (std::to_wstring(present) + L" " + getPhone()).c_str());
}

NOTIFYICONDATAW trayRecord(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallback;
    data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpynW(data.szTip, L"Baseline", ARRAYSIZE(data.szTip));
    return data;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER: tick(); return 0;
        case WM_DESTROY: {
            NOTIFYICONDATAW data = trayRecord(window);
            Shell_NotifyIconW(NIM_DELETE, &data);
            PostQuitMessage(0);
            return 0;
        }
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    folder.assign(path, length);
    folder.erase(folder.find_last_of(L'\\') + 1);
    if (__argc > 1) port = static_cast<INTERNET_PORT>(std::stoi(__argv[1]));

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, kClassName, L"Baseline", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 400, 200, nullptr, nullptr, instance, nullptr);
    CreateWindowExW(0, L"BUTTON", L"START", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 25, window, nullptr,
                    instance, nullptr);
    label = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 50, 370, 100, window, nullptr,
                            instance, nullptr);
    NOTIFYICONDATAW data = trayRecord(window);
    Shell_NotifyIconW(NIM_ADD, &data);
    ShowWindow(window, SW_SHOWNORMAL);
    SetTimer(window, kTimerId, 1000, nullptr);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
