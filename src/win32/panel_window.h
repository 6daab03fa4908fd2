// The real main window: its life and its message routing. The core's controls are mirrored by `ControlMirror`;
// the window's input (clicks, typing, timer ticks, mouse positions in twips, the tray's callbacks) goes to `Form1`.
#pragma once

#include "app/main_window.h"
#include "platform/window_host.h"
#include "win32/control_mirror.h"
#include "win32/win32.h"

namespace tavrio::win32 {

inline constexpr wchar_t kPanelWindowClassName[] = L"TavrioPanelWindow";

class PanelWindow final : public WindowHost {
public:
    explicit PanelWindow(HINSTANCE instance);
    ~PanelWindow() override;
    PanelWindow(const PanelWindow&) = delete;
    PanelWindow& operator=(const PanelWindow&) = delete;

    // The hidden top-level window, without controls yet. False when Windows refused it.
    bool create();
    // Creates every control and the tray popup menu from `form`'s state and routes input to it from now on.
    bool attach(Form1& form);
    // Why `create` or `attach` failed: the system's error code, taken as the call that failed returned (0 when it
    // gave none); what GetLastError says later may come from any call since.
    DWORD failure() const { return failure_; }
    // Runs until the window is destroyed; returns the exit code.
    int runMessageLoop();

    // WindowHost
    void applyControl(ControlId id, const ControlState& state) override { mirror_.apply(id, state); }
    void setTitle(const std::string& title) override;
    void setWindowVisible(bool visible) override;
    void setTimerInterval(std::uint32_t milliseconds) override;
    void setTrayRetryTimer(std::uint32_t milliseconds) override;
    void setBotLifeTimer(std::uint32_t milliseconds) override;
    void pumpPendingEvents() override;
    void showPopupMenu() override;
    void closePopupMenu() override;
    std::uint32_t windowHandle() override;
    std::optional<std::uint32_t> pictureIcon(int index) override { return mirror_.trayIcon(index); }
    void end(WindowEnd how) override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onCommand(WPARAM wParam, LPARAM lParam);
    bool isTrayNotification(LPARAM lParam) const;
    void onMouse(int button, LPARAM lParam, bool press);
    void dispatch(MSG& message);

    bool failed() {
        failure_ = GetLastError();
        return false;
    }

    HINSTANCE instance_;
    HWND window_ = nullptr;
    DWORD failure_ = 0;
    Form1* form_ = nullptr;  // from the attach until WM_DESTROY
    UINT taskbarCreatedMessage_ = 0;
    int popupsOpen_ = 0;  // calls inside TrackPopupMenu
    ControlMirror mirror_;
};

}  // namespace tavrio::win32
