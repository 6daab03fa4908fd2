#include "win32/qr_code_control.h"

#include <algorithm>
#include <optional>
#include <string>

#include "qr/qr_encoder.h"
#include "win32/wide_text.h"

namespace tavrio::win32 {
namespace {

constexpr int kQuietZone = 4;

// What one control shows: nothing (no data), a symbol, or the notice that the data is too long for any.
struct QrState {
    bool hasData = false;
    std::optional<qr::QrCode> code;
};

QrState* stateOf(HWND window) { return reinterpret_cast<QrState*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

void encodeText(QrState& state, HWND window) {
    const std::wstring text = windowText(window);
    state.hasData = !text.empty();
    // Phones read a symbol's bytes as UTF-8 when it carries no other hint.
    state.code = state.hasData ? qr::encode(narrow(text), qr::Ecc::M, false) : std::nullopt;
}

void drawSymbol(HDC dc, const RECT& area, const qr::QrCode& code) {
    const QrPlacement place = placeQr(code.size + 2 * kQuietZone, area.right, area.bottom);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    for (int y = 0; y < code.size; ++y) {
        const int top = place.top + place.edge(y + kQuietZone);
        const int bottom = place.top + place.edge(y + kQuietZone + 1);
        // One rectangle per run of dark modules keeps a large symbol cheap to draw.
        for (int x = 0; x < code.size;) {
            if (!code.dark(x, y)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < code.size && code.dark(end, y)) ++end;
            const RECT run{place.left + place.edge(x + kQuietZone), top, place.left + place.edge(end + kQuietZone),
                           bottom};
            FillRect(dc, &run, black);
            x = end;
        }
    }
}

void drawTooLong(HWND window, HDC dc, RECT area) {
    FrameRect(dc, &area, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(GetParent(window), WM_GETFONT, 0, 0));
    ScopedSelect selected(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextW(dc, L"QR code too long", -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void paint(HWND window, const QrState& state) {
    ScopedPaint paint(window);
    RECT area{};
    GetClientRect(window, &area);
    if (area.right <= 0 || area.bottom <= 0) return;
    // Drawn off screen first, so the code never flickers while a tick redraws it.
    UniqueMemoryDc buffer(CreateCompatibleDC(paint.dc()));
    UniqueBitmap bitmap(CreateCompatibleBitmap(paint.dc(), area.right, area.bottom));
    if (!buffer || !bitmap) return;
    ScopedSelect selected(buffer.get(), bitmap.get());
    FillRect(buffer.get(), &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (state.code) {
        drawSymbol(buffer.get(), area, *state.code);
    } else if (state.hasData) {
        drawTooLong(window, buffer.get(), area);
    }
    BitBlt(paint.dc(), 0, 0, area.right, area.bottom, buffer.get(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK qrWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    QrState* state = stateOf(window);
    switch (message) {
        case WM_NCCREATE: SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new QrState)); break;
        case WM_NCDESTROY:
            delete state;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
        case WM_SETTEXT: {
            const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
            if (state != nullptr) {
                encodeText(*state, window);
                InvalidateRect(window, nullptr, FALSE);
            }
            return result;
        }
        case WM_ERASEBKGND: return 1;  // the paint covers every pixel
        case WM_PAINT:
            if (state != nullptr) {
                paint(window, *state);
                return 0;
            }
            break;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

QrPlacement placeQr(int modules, int width, int height) {
    QrPlacement place;
    place.modules = modules;
    const int square = std::max(0, std::min(width, height));
    const int modulePixels = modules > 0 ? square / modules : 0;
    // Whole pixels per module keep every module the same size; only an area too small for that scales.
    place.side = modulePixels >= 1 ? modulePixels * modules : square;
    place.left = (width - place.side) / 2;
    place.top = (height - place.side) / 2;
    return place;
}

bool registerQrCodeClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    if (GetClassInfoExW(instance, kQrCodeClassName, &windowClass)) return true;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = qrWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kQrCodeClassName;
    return RegisterClassExW(&windowClass) != 0;
}

}  // namespace tavrio::win32
