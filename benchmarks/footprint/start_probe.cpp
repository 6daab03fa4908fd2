// Starts a program and measures the time until its top-level window of the given class exists, for
// benchmarks/footprint.sh. Writes the milliseconds to a file (a pipe would stay open while the program runs)
// and leaves the program running.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"--hold-shell") {
        // Brings up the desktop and its taskbar, says so in the file, and stays: Wine's shell ends with the last
        // program on the desktop, and every timed start should meet a shell that is already there.
        GetDesktopWindow();
        for (int i = 0; i < 3000 && FindWindowW(L"Shell_TrayWnd", nullptr) == nullptr; ++i) Sleep(10);
        if (FILE* ready = _wfopen(argv[2], L"w")) std::fclose(ready);
        Sleep(INFINITE);
    }
    if (argc < 4) {
        std::fwprintf(stderr,
                      L"usage: start_probe PROGRAM WINDOW-CLASS RESULT-FILE [ARGUMENT] | --hold-shell READY-FILE\n");
        return 2;
    }
    std::wstring program = argv[1];
    std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
    std::wstring line = L"\"" + program + L"\"";
    if (argc > 4) line += std::wstring(L" ") + argv[4];

    LARGE_INTEGER frequency, started, now;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    QueryPerformanceCounter(&started);
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
        std::fwprintf(stderr, L"start_probe: cannot start %ls (%lu)\n", program.c_str(), GetLastError());
        return 1;
    }
    double elapsed = -1;
    for (;;) {
        QueryPerformanceCounter(&now);
        const double ms =
            1000.0 * static_cast<double>(now.QuadPart - started.QuadPart) / static_cast<double>(frequency.QuadPart);
        if (FindWindowW(argv[2], nullptr) != nullptr) {
            elapsed = ms;
            break;
        }
        if (ms > 30000) break;
        Sleep(1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    FILE* result = _wfopen(argv[3], L"w");
    if (result == nullptr) return 1;
    std::fprintf(result, "%.0f\n", elapsed);
    std::fclose(result);
    return elapsed < 0 ? 1 : 0;
}
