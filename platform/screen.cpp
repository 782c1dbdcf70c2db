// Screen images and the presenter.
#include "platform/screen.h"

#include <array>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/shell.h"

uint8_t* g_back_dib = nullptr;
uint8_t* g_background_dib = nullptr;
uint8_t* g_shadow_dib = nullptr;
ViewRect g_view_rect = {16, 0, 624, 384};
ViewOffset g_view_offset = {0, 0};
int32_t g_btl_jolt = 0;
int32_t g_mem_dc = 0;
int32_t g_mem_bitmap = 0;
int32_t g_mem_old_bitmap = 0;
int32_t g_gdi_palette = 0;
SavedRect* g_cursor_saved_rect = nullptr;

namespace {

// The system pointer is shown while the software cursor is off the view in
// a window, and hidden otherwise. The show count moves only on a change.
void system_pointer(bool shown) {
    if (shown)
        while (sys_show_count() < 0) sys_show_cursor(1);
    else
        while (sys_show_count() >= 0) sys_show_cursor(0);
}

int floor_div8(int v) { return v >= 0 ? v / 8 : -((-v + 7) / 8); }

}  // namespace

int gfx_screens_alloc() {
    for (uint8_t** p : {&g_background_dib, &g_back_dib, &g_shadow_dib}) {
        std::free(*p);
        *p = static_cast<uint8_t*>(std::calloc(1, SCREEN_DIB_SIZE));
        if (!*p) return 0;
    }
    return 1;
}

void gfx_screens_free() {
    for (uint8_t** p : {&g_background_dib, &g_back_dib, &g_shadow_dib}) {
        std::free(*p);
        *p = nullptr;
    }
}

int gfx_create_gdi_palette(const uint8_t* image, int) { return image ? 1 : 0; }

void gfx_drop_surface() {
    g_mem_old_bitmap = 0;
    g_mem_dc = 0;
    g_mem_bitmap = 0;
}

void gfx_free_presentation() {
    gfx_drop_surface();
    g_gdi_palette = 0;
    if (g_cursor_saved_rect) {
        delete g_cursor_saved_rect;
        g_cursor_saved_rect = nullptr;
    }
}

void gfx_paint(SysWnd window) {
    if (!g_back_dib) return;
    // A picture with a colour table has been read: make the logical palette
    // from the shadow image when there is none.
    if (g_load_dib.size() >= 40) {
        DibInfoHeader h;
        std::memcpy(&h, g_load_dib.data(), sizeof h);
        if (h.clr_used != 0 && g_gdi_palette == 0) {
            if (!gfx_create_gdi_palette(g_shadow_dib, 256)) {
                sys_message_box(window, "팔레트를 만들 수 없습니다.", "오류", MB_ICONSTOP);
                return;
            }
            g_gdi_palette = 1;
        }
    }
    if (g_mem_bitmap == 0) {
        g_mem_dc = 1;
        g_mem_bitmap = 1;
        g_mem_old_bitmap = 1;
    }
    if (g_fade_state == FADE_STEADY) {
        gfx_colour_cycle_step();
        gfx_present_view(window);
        g_fade_running = 0;
    } else if (g_fade_state == FADE_RUNNING) {
        gfx_fade_paint_step(window);
    }
}

void gfx_present_view(SysWnd window) {
    gfx_cursor_draw();
    const uint8_t* bits = gfx_dib_pixels(g_back_dib) + static_cast<size_t>(SCREEN_H - SCREEN_SHOWN_LINES) * SCREEN_W;
    // The jolt reads the shown lines from two rows further on; rows past the
    // image's end would lie outside it, so the shifted picture is built in a
    // copy with its two uncovered top lines black (colour 0).
    static std::array<uint8_t, SCREEN_W * SCREEN_SHOWN_LINES> jolted;
    if (g_btl_jolt != 0) {
        const size_t shift = 2 * SCREEN_W;
        const size_t n = jolted.size() - shift;
        std::memcpy(jolted.data(), bits + shift, n);
        std::memset(jolted.data() + n, 0, shift);
        bits = jolted.data();
        g_btl_jolt = 0;
    }
    const ViewRect& r = g_view_rect;
    sys_present(window, bits, SCREEN_W, SCREEN_SHOWN_LINES, gfx_dib_colours(g_back_dib), r.left, r.top,
                r.right - r.left, r.bottom - r.top, g_view_offset.x + r.left, g_view_offset.y + r.top);
    gfx_cursor_restore();
}

void gfx_cursor_draw() {
    g_cursor_saved_rect = nullptr;
    int32_t x = 0, y = 0;
    win_get_mouse_pos(&x, &y);
    if (g_cursor_visible < 1 || g_cursor_shape < 0 || g_cursor_shape >= 7) return;
    bool outside = x < 16 || x > 624 || y < 0 || y > 384;
    if (g_fullscreen) {
        system_pointer(false);
        if (outside) return;
    } else {
        if (outside) {
            system_pointer(true);
            return;
        }
        system_pointer(false);
    }
    switch (g_cursor_shape) {
        case 1: y -= 8; break;
        case 2:
            x -= 15;
            y -= 8;
            break;
        case 3: x -= 8; break;
        case 4:
            x -= 8;
            y -= 15;
            break;
        default: break;
    }
    // Four columns from the column that holds x cover the whole 24-pixel
    // shape wherever x lies in its column.
    g_cursor_saved_rect = gfx_save_rect(floor_div8(x), y, 4, 24);
    if (!g_sheet_cursor || !g_back_dib) return;
    DibInfoHeader sh;
    std::memcpy(&sh, g_sheet_cursor, sizeof sh);
    const int sheet_w = sh.width;
    const int sheet_h = sh.height;
    const uint32_t colours = sh.clr_used ? sh.clr_used : 256;
    const uint8_t* sheet_bits = g_sheet_cursor + 40 + colours * 4;
    const int k = g_cursor_shape;
    if (sheet_w < 24 * (k + 1) || sheet_h < 24) return;
    for (int line = 0; line < 24; ++line) {
        int sy = y + line;
        if (sy < 0 || sy >= SCREEN_H) continue;
        const uint8_t* src = sheet_bits + static_cast<size_t>(23 - line) * sheet_w + 24 * k;
        for (int i = 0; i < 24; ++i) {
            int sx = x + i;
            if (sx < 0 || sx >= SCREEN_W || src[i] == 14) continue;
            *gfx_screen_pixel(g_back_dib, sx, sy) = src[i];
        }
    }
}

void gfx_cursor_restore() {
    if (g_cursor_saved_rect) {
        gfx_restore_rect_free(g_cursor_saved_rect);
        g_cursor_saved_rect = nullptr;
    }
}

void gfx_restore_screen() {
    if (!g_back_dib || !g_background_dib) return;
    std::memcpy(g_back_dib, g_background_dib, SCREEN_DIB_SIZE);
}

void gfx_screen_reset() {
    g_view_rect = {16, 0, 624, 384};
    g_view_offset = {0, 0};
    g_btl_jolt = 0;
    gfx_free_presentation();
}
