// Resource identifiers (also read by the resource compiler).
#pragma once

#define IDI_VELTRANE 1
#define IDB_SCAN 101
#define IDB_CLEAN 102
#define IDB_OPTIONS 103
#define IDB_HELP 104
#define IDB_ABOUT 105
// Each glyph is drawn for 100% (its own identifier) and for 125, 150, 175
// and 200% of the display scale (its identifier plus 1000, 2000, 3000 and
// 4000).
#define IDB_SCALE_STEP 1000
