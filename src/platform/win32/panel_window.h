// The real main window: mirrors `Form1`'s control state into Win32 controls and feeds the window's input
// (clicks, typing, timer ticks, mouse positions in twips, the tray's callbacks) back into it.
#pragma once

#include <array>

#include "app/main_window.h"
#include "platform/win32/win32.h"
#include "platform/window_host.h"

namespace tavrio::win32 {

inline constexpr wchar_t kPanelWindowClassName[] = L"TavrioPanelWindow";

// Each control's child-window id, and each menu item's command id, is this base plus its ControlId.
inline constexpr int kFirstCommandId = 1000;
constexpr int commandIdOf(ControlId id) { return kFirstCommandId + static_cast<int>(id); }

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
    // Runs until the window is destroyed; returns the exit code.
    int runMessageLoop();

    // WindowHost
    void applyControl(ControlId id, const ControlState& state) override;
    void setTitle(const std::string& title) override;
    void setWindowVisible(bool visible) override;
    bool isWindowVisible() override;
    void setTimerInterval(std::uint32_t milliseconds) override;
    void setTrayRetryTimer(std::uint32_t milliseconds) override;
    void pumpPendingEvents() override;
    void showPopupMenu() override;
    std::uint32_t windowHandle() override;
    std::optional<std::uint32_t> pictureIcon(int index) override;
    void endProgram() override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onCommand(WPARAM wParam, LPARAM lParam);
    LRESULT onControlColor(HDC dc, const ControlState& state, bool edit);
    bool isTrayNotification(LPARAM lParam) const;
    void onMouse(int button, LPARAM lParam, bool press);
    void close(CloseReason reason);
    void endSession();
    void dispatch(MSG& message);

    bool createControl(ControlId id, const ControlState& state);
    void applyMenuItem(ControlId id, const ControlState& state);
    RECT pixelRect(const ControlState& state) const;
    int xPixels(std::int32_t twips) const;
    int yPixels(std::int32_t twips) const;
    HWND child(ControlId id) const { return children_[static_cast<std::size_t>(id)]; }
    const ControlState* mirrored(HWND control) const;

    HINSTANCE instance_;
    HWND window_ = nullptr;
    Form1* form_ = nullptr;
    UINT taskbarCreatedMessage_ = 0;
    int dpiX_ = 96, dpiY_ = 96;

    std::array<HWND, kControlCount> children_{};
    UniqueMenu popupMenu_;
    UniqueFont normalFont_, boldFont_;
    std::array<UniqueIcon, 3> statusIcons_, trayIcons_;
};

}  // namespace tavrio::win32
