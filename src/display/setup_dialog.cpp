#include "display/setup_dialog.h"

#include <cstdio>

#include "display/device_globals.h"
#include "display/display_settings.h"
#include "display/logo_bitmap.h"

const uint32_t kMultiSampleTypes[kMultiSampleCount] = {0, 2, 4, 6, 8, 10, 12, 14, 16};
const char* const kMultiSampleNames[kMultiSampleCount] = {
    "No Multisampling",  "2x Multisampling",  "4x Multisampling",
    "6x Multisampling",  "8x Multisampling",  "10x Multisampling",
    "12x Multisampling", "14x Multisampling", "16x Multisampling"};

const char* const kAspectNames[kAspectCount] = {"4:3", "16:10", "16:9"};
const float kAspectRatios[kAspectCount] = {4.0f / 3.0f, 1.6f, 16.0f / 9.0f};

int32_t modeTable[kModeTableSize];
int32_t modeCount = 0;

const ui::DialogTemplate& SetupDialogTemplate() {
    static const ui::DialogTemplate tmpl = [] {
        using ui::ControlKind;
        ui::DialogTemplate t;
        t.caption = "tavrin_quell";
        t.cx = 180;
        t.cy = 143;
        t.font = "MS Shell Dlg";
        t.pointSize = 8;
        t.controls = {
            {ui::IDOK, ControlKind::DefPushButton, "Run", 84, 121, 44, 14},
            {ui::IDCANCEL, ControlKind::PushButton, "Exit", 129, 121, 44, 14},
            {IDC_FULLSCREEN, ControlKind::CheckBox, "Fullscreen", 89, 109, 46, 11},
            {IDC_RESOLUTION, ControlKind::ComboBox, "", 85, 17, 86, 53},
            {-1, ControlKind::Picture, "", 7, 7, 73, 128},
            {IDC_ASPECT, ControlKind::ComboBox, "", 85, 67, 86, 40},
            {IDC_MULTISAMPLE, ControlKind::ComboBox, "", 85, 42, 86, 52},
            {-1, ControlKind::GroupBox, "Resolution", 81, 7, 92, 24},
            {-1, ControlKind::GroupBox, "Multisampling", 81, 32, 92, 24},
            {-1, ControlKind::GroupBox, "Aspect Ratio", 81, 57, 92, 24},
            {IDC_VSYNC, ControlKind::CheckBox, "Vsync", 142, 110, 31, 8},
        };
        t.bitmapRgb = MakeLogoBitmap();
        t.bitmapWidth = kLogoWidth;
        t.bitmapHeight = kLogoHeight;
        return t;
    }();
    return tmpl;
}

namespace {

intptr_t Combo(ui::Dialog* dialog, int id, uint32_t message, uintptr_t wParam = 0,
               intptr_t lParam = 0) {
    return ui::SendDlgItemMessage(dialog, id, message, wParam, lParam);
}

void AddString(ui::Dialog* dialog, int id, const char* text) {
    Combo(dialog, id, ui::CB_ADDSTRING, 0, reinterpret_cast<intptr_t>(text));
}

void InitDialog(ui::Dialog* dialog) {
    if (g_d3d == nullptr) return;  // no adapter: nothing to list
    for (int32_t& entry : modeTable) entry = -1;
    ui::CheckDlgButton(dialog, IDC_FULLSCREEN, ui::BST_CHECKED);
    ui::CheckDlgButton(dialog, IDC_VSYNC, ui::BST_CHECKED);

    const uint32_t count =
        g_d3d->GetAdapterModeCount(gfx::D3DADAPTER_DEFAULT, gfx::D3DFMT_X8R8G8B8);
    if (count == 0) {
        ui::MessageBox("Somethings Terribly Wrong", "GetAdapterModeCount = 0", ui::MB_OK);
        return;
    }

    // Resolution list, in the adapter's order; modes narrower than 640 are left out.
    int preselect = -1;
    for (uint32_t i = 0; i < count && modeCount < kModeTableSize; ++i) {
        gfx::DisplayMode mode;
        g_d3d->EnumAdapterModes(gfx::D3DADAPTER_DEFAULT, gfx::D3DFMT_X8R8G8B8, i, &mode);
        if (mode.Width < 640) continue;
        const int position = modeCount;
        modeTable[position] = static_cast<int32_t>(i);
        std::printf(" %d = %d -> %d\n", position, static_cast<int>(i), modeTable[position]);
        ++modeCount;
        char label[64];
        std::snprintf(label, sizeof label, "%2d: %4dx%4d@%dHz", static_cast<int>(i),
                      static_cast<int>(mode.Width), static_cast<int>(mode.Height),
                      static_cast<int>(mode.RefreshRate));
        const auto listed =
            Combo(dialog, IDC_RESOLUTION, ui::CB_ADDSTRING, 0, reinterpret_cast<intptr_t>(label));
        if (mode.Width == 800 && mode.Height == 600) preselect = static_cast<int>(listed);
    }
    std::fflush(stdout);
    Combo(dialog, IDC_RESOLUTION, ui::CB_SETCURSEL,
          static_cast<uintptr_t>(preselect >= 0 ? preselect : 0));

    // Multisampling: a prefix of the table, up to the first level the adapter rejects.
    int lastSupported = 0;
    for (int p = 0; p < kMultiSampleCount; ++p) {
        const gfx::HRESULT hr = g_d3d->CheckDeviceMultiSampleType(
            gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, gfx::D3DFMT_X8R8G8B8, 0,
            kMultiSampleTypes[p], nullptr);
        if (gfx::Failed(hr)) break;
        AddString(dialog, IDC_MULTISAMPLE, kMultiSampleNames[p]);
        lastSupported = p;
    }
    Combo(dialog, IDC_MULTISAMPLE, ui::CB_SETCURSEL, lastSupported >= 2 ? 1u : 0u);

    // Aspect ratio: preselected from the desktop's shape.
    for (const char* name : kAspectNames) AddString(dialog, IDC_ASPECT, name);
    Combo(dialog, IDC_ASPECT, ui::CB_SETCURSEL, 0);
    gfx::DisplayMode desktop;
    g_d3d->GetAdapterDisplayMode(gfx::D3DADAPTER_DEFAULT, &desktop);
    if (desktop.Height != 0) {
        const double d = static_cast<double>(desktop.Width) / static_cast<double>(desktop.Height);
        if (d > 1.3333333730697632) Combo(dialog, IDC_ASPECT, ui::CB_SETCURSEL, 1);
        if (d > 1.600000023841858) Combo(dialog, IDC_ASPECT, ui::CB_SETCURSEL, 2);
    }
}

void RunPressed(ui::Dialog* dialog) {
    const intptr_t position = Combo(dialog, IDC_RESOLUTION, ui::CB_GETCURSEL);
    if (position < 0 || position >= kModeTableSize || modeTable[position] < 0) {
        return;  // nothing to run with: the dialog stays open
    }
    displaySettings.fullscreen = ui::IsDlgButtonChecked(dialog, IDC_FULLSCREEN) == ui::BST_CHECKED;
    displaySettings.vsync = ui::IsDlgButtonChecked(dialog, IDC_VSYNC) == ui::BST_CHECKED;

    const int32_t mode = modeTable[position];
    std::printf("dismode to udse = %d   off = %d  %d\n", mode, static_cast<int>(position),
                modeCount);
    std::fflush(stdout);
    gfx::DisplayMode chosen;
    g_d3d->EnumAdapterModes(gfx::D3DADAPTER_DEFAULT, gfx::D3DFMT_X8R8G8B8,
                            static_cast<uint32_t>(mode), &chosen);
    displaySettings.screenWidth = chosen.Width;
    displaySettings.screenHeight = chosen.Height;
    displaySettings.refreshRate = chosen.RefreshRate;

    const intptr_t aspect = Combo(dialog, IDC_ASPECT, ui::CB_GETCURSEL);
    displaySettings.ratio = kAspectRatios[aspect >= 0 && aspect < kAspectCount ? aspect : 0];
    const intptr_t samples = Combo(dialog, IDC_MULTISAMPLE, ui::CB_GETCURSEL);
    displaySettings.multiSample =
        kMultiSampleTypes[samples >= 0 && samples < kMultiSampleCount ? samples : 0];

    ui::EndDialog(dialog, 1);
}

}  // namespace

intptr_t SetupDialogProc(ui::Dialog* dialog, uint32_t message, uintptr_t wParam,
                         intptr_t /*lParam*/) {
    switch (message) {
        case ui::WM_INITDIALOG:
            InitDialog(dialog);
            break;
        case ui::WM_COMMAND:
            switch (static_cast<int>(wParam & 0xFFFF)) {
                case ui::IDOK:
                    RunPressed(dialog);
                    break;
                case ui::IDCANCEL:
                    ui::EndDialog(dialog, 0);
                    break;
                default:
                    break;
            }
            break;
        case ui::WM_CLOSE:
            ui::EndDialog(dialog, 0);
            ui::ExitProcess(0);
        default:
            break;
    }
    return 0;
}
