// The setup dialog: its template (resource 101), the fixed lists it offers, the table that maps
// list positions to adapter modes, and its procedure. Run fills displaySettings; Exit and the close
// box leave it untouched (the close box ends the process).
#pragma once

#include <cstdint>

#include "platform/ui/ui.h"

constexpr int IDD_SETUP = 101;
constexpr int IDB_LOGO = 1001;
constexpr int IDC_FULLSCREEN = 1001;
constexpr int IDC_RESOLUTION = 1003;
constexpr int IDC_VSYNC = 1015;
constexpr int IDC_ASPECT = 1016;
constexpr int IDC_MULTISAMPLE = 1017;

constexpr int kMultiSampleCount = 9;
extern const uint32_t kMultiSampleTypes[kMultiSampleCount];
extern const char* const kMultiSampleNames[kMultiSampleCount];

constexpr int kAspectCount = 3;
extern const char* const kAspectNames[kAspectCount];
extern const float kAspectRatios[kAspectCount];

// Resolution list position -> the adapter's mode index (-1 where unused).
constexpr int kModeTableSize = 200;
extern int32_t modeTable[kModeTableSize];
extern int32_t modeCount;

// Template 101 with its eleven controls and the logo bitmap.
const ui::DialogTemplate& SetupDialogTemplate();

intptr_t SetupDialogProc(ui::Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);
