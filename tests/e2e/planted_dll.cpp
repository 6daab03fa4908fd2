// Stands in for a system DLL planted in the program folder: loaded into any process, it leaves "<its own
// path>.loaded" beside itself and ends that process, which could only crash or hang without the real DLL.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH * 4] = {};
        const DWORD length = GetModuleFileNameW(self, path, MAX_PATH * 3);
        lstrcpyW(path + length, L".loaded");
        const HANDLE mark = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
        TerminateProcess(GetCurrentProcess(), 99);
    }
    return TRUE;
}
