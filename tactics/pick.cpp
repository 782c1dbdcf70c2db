// Cell picking and the map cursor.
#include "tactics/pick.h"

#include <algorithm>
#include <vector>

#include "battle/battle.h"
#include "platform/draw.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "story/hooks.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/status.h"
#include "tactics/turn.h"
#include "tactics/units.h"

int32_t g_cell_cursor_x = -1, g_cell_cursor_y = -1;

namespace {

constexpr int32_t VIEW_LEFT = 16;
constexpr int32_t VIEW_BOTTOM = 384;  // lines from 384 down belong to other screens
constexpr int32_t SCREEN_RIGHT = 80 * 8;

// Edge codes, also the cursor shapes shown with them.
constexpr int32_t EDGE_NONE = 0, EDGE_LEFT = 1, EDGE_RIGHT = 2, EDGE_UP = 3, EDGE_DOWN = 4;
constexpr int32_t EDGE_OFF_VIEW = -1;

// One scroll step of the view toward an edge; 0 at the map's edge.
int32_t scroll_toward(int32_t edge) {
    switch (edge) {
        case EDGE_LEFT: return map_scroll_left();
        case EDGE_RIGHT: return map_scroll_right();
        case EDGE_UP: return map_scroll_up(0);
        case EDGE_DOWN: return map_scroll_down(0);
        default: return 0;
    }
}

// Whether the mode lets the cell under the mouse be pointed at. Cells off
// the map (a map smaller than the view) are never allowed.
bool cell_allowed(int32_t mode, int32_t x, int32_t y) {
    if (!map_on_map(x, y)) return false;
    const int32_t i = y * MAP_SIDE + x;
    switch (mode) {
        case PICK_ANY: return true;
        case PICK_UNMARKED: return !(g_map.cells[i] & MAP_MARK) || unit_at_cell(x, y) != nullptr;
        case PICK_HIGHLIGHT: return (g_occupancy.cells[i] & (OCC_MARK_A | OCC_MARK_B)) != 0;
        default: return false;
    }
}

// The multi-cell boss: every part shows the lowest HP of the parts next to
// it, so pointing at one part lowers its HP to that of a weaker neighbour.
void sync_multi_cell_hp(UnitRecord* u) {
    static constexpr int32_t NEAR_OFFSETS[8][2] = {{1, 0}, {2, 0}, {-1, 0}, {-2, 0}, {0, 1}, {0, 2}, {0, -1}, {0, -2}};
    for (const auto& o : NEAR_OFFSETS) {
        const int32_t x = u->x + o[0], y = u->y + o[1];
        if (!map_on_map(x, y)) continue;
        const UnitRecord* p = unit_at_cell(x, y);
        if (p && p->stats.class_id == CLASS_LAST_FORM && p->stats.char_id == u->stats.char_id &&
            p->stats.max_hp == u->stats.max_hp)
            u->stats.hp = std::min(u->stats.hp, p->stats.hp);
    }
}

// Pixels of the back image under the zoom frame's four edges.
struct FrameEdges {
    int32_t x = -1, y = -1;  // corner, -1 when nothing is saved
    std::vector<uint8_t> pixels;
};

constexpr int32_t FRAME_W = 304, FRAME_H = 192, FRAME_EDGE = 2;

// Calls f(x, y) for every pixel of the frame's two-pixel edges.
template <typename F>
void for_edge_pixels(int32_t x0, int32_t y0, F f) {
    for (int32_t y = y0; y < y0 + FRAME_H; ++y) {
        const bool band = y < y0 + FRAME_EDGE || y >= y0 + FRAME_H - FRAME_EDGE;
        for (int32_t x = x0; x < x0 + FRAME_W; ++x)
            if (band || x < x0 + FRAME_EDGE || x >= x0 + FRAME_W - FRAME_EDGE) f(x, y);
    }
}

bool on_image(int32_t x, int32_t y) { return x >= 0 && x < SCREEN_W && y >= 0 && y < SCREEN_H; }

void frame_save(FrameEdges& e, int32_t x0, int32_t y0) {
    e.x = x0;
    e.y = y0;
    e.pixels.clear();
    for_edge_pixels(x0, y0, [&](int32_t x, int32_t y) {
        e.pixels.push_back(on_image(x, y) ? *gfx_screen_pixel(g_back_dib, x, y) : 0);
    });
}

void frame_restore(FrameEdges& e) {
    if (e.x < 0) return;
    size_t i = 0;
    for_edge_pixels(e.x, e.y, [&](int32_t x, int32_t y) {
        const uint8_t v = e.pixels[i++];
        if (on_image(x, y)) *gfx_screen_pixel(g_back_dib, x, y) = v;
    });
    e.x = e.y = -1;
}

void hline(int32_t x1, int32_t x2, int32_t y, int32_t colour) { gfx_fill_rect(x1, y, x2, y, colour); }
void vline(int32_t x, int32_t y1, int32_t y2, int32_t colour) { gfx_fill_rect(x, y1, x, y2, colour); }

// White lines along the top and left and, two pixels in, along the right
// and bottom; black just inside the top and left and along the outer right
// and bottom.
void frame_draw(int32_t x0, int32_t y0) {
    const int32_t x1 = x0 + FRAME_W - 1, y1 = y0 + FRAME_H - 1;
    hline(x0, x1 - 1, y0, 15);
    vline(x0, y0, y1 - 1, 15);
    hline(x0 + 1, x1 - 1, y0 + 1, 0);
    vline(x0 + 1, y0 + 1, y1 - 1, 0);
    vline(x1 - 1, y0 + 1, y1 - 1, 15);
    hline(x0 + 1, x1 - 1, y1 - 1, 15);
    vline(x1, y0, y1, 0);
    hline(x0, x1, y1, 0);
}

}  // namespace

void map_move_cell_cursor(int32_t vx, int32_t vy, int32_t) {
    const int32_t was_visible = g_cursor_visible;
    win_cursor_flag_off();
    if (g_cell_cursor_x != -1) {
        map_redraw_cell_view(g_cell_cursor_x, g_cell_cursor_y);
        if (g_zoom == 1) {
            // The popup lies over the two cells beside the cursor.
            const int32_t d = g_cell_cursor_x >= g_view_cols - 2 ? -1 : 1;
            map_redraw_cell_view(g_cell_cursor_x + d, g_cell_cursor_y);
            map_redraw_cell_view(g_cell_cursor_x + 2 * d, g_cell_cursor_y);
        }
    }
    if (vx != -1) {
        int32_t col = 0, y = 0;
        map_cell_to_screen(vx, vy, &col, &y);
        gfx_draw_icon(col, y, g_zoom == 1 ? 0 : 1);
        UnitRecord* u = g_zoom == 1 ? unit_at_cell(g_view_x + vx, g_view_y + vy) : nullptr;
        if (u) {
            sync_multi_cell_hp(u);
            if (u->stats.ai_mode != AI_MODE_DORMANT) {
                const int32_t cell_x = col * 8;
                g_text_x = vx >= g_view_cols - 2 ? cell_x - 64 : cell_x + g_cell_w8 * 8 + 4;
                g_text_y = y + 6;
                menu_draw_hp_fraction(u);
            }
        }
    }
    g_cell_cursor_x = vx;
    g_cell_cursor_y = vx == -1 ? -1 : vy;
    if (was_visible) win_cursor_flag_on();
}

int32_t map_pick_cell(int32_t* x, int32_t* y, int32_t mode) {
    const int32_t half_w = g_cell_w8 * 8 / 2, half_h = g_cell_h / 2;
    win_set_cursor_pin(VIEW_LEFT, 0, SCREEN_RIGHT - VIEW_LEFT - half_w, VIEW_BOTTOM - half_h);
    menu_clear_hit_rects();
    win_discard_clicks();
    win_cursor_flag_on();
    int32_t result = 0;
    for (;;) {
        int32_t left = 0, top = 0, right = 639, bottom = 399;
        if (mode != PICK_HIGHLIGHT) {
            left = VIEW_LEFT + (g_view_x > 0 ? half_w : 0);
            top = g_view_y > 0 ? half_h : 0;
            right = SCREEN_RIGHT - VIEW_LEFT - (g_view_x + g_view_cols < map_width() ? 16 : 0);
            bottom = g_view_y + g_view_rows < map_height() ? 368 : VIEW_BOTTOM;
        }
        win_wait_units(1);
        util_random();  // the sequence advances with the player's timing
        int32_t mx = 0, my = 0;
        const int32_t clicked = win_poll_click(0, 0, &mx, &my) > 0;
        if (!clicked) {
            if (win_poll_click(1, 0, &mx, &my) > 0) break;
            win_get_mouse_pos(&mx, &my);
        }
        int32_t edge = EDGE_NONE;
        if (mx < left) edge = EDGE_LEFT;
        if (mx >= right) edge = EDGE_RIGHT;
        if (my < top) edge = EDGE_UP;
        if (my >= bottom && my < VIEW_BOTTOM) edge = EDGE_DOWN;
        if (my >= VIEW_BOTTOM) edge = EDGE_OFF_VIEW;
        int32_t vx = -1, vy = -1;
        bool allowed = false;
        if (edge == EDGE_NONE) {
            map_pixel_to_cell(mx, my, &vx, &vy);
            allowed = cell_allowed(mode, g_view_x + vx, g_view_y + vy);
        }
        win_set_cursor_shape(edge < 0 ? 0 : edge);
        if (!allowed)
            map_move_cell_cursor(-1, 0, mode);
        else if (vx != g_cell_cursor_x || vy != g_cell_cursor_y)
            map_move_cell_cursor(vx, vy, mode);
        if (!clicked) continue;
        if (allowed) {
            const int32_t px = g_view_x + g_cell_cursor_x, py = g_view_y + g_cell_cursor_y;
            // A marked cell with a unit shows its popup but cannot be picked.
            if (mode != PICK_UNMARKED || !(g_map.cells[py * MAP_SIDE + px] & MAP_MARK)) {
                *x = px;
                *y = py;
                result = 1;
                break;
            }
        }
        if (mode == PICK_CLICK && edge <= EDGE_NONE) {
            result = 1;
            break;
        }
        if (edge > EDGE_NONE && mode != PICK_HIGHLIGHT) {
            win_cursor_flag_off();
            // Holding the button goes on scrolling until the map's edge.
            if (scroll_toward(edge))
                while (g_left_held && scroll_toward(edge)) {}
            win_cursor_flag_on();
        }
    }
    win_cursor_flag_off();
    map_move_cell_cursor(-1, 0, mode);
    win_set_cursor_shape(0);
    return result;
}

int32_t map_pick_zoom_frame(int32_t* dx, int32_t* dy, int32_t factor) {
    win_set_cursor_pin(VIEW_LEFT, 0, SCREEN_RIGHT - 17, VIEW_BOTTOM - 1);
    FrameEdges saved;
    int32_t fx = 0, fy = 0, result = 0;
    for (;;) {
        int32_t mx = 0, my = 0;
        const int32_t clicked = win_poll_click(0, 0, &mx, &my) > 0;
        if (!clicked) {
            if (win_poll_click(1, 0, &mx, &my) > 0) break;
            win_get_mouse_pos(&mx, &my);
        }
        fx = std::clamp((mx - VIEW_LEFT - FRAME_W / 2) / 16, 0, 19);
        fy = std::clamp((my - FRAME_H / 2) / 16, 0, 12);
        const int32_t cx = VIEW_LEFT + 16 * fx, cy = 16 * fy;
        const bool moved = cx != saved.x || cy != saved.y;
        if (moved) {
            frame_restore(saved);
            frame_save(saved, cx, cy);
            frame_draw(cx, cy);
            sys_invalidate(g_hwnd_game);
        } else if (clicked) {
            result = 1;
            break;
        }
    }
    frame_restore(saved);
    sys_invalidate(g_hwnd_game);
    *dx = fx * factor;
    *dy = fy * factor;
    return result;
}

void map_pick_reset() { g_cell_cursor_x = g_cell_cursor_y = -1; }
