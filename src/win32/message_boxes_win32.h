#pragma once

#include "platform/platform.h"
#include "platform/window_host.h"

namespace tavrio::win32 {

// The program's default title, as every message box shows it.
inline constexpr wchar_t kProgramTitle[] = L"TavrioPanel";

class MessageBoxesWin32 final : public MessageBoxes {
public:
    // The boxes are owned by the main window, whatever its handle is when one is shown.
    explicit MessageBoxesWin32(WindowHost& owner) : owner_(owner) {}
    void show(const std::string& text, MessageIcon icon) override;
    void closeBox(std::size_t depth) override;
    void closeAll() override;

private:
    WindowHost& owner_;
};

}  // namespace tavrio::win32
