// Resource identifiers (also read by the resource compiler).
#pragma once

#define IDI_VELTRANE 1
#define IDB_SCAN 101
#define IDB_CLEAN 102
#define IDB_OPTIONS 103
#define IDB_HELP 104
#define IDB_ABOUT 105
