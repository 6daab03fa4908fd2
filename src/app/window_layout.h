// The window and its controls as they stand before any code runs.
#pragma once

#include "platform/controls.h"

namespace tavrio {

ControlSet designLayout();

}  // namespace tavrio
