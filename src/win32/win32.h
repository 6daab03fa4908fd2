// The one place that includes <windows.h>, with the same macros for every file of the Win32 layer, and the
// owners that free every handle and GDI object this layer creates.
#pragma once

// The W functions throughout (UNICODE and the other macros come from the build, the same for every file of
// the layer); the few A calls (the tray record) are named explicitly.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <type_traits>

namespace tavrio::win32 {

// USER and GDI handles carry 32 significant bits, also in a 64-bit process; the core and the tray record keep
// them as 32-bit values, and turning one back into a handle sign-extends it, as Windows itself does.
template <typename Handle>
Handle fromHandle32(std::uint32_t value) {
    return reinterpret_cast<Handle>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}
template <typename Handle>
std::uint32_t toHandle32(Handle handle) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
}

struct KernelHandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};
using UniqueHandle = std::unique_ptr<void, KernelHandleCloser>;

// CreateFileW reports failure as INVALID_HANDLE_VALUE, most other calls as null; both end up empty here.
inline UniqueHandle ownHandle(HANDLE handle) { return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle); }

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const {
        if (object != nullptr) DeleteObject(object);
    }
};
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;

struct MemoryDcDeleter {
    void operator()(HDC dc) const {
        if (dc != nullptr) DeleteDC(dc);
    }
};
using UniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

struct IconDestroyer {
    void operator()(HICON icon) const {
        if (icon != nullptr) DestroyIcon(icon);
    }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

struct MenuDestroyer {
    void operator()(HMENU menu) const {
        if (menu != nullptr) DestroyMenu(menu);
    }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

// A DC borrowed with GetDC, given back with ReleaseDC.
class ScopedGetDc {
public:
    explicit ScopedGetDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedGetDc() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    ScopedGetDc(const ScopedGetDc&) = delete;
    ScopedGetDc& operator=(const ScopedGetDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a DC for one scope; the DC's previous object goes back at the end.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect() { restore(); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    // False when the selection failed (then nothing is restored).
    bool ok() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }
    void restore() {
        if (ok()) SelectObject(dc_, previous_);
        previous_ = nullptr;
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// BeginPaint / EndPaint.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    ~ScopedPaint() { EndPaint(window_, &paint_); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    HDC dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_ = nullptr;
};

}  // namespace tavrio::win32
