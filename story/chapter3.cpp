// Chapter 3 (stages 16 to 21): the stage scenes and where the party starts,
// the turn-start events, the goal of stage 21, the bosses and their ends,
// and the vision that opens stage 21 with its two drawing effects.
#include "story/chapter3.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "story/chapter_shared.h"
#include "story/chapters.h"
#include "story/hooks.h"
#include "story/scene_steps.h"
#include "tactics/game.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/turn.h"
#include "tactics/units.h"

namespace {

constexpr uint32_t DEBUG_SKIP_SCENES = 0x400;
constexpr int32_t STAGE20_GIFT = 58;
constexpr int32_t GOAL21_X = 19, GOAL21_Y = 3;
// Every scripted loop that waits on something moving stops after this many
// steps, whatever happens.
constexpr int32_t LOOP_BOUND = 2000;

UnitRecord* member(int32_t char_id) { return unit_find_by_char_id(char_id); }

int32_t class_of(int32_t char_id) {
    const UnitRecord* u = member(char_id);
    return u ? u->stats.class_id : -1;
}

// --- placement lists -----------------------------------------------------------------

const PlacementEntry STAGE_16[] = {{1, 19, 28}, {2, 20, 28}, {3, 18, 29}, {4, 20, 29},
                                   {5, 18, 28}, {6, 19, 29}, {-1, 0, 0}};
const PlacementEntry STAGE_17_SCENE[] = {{1, 8, 9},  {2, 10, 9}, {3, 8, 10}, {4, 10, 10},
                                         {5, 9, 10}, {6, 9, 9},  {-1, 0, 0}};
const PlacementEntry STAGE_17[] = {{1, 22, 28}, {2, 23, 28}, {3, 21, 29}, {4, 23, 29},
                                   {5, 21, 28}, {6, 22, 29}, {-1, 0, 0}};
const PlacementEntry STAGE_18_SCENE[] = {{1, 17, 3}, {2, 18, 4}, {3, 16, 4}, {4, 18, 3},
                                         {5, 16, 3}, {6, 17, 4}, {7, 17, 5}, {-1, 0, 0}};
const PlacementEntry STAGE_18[] = {{1, 20, 28}, {2, 21, 28}, {3, 19, 29}, {4, 21, 29},
                                   {5, 19, 28}, {6, 20, 29}, {7, 20, 30}, {-1, 0, 0}};
const PlacementEntry STAGE_19[] = {{1, 37, 8}, {2, 37, 7}, {3, 38, 9}, {4, 38, 7},
                                   {5, 38, 8}, {6, 37, 9}, {7, 39, 8}, {-1, 0, 0}};
const PlacementEntry STAGE_20[] = {{1, 34, 15}, {2, 34, 14}, {3, 35, 16}, {4, 35, 14},
                                   {5, 35, 15}, {6, 34, 16}, {7, 36, 15}, {-1, 0, 0}};
const PlacementEntry STAGE_21[] = {{1, 19, 29}, {2, 20, 29}, {3, 19, 30}, {4, 21, 29},
                                   {5, 18, 29}, {6, 20, 30}, {7, 18, 30}, {-1, 0, 0}};
const PlacementEntry VISION_1[] = {{1, 9, 8}, {2, 8, 8},  {3, 10, 8}, {4, 8, 9},
                                   {5, 9, 9}, {6, 10, 9}, {7, 9, 10}, {-1, 0, 0}};
const PlacementEntry VISION_2[] = {{2, 8, 8}, {3, 10, 8}, {4, 11, 10}, {5, 10, 10}, {6, 7, 9}, {7, 8, 10}, {-1, 0, 0}};
const PlacementEntry VISION_3[] = {{1, 8, 5}, {2, 9, 5},  {6, 10, 5}, {3, 8, 6},
                                   {4, 9, 6}, {5, 10, 6}, {7, 9, 7},  {-1, 0, 0}};
const PlacementEntry VISION_5[] = {{1, 8, 16}, {2, 9, 17}, {6, 10, 16}, {3, 9, 14},
                                   {4, 9, 15}, {5, 8, 15}, {7, 10, 14}, {-1, 0, 0}};

// --- scene helpers --------------------------------------------------------------------

// Frame `frame` of walk sheet `sheet` for a class; the view is redrawn.
void pose_from_sheet(int32_t sheet_no, int32_t class_id, int32_t frame) {
    if (class_id < 0) return;
    {
        const MapWalkSheet sheet(sheet_no);
        if (!sheet) return;
        map_patch_class_sprite(class_id, frame);
    }
    map_redraw_view();
}

// The standing frame of each party member by who it is.
int32_t standing_frame_of(int32_t char_id) {
    switch (char_id) {
        case CHAR_SECOND_LEADER: return 4;
        case CHAR_WINIA: return 7;
        case CHAR_AARON:
        case CHAR_NOS: return 10;
        default: return 1;
    }
}

void wait_fade() {
    for (int32_t n = 0; g_fade_running && n < LOOP_BOUND; ++n) win_wait_units(1);
}

// Resets the tick counter's wait: waits until it reaches `count`.
void wait_ticks_from_now(int32_t count) {
    g_tick_counter = 0;
    for (int32_t n = 0; g_tick_counter < count && n < LOOP_BOUND * 4; ++n) win_wait_units(1);
}
void wait_ticks_until(int32_t count) {
    for (int32_t n = 0; g_tick_counter < count && n < LOOP_BOUND * 4; ++n) win_wait_units(1);
}

// Frame pacing: k frame ticks a frame, measured from the frame's start.
void pace(uint32_t start, int32_t k) {
    const int32_t e = static_cast<int32_t>(sys_tick_count() - start) / 16;
    win_wait_units(e < k ? k - e : 1);
}

// Shows colours 0..15 at once.
void colours_at_once(const Palette16* p) { gfx_fade_start(p, 0); }
void text_screen() {
    gfx_clear_screen();
    colours_at_once(&g_default_palette);
}

// --- story pictures -------------------------------------------------------------------

constexpr int32_t SHEET_W = 640, SHEET_H = 400, FRAME_W = 320, FRAME_H = 200;
constexpr int32_t STILL_X = 160, STILL_Y = 100;
enum Quarter { TL = 0, TR = 1, BL = 2, BR = 3 };

int32_t memory_row(int32_t y, int32_t h) { return SCREEN_H - y - h; }

// Copies w x h pixels of a picture from (sx, sy) to line y, column x of a
// screen image.
void picture_rows_to(uint8_t* screen, int32_t x, int32_t y, const uint8_t* picture, int32_t sx, int32_t sy, int32_t w,
                     int32_t h) {
    int32_t pw = 0, ph = 0;
    const uint8_t* bits = gfx_picture_bits(picture, &pw, &ph);
    if (!bits || sx < 0 || sy < 0 || sx + w > pw || sy + h > ph) return;
    for (int32_t j = 0; j < h; ++j) {
        if (y + j < 0 || y + j >= SCREEN_H) continue;
        std::memcpy(gfx_screen_pixel(screen, x, y + j), bits + static_cast<size_t>(ph - 1 - (sy + j)) * pw + sx,
                    static_cast<size_t>(w));
    }
}

// A frame sheet into a screen image; 1 done, 0 refused.
int32_t load_sheet(const char* name, uint8_t* screen, Palette16* colours) {
    const HeapBlock p = scn_load_story_picture(name, SHEET_W, SHEET_H);
    if (!p) return 0;
    picture_rows_to(screen, 0, 0, p.get(), 0, 0, SHEET_W, SHEET_H);
    if (colours) *colours = scn_picture_colours(p.get());
    return 1;
}

// w x 200 pixels of a sheet held in a screen image from (sx, sy) at (x, y).
void draw_window(const uint8_t* sheet, int32_t sx, int32_t sy, int32_t x, int32_t y) {
    gfx_copy_rect(g_back_dib, x, memory_row(y, FRAME_H), sheet, sx, memory_row(sy, FRAME_H), FRAME_W, FRAME_H);
}
void draw_frame(const uint8_t* sheet, int32_t q, int32_t x, int32_t y) {
    draw_window(sheet, (q % 2) * FRAME_W, (q / 2) * FRAME_H, x, y);
}

}  // namespace

// --- the effects of the vision ---------------------------------------------------------------

void scn_ch3_fx_flash_circle(int32_t cx, int32_t cy) {
    for (int32_t s = 0; s < 90; ++s) {
        const int32_t r = static_cast<int32_t>(200.0 * std::sin(s * 2 * 3.1416 / 360)) + 1;
        int32_t d = r, x = r, y = 0;
        while (x >= y) {
            gfx_fill_span(cx - x, cy - y, cx + x, 15);
            gfx_fill_span(cx - y, cy - x, cx + y, 15);
            gfx_fill_span(cx - x, cy + y / 2, cx + x, 15);
            gfx_fill_span(cx - y, cy + x / 2, cx + y, 15);
            d -= 2 * y - 1;
            ++y;
            if (d < 0) {
                d += 2 * x;
                --x;
            }
        }
        wait_ticks_from_now(1);
        if (s == 20) gfx_fade_to(&g_white_palette, 4);
    }
}

void scn_ch3_fx_fill_ellipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry) {
    if (rx < 1 || ry < 1) return;
    // Half widths by row offset; each row keeps the first value it gets.
    std::unique_ptr<int32_t[]> half(new int32_t[static_cast<size_t>(ry)]);
    for (int32_t k = 0; k < ry; ++k) half[static_cast<size_t>(k)] = -1;
    auto set = [&](int32_t row, int32_t w) {
        if (row >= 0 && row < ry && half[static_cast<size_t>(row)] < 0) half[static_cast<size_t>(row)] = w * rx / ry;
    };
    int32_t d = ry, x = ry, y = 0;
    while (x >= y) {
        set(y, x);
        set(x, y);
        d -= 2 * y - 1;
        ++y;
        if (d < 0) {
            d += 2 * x;
            --x;
        }
    }
    for (int32_t k = 0; k < ry; ++k) {
        const int32_t w = half[static_cast<size_t>(k)];
        if (w < 0) continue;
        gfx_fill_span(cx - w, cy - k, cx + w, GFX_KEY_COLOUR);
        if (k != 0) gfx_fill_span(cx - w, cy + k, cx + w, GFX_KEY_COLOUR);
    }
}

namespace {

// --- stage scenes ---------------------------------------------------------------------

void stage17() {
    scn_scene_map(55, 6, STAGE_17_SCENE);
    scn_pose_party(10);
    snd_play_music(10);
    UnitRecord* guest = scn_extra(10, 9, 5);
    if (guest) map_center_view_on(guest->x, guest->y);
    scn_fade_in(2);
    scn_wait(30);
    scn_message(48);
    scn_walk(guest, 2, 3);
    scn_message(49);
    scn_wait(60);
    scn_message(50);
    scn_scene_close(STAGE_17);
}

void stage18() {
    const int32_t prev = g_stage_index - 1;
    scn_scene_map(prev, g_stage_tileset[static_cast<size_t>(prev)], STAGE_18_SCENE);
    snd_play_music(g_stage_music[static_cast<size_t>(prev)]);
    scn_pose_party(10);
    UnitRecord* caller = scn_extra(26, 17, 1);
    scn_fade_in(2);
    scn_message(97);
    snd_play_effect(SFX_VANISH);
    scn_leave(caller);
    scn_wait(30);
    scn_message(98);
    for (int32_t s = 0; s < UNIT_SLOTS; ++s) {
        const UnitRecord& u = g_units[static_cast<size_t>(s)];
        if (u.number != 0) map_apply_walk_sprite(u.stats.class_id, standing_frame_of(u.stats.char_id));
    }
    map_redraw_view();
    scn_walk(member(CHAR_LEADER), 0, 2);
    scn_wait(30);
    scn_message(99);
    if (UnitRecord* sixth = member(CHAR_AARON)) {
        sixth->stats.class_id = CLASS_WIZARD;
        sixth->stats.weapon = 0;
        sixth->equipped_slot = 0xFFFF;
        map_redraw_cell_abs(sixth->x, sixth->y);
    }
    scn_white_flash(4);
    scn_wait(60);
    scn_message(100);
    scn_scene_close(STAGE_18);
}

void stage19() {
    scn_stage_map(18, STAGE_19);
    scn_centre_on_char(CHAR_LEADER);
    scn_play_stage_music();
    scn_fade_in(2);
    scn_message(48);
    UnitRecord* knight = scn_extra(50, 33, 7);
    scn_extra(49, 33, 8);
    scn_wait(30);
    snd_play_effect(SFX_VANISH);
    scn_wait(30);
    scn_message(49);
    scn_wait(30);
    snd_play_effect(SFX_VANISH);
    scn_leave(knight);
    scn_wait(30);
    scn_message(50);
    scn_scene_close(STAGE_19);
}

// --- the vision of stage 21 ----------------------------------------------------------------

void vision_dream() {
    scn_scene_map(56, 0, VISION_1);
    scn_pose_party(10);
    scn_centre_on_char(CHAR_LEADER);
    snd_play_music(10);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(97);
    scn_message(98, "???");
    snd_play_music(-1);
    unit_load_stage_units(47, 1);
    map_redraw_view();
    snd_play_effect(SFX_VANISH);
    scn_wait(60);
    snd_play_music(11);
    scn_message(99);
    scn_walk(member(CHAR_LEADER), 0, 3);
    scn_message(100);
    pose_from_sheet(98, class_of(CHAR_LEADER), 11);
    scn_white_flash(4);
    scn_wait(30);
    scn_message(101);
    scn_wait(60);
    scn_message(102);
    for (int32_t frame : {1, 4, 7, 10}) {
        scn_pose(class_of(CHAR_SECOND_LEADER), frame);
        scn_wait(4);
    }
    scn_message(103);
    scn_white_flash(1);
    if (const UnitRecord* second = member(CHAR_SECOND_LEADER)) {
        UnitRecord* spirit = scn_extra(61, second->x, second->y - 1);
        for (int32_t f = 3; f <= 9; ++f) {
            scn_pose(61, f);
            scn_wait(4);
        }
        scn_leave(spirit);
    }
    scn_wait(60);
    scn_white_flash(1);
    for (int32_t f = 0; f <= 11; ++f) {
        pose_from_sheet(99, class_of(CHAR_GELDA), f);
        scn_wait(4);
    }
    scn_message(104);
    g_lightning = 1;
    scn_message(105);
    g_lightning = 0;

    // The party is thrown apart.
    {
        const MapWalkSheet sheet(97);
        for (int32_t s = 0; s < UNIT_SLOTS; ++s) {
            UnitRecord& u = g_units[static_cast<size_t>(s)];
            if (u.number == 0 || u.stats.char_id == CHAR_LEADER) continue;
            if (sheet) map_patch_class_sprite(u.stats.class_id, s);
            scn_off_grid(&u);
        }
    }
    scn_place_list(VISION_2);
    gfx_fade_to_wait(&g_white_palette, 4);
    map_redraw_view();
    scn_wait(30);
    snd_play_music(8);
    scn_fade_in(2);
    scn_wait(30);
    scn_message(106);
    scn_pose(class_of(CHAR_SECOND_LEADER), 10);
    scn_wait(30);
    scn_pose(class_of(CHAR_SECOND_LEADER), 11);
    scn_wait(60);
    scn_message(107);
    UnitRecord* hero = scn_extra(14, 9, 11);
    snd_play_music(3);
    scn_walk(hero, 0, 2);
    scn_pose(14, 10);
    scn_message(108);
    scn_walk(hero, 0, 1);
    if (UnitRecord* dark = member(CHAR_GELDA)) {
        dark->stats.class_id = 59;
        map_redraw_cell_abs(dark->x, dark->y);
    }
    scn_white_flash(1);
    scn_wait(30);
    scn_message(109);
    unit_remove_enemies();
    scn_white_flash(8);
    snd_play_music(1);
    scn_walk(hero, 0, 2);
    scn_message(110);
    scn_walk(hero, 1, 1);
    scn_walk(hero, 0, 2);
    scn_message(111);
    gfx_fade_to(nullptr, 4);
    for (int32_t n = 0; n < LOOP_BOUND; ++n) {
        const bool walking = hero && hero->number != 0 && hero->y > 0;
        if (!walking && !g_fade_running) break;
        if (walking)
            scn_walk(hero, 0, 1);
        else
            win_wait_units(1);
    }
    wait_fade();

    // The two who remember.
    scn_scene_map(52, 4, VISION_3);
    scn_pose_party(10);
    scn_extra(61, 9, 2);
    scn_extra(14, 10, 2);
    g_view_x = 0;
    g_view_y = 0;
    map_redraw_view();
    snd_play_music(2);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(65);
    UnitRecord* second = member(CHAR_SECOND_LEADER);
    scn_walk(second, 0, 1);
    gfx_fade_to(nullptr, 2);
    for (int32_t n = 0; n < LOOP_BOUND && g_fade_running; ++n) {
        const int16_t before = second ? second->x : 0;
        if (second) scn_walk(second, 1, 1);
        if (!second || second->x == before) win_wait_units(1);
    }
    text_screen();
    scn_message(66);
    scn_fade_out(4);
    snd_play_music(11);
}

// The stills of the vision's second half.
void vision_stills() {
    text_screen();
    scn_message(67);
    scn_fade_out(4);
    map_free_map_graphics();
    scn_clear_occupancy();

    // The tall picture, panned from its lower to its upper rows.
    constexpr int32_t PAN_W = 448, PAN_H = 260, PAN_ROWS = 520, PAN_X = 96, PAN_Y = 48;
    if (const HeapBlock tall = scn_load_story_picture("d:vis21a.gem", PAN_W, PAN_ROWS)) {
        gfx_clear_screen();
        const Palette16 colours = scn_picture_colours(tall.get());
        gfx_set_scene_palettes(&colours, nullptr, &g_scene_palette);
        picture_rows_to(g_back_dib, PAN_X, PAN_Y, tall.get(), 0, PAN_ROWS - PAN_H, PAN_W, PAN_H);
        gfx_fade_to_wait(&g_default_palette, 6);
        win_wait_units(2);
        for (int32_t f = 1; f <= PAN_ROWS - PAN_H; ++f) {
            const uint32_t start = sys_tick_count();
            picture_rows_to(g_back_dib, PAN_X, PAN_Y, tall.get(), 0, PAN_ROWS - PAN_H - f, PAN_W, PAN_H);
            pace(start, 2);
        }
    }

    g_tick_counter = 0;
    Palette16 b_colours{};
    const int32_t have_b = load_sheet("d:vis21b.gem", g_shadow_dib, &b_colours);
    Palette16 p2{}, p3{};
    const HeapBlock rise = scn_load_story_picture("d:vis21c.gem", FRAME_W, 2 * FRAME_H);
    if (rise) {
        p3 = scn_picture_colours(rise.get());
        p3.colour[14][0] = p3.colour[14][1] = p3.colour[14][2] = 14;
        p2 = p3;
        for (auto& c : p2.colour)
            for (uint8_t& v : c) v = static_cast<uint8_t>(v * 2 / 3);
        picture_rows_to(g_background_dib, 0, 0, rise.get(), 0, 0, FRAME_W, 2 * FRAME_H);
    }
    wait_ticks_until(120);

    if (have_b) {
        scn_fade_out(2);
        gfx_clear_screen();
        gfx_set_scene_palettes(&b_colours, &g_white_palette, &g_scene_palette);
        draw_frame(g_shadow_dib, TL, STILL_X, STILL_Y);
        gfx_fade_to_wait(&g_default_palette, 4);
        static const Quarter CYCLE[4] = {TL, TR, BL, TR};
        for (int32_t k = 0; (k < 100 || g_fade_running) && k < LOOP_BOUND; ++k) {
            const uint32_t start = sys_tick_count();
            draw_frame(g_shadow_dib, CYCLE[k % 4], STILL_X, STILL_Y);
            if (k == 99) gfx_fade_to(&g_white_palette, 4);
            pace(start, 2);
        }
        colours_at_once(&b_colours);
        win_wait_units(1);
        draw_frame(g_shadow_dib, BR, STILL_X, STILL_Y);
        win_wait_units(10);
        colours_at_once(&g_white_palette);
        win_wait_units(1);
    }
    if (rise) {
        gfx_fill_rect(0, 0, SCREEN_W - 1, SCREEN_H - 1, 15);
        win_wait_units(1);
        gfx_set_scene_palettes(&p3, &g_white_palette, &g_white_palette);
        colours_at_once(&g_white_palette);
        win_wait_units(1);
        gfx_clear_screen();
        gfx_copy_rect(g_back_dib, STILL_X, memory_row(STILL_Y, FRAME_H), g_background_dib, 0, memory_row(0, FRAME_H),
                      FRAME_W, FRAME_H);
        gfx_fade_to(&p2, 1);
        // The rising ellipse.
        for (int32_t k = 0; k <= 180; ++k) {
            const double s = std::sin(k * 3.1416 / 360);
            const int32_t rx = static_cast<int32_t>(30 - 30 * s);
            const int32_t ry = static_cast<int32_t>(45 - 45 * s);
            win_wait_units(1);
            gfx_fill_rect(0, 0, SCREEN_W - 1, SCREEN_H - 1, 0);
            const int32_t top = k * FRAME_H / 180;
            gfx_copy_rect(g_back_dib, STILL_X, memory_row(STILL_Y, FRAME_H), g_background_dib, 0,
                          memory_row(top, FRAME_H), FRAME_W, FRAME_H);
            if (k % 2 == 0 && rx >= 1 && ry >= 1) {
                gfx_set_span_origin(STILL_X, STILL_Y);
                scn_ch3_fx_fill_ellipse(158, 90 + k * 54 / 180, rx, ry);
            }
        }
        scn_wait(60);
        colours_at_once(&g_white_palette);
        gfx_fade_to(&p3, 1);
        gfx_set_span_origin(0, 0);
        scn_ch3_fx_flash_circle(318, 244);
    }
    gfx_set_span_origin(0, 0);

    Palette16 d_colours{};
    if (load_sheet("d:vis21d.gem", g_shadow_dib, &d_colours)) {
        // White is shown: the frame fades in from white.
        gfx_set_scene_palettes(&d_colours, &g_white_palette, &g_white_palette);
        gfx_clear_screen();
        draw_frame(g_shadow_dib, BL, STILL_X, STILL_Y);
        g_tick_counter = 0;
        gfx_fade_to_wait(&g_default_palette, 8);
        for (int32_t k = 1; k < 280; ++k) {
            const uint32_t start = sys_tick_count();
            draw_window(g_shadow_dib, k, (util_random() & 1) ? FRAME_H : 0, STILL_X, STILL_Y);
            pace(start, 2);
        }
        for (int32_t f = 0; f < 120; ++f) {
            const uint32_t start = sys_tick_count();
            draw_window(g_shadow_dib, 280, (util_random() & 1) ? FRAME_H : 0, STILL_X, STILL_Y);
            if (f == 80) gfx_fade_to(nullptr, 6);
            pace(start, 2);
        }
        wait_fade();
    }
    scn_fade_out(2);
    gfx_clear_screen();
    gfx_set_scene_palettes(&g_story_palette, nullptr, &g_scene_palette);
    colours_at_once(&g_default_palette);
    scn_message(68);
    scn_fade_out(2);
    gfx_clear_screen();
    scn_wait(30);
    scn_message(69);
    gfx_fade_to_wait(&g_white_palette, 4);
    scn_fade_out(8);
}

// Back on the road: the second member takes the old shape.
void vision_road() {
    g_tick_counter = 0;
    map_load_stage_map(52);
    map_load_map_graphics(4);
    wait_ticks_until(180);
    // The screen stays dark: message 70 comes up with its script's own fade.
    gfx_clear_screen();
    scn_message(70);
    scn_fade_out(2);
    scn_clear_occupancy();
    scn_place_list(VISION_5);
    scn_extra(62, 9, 16);
    scn_extra(14, 8, 14);
    if (UnitRecord* second = member(CHAR_SECOND_LEADER)) second->stats.class_id = CLASS_LORD;
    map_apply_walk_sprite(3, 10);
    map_apply_walk_sprite(13, 4);
    map_apply_walk_sprite(0, 7);
    g_view_x = 0;
    g_view_y = 12;
    map_redraw_view();
    snd_play_music(8);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(71);
    scn_wait(120);
    scn_message(72);
    scn_wait(60);
    scn_walk(member(CHAR_SECOND_LEADER), 2, 3);
    scn_message(73);
    scn_wait(60);
    scn_walk(member(CHAR_LEADER), 2, 4);
    scn_wait(60);
    scn_message(74);
    scn_wait(60);
    scn_message(75);
    scn_fade_out(8);
}

void vision_farewell() {
    Palette16 e_colours{};
    if (load_sheet("d:vis21e.gem", g_shadow_dib, &e_colours)) {
        gfx_set_scene_palettes(&e_colours, &g_white_palette, &g_scene_palette);
        gfx_clear_screen();
        draw_frame(g_shadow_dib, TL, STILL_X, 20);
        gfx_fade_to_wait(&e_colours, 8);
        scn_message(76);
        colours_at_once(&g_white_palette);
        gfx_clear_screen();
        const Quarter rest[3] = {TR, BL, BR};
        for (int32_t i = 0; i < 3; ++i) {
            draw_frame(g_shadow_dib, rest[i], STILL_X, 20);
            gfx_fade_to_wait(&e_colours, 8);
            scn_wait(30);
            if (i < 2) scn_fade_out(8);
        }
        scn_message(77);
        scn_fade_out(2);
    }
    gfx_set_scene_palettes(&g_story_palette, &g_white_palette, &g_scene_palette);
    map_redraw_view();
    scn_fade_in(2);
    scn_message(78);
    snd_play_music(2);
    scn_message(79);
    scn_pose(0, 1);
    UnitRecord* second = member(CHAR_SECOND_LEADER);
    scn_walk(second, 2, 3);
    scn_off_grid(second);
    map_redraw_view();
    scn_message(80);
    scn_fade_out(2);
    map_free_map_graphics();
    scn_clear_occupancy();
    if (second) second->stats.class_id = CLASS_LORD;
}

void stage21() {
    if (!(g_debug_flags & DEBUG_SKIP_SCENES)) vision_dream();
    vision_stills();
    vision_road();
    vision_farewell();
    scn_place_list(STAGE_21);
}

}  // namespace

void scn_ch3_stage_start() {
    static constexpr StageScene stages[] = {
        {16, nullptr, STAGE_16}, {17, stage17, nullptr},  {18, stage18, nullptr},
        {19, stage19, nullptr},  {20, nullptr, STAGE_20}, {21, stage21, nullptr},
    };
    scn_stage_start(stages);
}

void scn_ch3_turn_start() {
    if (g_turn != 0) return;
    switch (scn_stage_no()) {
        case 16:
            scn_message(48);
            scn_message(49, "겔다병");
            scn_wait(30);
            scn_message(50);
            break;
        case 17: scn_message(51); break;
        case 18:
            scn_message(48);
            scn_wake_hidden_enemies(SCN_SCROLL_UP);
            scn_wait(60);
            scn_message(49);
            break;
        case 20:
            scn_message(48);
            scn_wake_hidden_enemies(SCN_SCROLL_LEFT);
            scn_wait(60);
            scn_message(49);
            break;
        case 21: scn_message(48); break;
        default: break;
    }
}

int32_t scn_ch3_unit_moved(UnitRecord* unit, int32_t, int32_t) {
    if (!unit || scn_stage_no() != 21) return 0;
    return scn_goal_reached(unit, GOAL21_X, GOAL21_Y, GOAL21_X, GOAL21_Y, 49);
}

int32_t scn_ch3_before_battle(UnitRecord*, UnitRecord* second) {
    if (!second) return 0;
    switch (scn_stage_no()) {
        case 17: return scn_boss_first_contact(second, 52, nullptr);
        case 19:
            if (second->stats.ai_mode != AI_MODE_BOSS_UNMET) break;
            // The knight is called away before any blow.
            scn_message(51);
            snd_play_effect(SFX_VANISH);
            map_move_unit_step(second, 6);
            scn_wait(60);
            scn_message(52);
            g_stage_end = 1;
            return 1;
        default: break;
    }
    scn_boss_music(second);
    return 0;
}

void scn_ch3_after_battle(UnitRecord* first, UnitRecord* second) {
    if (!scn_boss_beaten(second)) return;
    switch (scn_stage_no()) {
        case 16:
            scn_play_stage_music();
            scn_extra(57, second->x, second->y);
            map_redraw_view();
            scn_wait(60);
            scn_message(51);
            scn_wait(60);
            scn_message(52);
            g_stage_end = 1;
            break;
        case 17: g_stage_end = 1; break;
        case 18: scn_boss_aftermath(SCN_MUSIC_STAGE, 50, nullptr); break;
        case 20:
            unit_remove_enemies();
            map_redraw_view();
            scn_play_stage_music();
            if (!(g_debug_flags & DEBUG_SKIP_SCENES)) {
                scn_message(50);
                scn_white_flash(4);
                scn_wait(60);
                scn_message(51);
            }
            item_give(first, STAGE20_GIFT);
            g_stage_end = 1;
            break;
        default: break;
    }
}
