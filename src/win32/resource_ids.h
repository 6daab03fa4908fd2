/* Resource numbers, shared by res/app.rc and the code: plain macros, as the resource compiler reads them. */
#pragma once

#define TAVRIO_IDI_PANEL 1
/* The three status pictures of the tray icon, elements 0 to 2 of the picture array, in consecutive numbers. */
#define TAVRIO_IDI_STATUS_0 101
#define TAVRIO_IDI_STATUS_1 102
#define TAVRIO_IDI_STATUS_2 103
#define TAVRIO_IDI_STATUS_FIRST TAVRIO_IDI_STATUS_0
