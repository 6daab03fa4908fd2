// What the program knows about itself: its folder and its version.
#pragma once

#include <string>

namespace tavrio::win32 {

// The folder the executable is in, without a trailing backslash.
std::string programFolder();
// The last of the four numbers of the executable's file version; 0 when it has no version resource.
int revisionNumber();

}  // namespace tavrio::win32
