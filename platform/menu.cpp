// Window and menu toolkit.
#include "platform/menu.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/screen.h"
#include "platform/shell.h"

uint8_t* g_sheet_winchip = nullptr;
uint8_t* g_sheet_cursor = nullptr;
uint8_t* g_sheet_icons = nullptr;
int32_t g_menu_chip_set = 0;

// A saved rectangle keeps only the part that lies inside the image; putting
// it back writes the same part.
SavedRect* gfx_save_rect(int32_t col, int32_t y, int32_t wcols, int32_t h) {
    if (!g_back_dib) return nullptr;
    auto* s = new SavedRect{col * 8, y, std::max(0, wcols * 8), std::max(0, h), {}};
    s->pixels.assign(static_cast<size_t>(s->w) * s->h, 0);
    for (int k = 0; k < s->h; ++k) {
        int line = s->y + k;
        if (line < 0 || line >= SCREEN_H) continue;
        for (int i = 0; i < s->w; ++i) {
            int x = s->x + i;
            if (x < 0 || x >= SCREEN_W) continue;
            s->pixels[static_cast<size_t>(k) * s->w + i] = *gfx_screen_pixel(g_back_dib, x, line);
        }
    }
    return s;
}

void gfx_restore_rect(int32_t flag, int32_t, SavedRect* s) {
    if (flag >= 0 || !s || !g_back_dib) return;
    for (int k = 0; k < s->h; ++k) {
        int line = s->y + k;
        if (line < 0 || line >= SCREEN_H) continue;
        for (int i = 0; i < s->w; ++i) {
            int x = s->x + i;
            if (x < 0 || x >= SCREEN_W) continue;
            *gfx_screen_pixel(g_back_dib, x, line) = s->pixels[static_cast<size_t>(k) * s->w + i];
        }
    }
}

void gfx_restore_rect_free(SavedRect* s) {
    if (!s) return;
    gfx_restore_rect(-1, 0, s);
    delete s;
}

namespace {

// PENDING: loading through file_load_data (pictures and data files issue).
uint8_t* load_sheet(const char* name) {
    std::snprintf(g_load_path, sizeof g_load_path, "%s%s", g_bmp_dir, name);
    if (!gfx_load_dib(g_hwnd_game)) return nullptr;
    auto* p = static_cast<uint8_t*>(std::malloc(g_load_dib.size()));
    if (p) std::memcpy(p, g_load_dib.data(), g_load_dib.size());
    return p;
}

}  // namespace

void gfx_load_ui_sheets() {
    g_sheet_winchip = load_sheet("winchip.BMP");
    g_sheet_cursor = load_sheet("mcsrfont.BMP");
    g_sheet_icons = load_sheet("iconchip.BMP");
    gfx_restore_screen();
}

void gfx_free_ui_sheets() {
    std::free(g_sheet_icons);
    std::free(g_sheet_cursor);
    std::free(g_sheet_winchip);
    g_sheet_icons = g_sheet_cursor = g_sheet_winchip = nullptr;
}
