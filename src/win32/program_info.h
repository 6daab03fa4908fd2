// What the program knows about itself: its folder, its version and the computer it runs on.
#pragma once

#include <string>

namespace tavrio::win32 {

// The folder the executable is in, without a trailing backslash.
std::string programFolder();
// The last of the four numbers of the executable's file version; 0 when it has no version resource.
int revisionNumber();
// The program's version and the system it runs on, as the support log's first line tells them: "version 1.0.0.32,
// Windows 10.0.19045, 96 DPI, ANSI code page 1252".
std::string programAndSystem();
// The computer's name, which names the shop in an alert when .env names no company.
std::string computerName();

}  // namespace tavrio::win32
