// Resource ids of the executable, shared by the resource scripts and the code.
// Only #define lines: the resource compiler reads this file too.
#pragma once

// The program's icon, nine images made by tools/make-icon.
#define IDI_VELNOR 1
