#include "win32/single_instance.h"

namespace tavrio::win32 {

// Per session, as one user's notification area can hold only one panel; the name is the program's, not its
// folder's, so a copy started from another folder ends too.
SingleInstance::SingleInstance()
    : mutex_(ownHandle(CreateMutexW(nullptr, FALSE, L"Local\\TavrioPanel.SingleInstance"))) {
    // When the check itself fails there is no other copy to defer to: running beats ending unseen.
    first_ = mutex_ == nullptr || GetLastError() != ERROR_ALREADY_EXISTS;
}

}  // namespace tavrio::win32
