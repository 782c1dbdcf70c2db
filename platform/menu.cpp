// Window and menu toolkit.
#include "platform/menu.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/text.h"

uint8_t* g_sheet_winchip = nullptr;
uint8_t* g_sheet_cursor = nullptr;
uint8_t* g_sheet_icons = nullptr;
int32_t g_menu_chip_set = 0;
int32_t g_screen_cols = MENU_SCREEN_COLS;
HitRect g_hit_rects[MENU_HIT_RECTS];

namespace {

// Puts a saved area back and frees it when the dialog that took it is left
// by an unwinding quit; the normal paths release it at their own moment.
struct SavedGuard {
    SavedRect* saved;
    ~SavedGuard() { gfx_restore_rect_free(saved); }
    SavedRect* release() {
        SavedRect* s = saved;
        saved = nullptr;
        return s;
    }
};

}  // namespace

// --- saved rectangles -------------------------------------------------------

SavedRect* gfx_save_rect(int32_t col, int32_t y, int32_t wcols, int32_t h) {
    // Only the part inside the image is kept, so that neither the save nor
    // the restore touches anything outside it.
    const int64_t left = int64_t{col} * 8, top = y;
    const int64_t right = left + int64_t{std::max(wcols, 0)} * 8, bottom = top + std::max(h, 0);
    const int64_t x0 = std::clamp<int64_t>(left, 0, SCREEN_W), x1 = std::clamp<int64_t>(right, 0, SCREEN_W);
    const int64_t y0 = std::clamp<int64_t>(top, 0, SCREEN_H), y1 = std::clamp<int64_t>(bottom, 0, SCREEN_H);
    auto* s = new (std::nothrow) SavedRect{};
    if (!s) return nullptr;
    s->x = static_cast<int32_t>(x0);
    s->y = static_cast<int32_t>(y0);
    s->w = g_back_dib ? static_cast<int32_t>(std::max<int64_t>(x1 - x0, 0)) : 0;
    s->h = g_back_dib ? static_cast<int32_t>(std::max<int64_t>(y1 - y0, 0)) : 0;
    try {
        s->pixels.resize(static_cast<size_t>(s->w) * s->h);
    } catch (const std::bad_alloc&) {
        delete s;
        return nullptr;
    }
    for (int32_t k = 0; k < s->h; ++k)
        std::memcpy(s->pixels.data() + static_cast<size_t>(k) * s->w, gfx_screen_pixel(g_back_dib, s->x, s->y + k),
                    static_cast<size_t>(s->w));
    return s;
}

void gfx_restore_rect(int32_t flag, int32_t, SavedRect* s) {
    if (flag >= 0 || !s || !g_back_dib) return;
    if (s->w <= 0 || s->h <= 0 || s->x < 0 || s->y < 0 || s->x + s->w > SCREEN_W || s->y + s->h > SCREEN_H ||
        s->pixels.size() != static_cast<size_t>(s->w) * s->h)
        return;
    for (int32_t k = 0; k < s->h; ++k)
        std::memcpy(gfx_screen_pixel(g_back_dib, s->x, s->y + k), s->pixels.data() + static_cast<size_t>(k) * s->w,
                    static_cast<size_t>(s->w));
}

void gfx_restore_rect_free(SavedRect* s) {
    if (!s) return;
    gfx_restore_rect(-1, 0, s);
    delete s;
}

// --- interface sheets ---------------------------------------------------------

void gfx_load_ui_sheets() {
    g_sheet_winchip = file_load_data("a:winchip.gem");
    if (!g_sheet_winchip) util_memory_error();
    g_sheet_cursor = file_load_data("a:mcsrfont.gem");
    if (!g_sheet_cursor) util_memory_error();
    g_sheet_icons = file_load_data("a:iconchip.gem");
    if (!g_sheet_icons) util_memory_error();
    gfx_restore_screen();
}

void gfx_free_ui_sheets() {
    std::free(g_sheet_icons);
    std::free(g_sheet_cursor);
    std::free(g_sheet_winchip);
    g_sheet_icons = g_sheet_cursor = g_sheet_winchip = nullptr;
}

// --- window frames and hit rectangles ------------------------------------------

void menu_draw_window(int32_t col, int32_t row, int32_t w, int32_t h) {
    if (col == -1) col = (g_screen_cols - w) / 2;
    if (row == -1) row = (20 - h) / 2;
    // One frame line: two left chips, w middle chips alternating from the
    // first of their pair, two right chips; first is the line's first chip.
    auto frame_line = [&](int32_t y, int32_t first) {
        gfx_draw_window_chip(col - 2, y, 0, 0, first);
        gfx_draw_window_chip(col - 1, y, 0, 0, first + 1);
        for (int32_t i = 0; i < w; ++i) gfx_draw_window_chip(col + i, y, 0, 0, first + 2 + (i & 1));
        gfx_draw_window_chip(col + w, y, 0, 0, first + 4);
        gfx_draw_window_chip(col + w + 1, y, 0, 0, first + 5);
    };
    frame_line((row - 1) * MENU_ROW_H, 0);
    for (int32_t j = 0; j < h; ++j) frame_line((row + j) * MENU_ROW_H, 6);
    frame_line((row + h) * MENU_ROW_H, 12);
    sys_invalidate(g_hwnd_game);
}

void menu_clear_hit_rects() {
    for (HitRect& e : g_hit_rects) e = HitRect{HIT_RECT_FREE, 0, 0, 0, 0, nullptr};
}

void menu_set_hit_rect(int32_t n, int32_t x, int32_t y, int32_t w, int32_t h, HitCallback callback) {
    if (n < 0 || n >= MENU_HIT_RECTS) return;
    g_hit_rects[n] = HitRect{static_cast<uint32_t>(n), x, y, x + w - 1, y + h - 1, callback};
}

void menu_hover_box_dark(int32_t selected, const HitRect* e) {
    if (!e) return;
    gfx_recolour_pattern(e->x1 / 8, e->y1, (e->x2 - e->x1 + 1) / 8, e->y2 - e->y1 + 1, -1, selected ? 8 : 11, 170);
}

void menu_hover_box_light(int32_t selected, const HitRect* e) {
    if (!e) return;
    gfx_recolour_pattern(e->x1 / 8, e->y1, (e->x2 - e->x1 + 1) / 8, e->y2 - e->y1 + 1, selected ? 2 : 14, 255, 255);
}

// --- the mouse loop ----------------------------------------------------------------

int32_t menu_run(int32_t cancel_allowed, HitRect* table, int32_t count) {
    if (!table) {
        table = g_hit_rects;
        count = std::min(count, MENU_HIT_RECTS);
    }
    count = std::max(count, 0);
    const int32_t was_visible = win_get_mouse_pos(&g_mouse_x, &g_mouse_y);
    int32_t x, y;
    win_poll_click(0, 0, &x, &y);
    win_poll_click(1, 0, &x, &y);
    win_cursor_flag_on();
    g_tick_counter = 0;
    int32_t hovered = -1;
    int32_t result;
    for (;;) {
        if (cancel_allowed && win_poll_click(1, 0, &x, &y) > 0) {
            snd_play_effect(SFX_CLICK);
            result = -1;
            break;
        }
        const bool pressed = win_poll_click(0, 0, &g_mouse_x, &g_mouse_y) > 0;
        if (!pressed) win_get_mouse_pos(&g_mouse_x, &g_mouse_y);
        int32_t found = -1;
        for (int32_t i = 0; i < count; ++i) {
            const HitRect& e = table[i];
            if (e.id != HIT_RECT_FREE && g_mouse_x >= e.x1 && g_mouse_x <= e.x2 && g_mouse_y >= e.y1 &&
                g_mouse_y <= e.y2) {
                found = i;
                break;
            }
        }
        if (found != hovered) {
            win_cursor_flag_off();
            if (hovered >= 0 && table[hovered].callback) table[hovered].callback(0, &table[hovered]);
            hovered = found;
            if (hovered >= 0 && table[hovered].callback) table[hovered].callback(1, &table[hovered]);
            win_cursor_flag_on();
            sys_invalidate(g_hwnd_game);
        }
        if (pressed && found >= 0) {
            snd_play_effect(SFX_CLICK);
            result = found;
            break;
        }
    }
    win_cursor_flag_off();
    if (hovered >= 0 && table[hovered].callback) table[hovered].callback(0, &table[hovered]);
    if (was_visible) win_cursor_flag_on();
    win_poll_click(0, 0, &x, &y);
    win_poll_click(1, 0, &x, &y);
    return result;
}

// --- the prompt ---------------------------------------------------------------------

namespace {

// A prompt text with its braces taken out: the text to draw, its width in
// columns and the columns where each choice starts and ends.
struct PromptLayout {
    char text[MENU_PROMPT_TEXT_MAX + 1];
    int32_t width;
    int32_t choices;
    int32_t start[MENU_PROMPT_CHOICES];
    int32_t end[MENU_PROMPT_CHOICES];
    bool keep;  // the text began with "*"
};

void prompt_scan(const char* src, PromptLayout* p) {
    p->width = 0;
    p->choices = 0;
    p->keep = false;
    if (!src) src = "";
    if (*src == '*') {
        p->keep = true;
        ++src;
    }
    // At most MENU_PROMPT_TEXT_MAX bytes of the source are read, and all of
    // them but the braces are kept; a two-byte code is kept whole or not at
    // all.
    const size_t src_max = MENU_PROMPT_TEXT_MAX;
    const size_t out_max = MENU_PROMPT_TEXT_MAX;
    size_t i = 0, n = 0;
    bool open = false;
    int32_t open_at = 0;
    while (i < src_max && src[i] != 0) {
        const auto b = static_cast<uint8_t>(src[i]);
        if (b == '{') {
            open = true;
            open_at = p->width;
            ++i;
        } else if (b == '}') {
            if (open && p->choices < MENU_PROMPT_CHOICES) {
                p->start[p->choices] = open_at;
                p->end[p->choices] = p->width;
                ++p->choices;
            }
            open = false;
            ++i;
        } else if ((b >= 161 && b <= 200) || b == '/') {
            // Two bytes that go together: a double-byte character (2
            // columns) or a markup code ("//" 1 column, any other 0).
            if (i + 1 >= src_max || src[i + 1] == 0 || n + 2 > out_max) break;
            if (b == '/')
                p->width += src[i + 1] == '/' ? 1 : 0;
            else
                p->width += 2;
            p->text[n++] = src[i];
            p->text[n++] = src[i + 1];
            i += 2;
        } else {
            if (n + 1 > out_max) break;
            p->text[n++] = src[i];
            p->width += 1;
            ++i;
        }
    }
    p->text[n] = 0;
    // A choice still open runs to the end of the text.
    if (open && p->choices < MENU_PROMPT_CHOICES) {
        p->start[p->choices] = open_at;
        p->end[p->choices] = p->width;
        ++p->choices;
    }
}

// Centres the prompt when col is -1, saves the area under its window and
// draws the window and the text. The saved area is null (after the memory
// box) when it could not be taken.
SavedRect* prompt_show(int32_t* col, int32_t row, const PromptLayout& p) {
    if (*col == -1) *col = (g_screen_cols - p.width) / 2;
    SavedRect* saved = gfx_save_rect(*col - 2, (row - 1) * MENU_ROW_H, p.width + 5, 60);
    if (!saved) util_memory_error();
    menu_draw_window(*col, row, p.width, 1);
    txt_draw_string(*col, row, p.text, 15);
    return saved;
}

}  // namespace

int32_t menu_prompt(int32_t col, int32_t row, const char* text, int32_t default_choice) {
    int32_t mouse_x, mouse_y;
    win_get_mouse_pos(&mouse_x, &mouse_y);
    if (row == -1) row = 9;
    PromptLayout p;
    prompt_scan(text, &p);
    SavedGuard saved{prompt_show(&col, row, p)};
    if (p.keep) {
        // Shown without waiting: the window stays until the caller redraws.
        delete saved.release();
        return 0;
    }
    int32_t result;
    if (p.choices > 0) {
        HitRect rects[MENU_PROMPT_CHOICES];
        for (int32_t n = 0; n < p.choices; ++n)
            rects[n] = HitRect{
                static_cast<uint32_t>(n),          (col + p.start[n]) * 8, row * MENU_ROW_H, (col + p.end[n]) * 8 - 1,
                row * MENU_ROW_H + MENU_ROW_H - 1, menu_hover_box_dark};
        if (default_choice >= 0 && default_choice < p.choices) {
            const HitRect& d = rects[default_choice];
            win_set_mouse_pos((d.x1 + d.x2) / 2, (d.y1 + d.y2) / 2);
        }
        result = menu_run(1, rects, p.choices);
    } else {
        result = win_wait_click_blink();
    }
    gfx_restore_rect_free(saved.release());
    win_set_mouse_pos(mouse_x, mouse_y);
    return result;
}

SavedRect* menu_prompt_keep(int32_t col, int32_t row, const char* text) {
    if (row == -1) row = 9;
    PromptLayout p;
    prompt_scan(text, &p);
    return prompt_show(&col, row, p);
}

// --- the list menu ------------------------------------------------------------------

int32_t menu_list_select(int32_t col, int32_t row, const char* const* list, int32_t start, int32_t cancel_allowed) {
    int32_t n = 0, w = 0;
    while (list && n < MENU_LIST_MAX && list[n]) {
        w = std::max(w, static_cast<int32_t>(std::min<size_t>(std::strlen(list[n]), MENU_SCREEN_COLS)));
        ++n;
    }
    if (n == 0) return -1;  // nothing to choose from
    if (col == -1) col = (g_screen_cols - w) / 2;
    if (row == -1) row = (20 - n) / 2;
    int32_t c = std::max(col, 4);
    if (78 <= c + w + 5) c = 73 - w;
    int32_t r = std::max(row, 1);
    if (r >= 21)
        r = 19 - n;
    else if (r + n + 1 >= 19)
        r = 18 - n;
    // A menu too large for the screen starts at its top left corner rather
    // than above or left of the image.
    c = std::max(c, 4);
    r = std::max(r, 1);

    SavedGuard saved{gfx_save_rect(c - 2, (r - 1) * MENU_ROW_H, w + 5, (n + 2) * MENU_ROW_H)};
    if (!saved.saved) util_memory_error();
    g_menu_chip_set = 1;
    menu_draw_window(c, r, w, n);
    HitRect items[MENU_LIST_MAX];
    for (int32_t i = 0; i < n; ++i) {
        items[i] = HitRect{static_cast<uint32_t>(i),     c * 8,
                           (r + i) * MENU_ROW_H,         (c + w) * 8 - 1,
                           (r + i + 1) * MENU_ROW_H - 1, menu_hover_box_dark};
        txt_draw_string(c, r + i, list[i], 15);
    }
    if (start >= 0 && start < n)
        win_set_mouse_pos((items[start].x1 + items[start].x2) / 2, (items[start].y1 + items[start].y2) / 2);
    const int32_t result = menu_run(cancel_allowed, items, n);
    auto wait = [] {
        g_redraw_pending = 1;
        win_wait_ms();
    };
    wait();
    wait();
    gfx_restore_rect_free(saved.release());
    wait();
    g_menu_chip_set = 0;
    wait();
    return result;
}

void menu_reset() {
    g_menu_chip_set = 0;
    g_screen_cols = MENU_SCREEN_COLS;
    menu_clear_hit_rects();
}
