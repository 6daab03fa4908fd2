// Detects a copy of the panel that is already running in this session.
#pragma once

#include "win32/win32.h"

namespace tavrio::win32 {

class SingleInstance {
public:
    // Claims the program's named mutex; it stays claimed for the object's life.
    SingleInstance();
    // False when another copy holds the mutex: this copy must end at once. True when the mutex could not be
    // made at all.
    bool isFirst() const { return first_; }

private:
    UniqueHandle mutex_;
    bool first_ = false;
};

}  // namespace tavrio::win32
