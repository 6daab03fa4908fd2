// Compiles only if every core header can follow the whole of windows.h, with none of the macros that trim it:
// a Win32 file may include them in any order.
#undef WIN32_LEAN_AND_MEAN
#undef NOMINMAX
#include <windows.h>
// windows.h first, on purpose
#include "app/counter_file.h"
#include "app/file_text.h"
#include "app/local_url.h"
#include "app/main_window.h"
#include "app/message_sender.h"
#include "app/program_files.h"
#include "app/window_layout.h"
#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/tray_record_layout.h"
#include "platform/window_host.h"
#include "qr/qr_encoder.h"
#include "qr/qr_mask.h"
#include "qr/qr_matrix.h"
#include "qr/qr_tables.h"
#include "qr/reed_solomon.h"
#include "settings/env_file.h"
#include "settings/ini_value.h"
#include "text/utf8.h"
#include "tray/sys_tray.h"
#include "tray/tray_record.h"
