// Title screen, opening and ending.
#include "story/title.h"

#include <cstdlib>
#include <cstring>

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/heap.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/text.h"
#include "story/chapter_shared.h"
#include "story/hooks.h"
#include "story/message.h"
#include "tactics/game.h"
#include "tactics/save.h"
#include "tactics/turn.h"
#include "tactics/units.h"

const char* const g_title_menu[TITLE_MENU_ENTRIES + 1] = {
    "       처음 부터        ",
    "        이어서        ",
    "       게임 종료       ",
    nullptr,
};
int32_t g_opening_pending = 1;
int32_t g_logo_shown = 0;

namespace {

constexpr int32_t SHEET_W = 640;
constexpr int32_t SHEET_H = 400;
constexpr int32_t FRAME_W = 320;
constexpr int32_t FRAME_H = 200;
constexpr int32_t FRAME_X = 160;
constexpr int32_t FRAME_Y = 100;
enum Quarter { TL = 0, TR = 1, BL = 2, BR = 3 };

constexpr int32_t TITLE_MUSIC_OPENING = 0;
constexpr int32_t TITLE_MUSIC_ENDING = 18;
constexpr int32_t TITLE_MUSIC_TITLE = 19;

// The running-man strip of the third opening scene: six 32 x 16 frames side
// by side, read as the first bytes of its picture.
constexpr int32_t STRIP_W = 192;
constexpr int32_t STRIP_FRAME_W = 32;
constexpr int32_t STRIP_FRAME_H = 16;
constexpr int32_t STRIP_BYTES = STRIP_W * STRIP_FRAME_H;  // 3,072
constexpr int32_t STRIP_X = 304;
constexpr int32_t STRIP_Y = 184;

// The tall vision panned in the opening: a 448 x 260 window over 520 rows.
constexpr int32_t PAN_W = 448;
constexpr int32_t PAN_H = 260;
constexpr int32_t PAN_ROWS = 520;
constexpr int32_t PAN_X = 96;
constexpr int32_t PAN_Y = 48;

// The block of op04_a that tiles the title background.
constexpr int32_t TILE = 32;
constexpr int32_t TILE_X = 480;
constexpr int32_t TILE_Y = 64;

constexpr int32_t ENDING_PICTURES = 8;
constexpr int32_t ENDING_FIRST_MESSAGE = 68;

// Memory row of the bottom line of an h-line rectangle whose top is line y.
int32_t memory_row(int32_t y, int32_t h) { return SCREEN_H - y - h; }

// The picture's colours as the scene's base palette, with the screen black.
void scene_colours(const Palette16& base, const Palette16* second) {
    gfx_set_scene_palettes(&base, second, &g_scene_palette);
}

void fade_in(int32_t delay) { gfx_fade_to_wait(&g_default_palette, delay); }
void fade_out(int32_t delay) { gfx_fade_to_scene_wait(delay); }
void colours_at_once(const Palette16* p) { gfx_fade_start(p, 0); }

// Copies the top-left 640 x 400 of a picture (rows of its own width) into
// the shown lines of a screen image.
void picture_to_screen(uint8_t* screen, const uint8_t* picture) {
    int32_t w = 0, h = 0;
    const uint8_t* bits = gfx_picture_bits(picture, &w, &h);
    if (!bits || w < SHEET_W || h < SHEET_H) return;
    for (int32_t y = 0; y < SHEET_H; ++y)
        std::memcpy(gfx_screen_pixel(screen, 0, y), bits + static_cast<size_t>(h - 1 - y) * w, SHEET_W);
}

// Reads a frame sheet into a screen image; 1 done, 0 refused (the image is
// left as it was).
int32_t load_sheet(const char* name, uint8_t* screen, Palette16* colours) {
    const HeapBlock picture = scn_load_story_picture(name, SHEET_W, SHEET_H);
    if (!picture) return 0;
    picture_to_screen(screen, picture.get());
    if (colours) *colours = scn_picture_colours(picture.get());
    return 1;
}

// Frame q of the sheet held in screen image `sheet`, w pixels of it, at (x, y).
void draw_frame(const uint8_t* sheet, int32_t q, int32_t x, int32_t y, int32_t w = FRAME_W) {
    const int32_t sx = (q % 2) * FRAME_W;
    const int32_t sy = (q / 2) * FRAME_H;
    gfx_copy_rect(g_back_dib, x, memory_row(y, FRAME_H), sheet, sx, memory_row(sy, FRAME_H), w, FRAME_H);
}

// A whole picture drawn at pixel (x, y) (x a multiple of 8).
void draw_picture(const uint8_t* picture, int32_t x, int32_t y) { gfx_blit_image(x / 8, y, picture); }

// Waits for a click of either button. On the title the tick counter stands
// still, so nothing but a click ends the wait.
void wait_click() {
    g_tick_counter = 0;
    win_wait_click_either();
}

// Frame pacing: k frame ticks a frame, measured from the frame's start.
void pace(uint32_t start, int32_t k) {
    const int32_t e = static_cast<int32_t>(sys_tick_count() - start) / 16;
    win_wait_units(e < k ? k - e : 1);
}

void wait_fade() {
    while (g_fade_running) win_wait_units(1);
}

// ---- the opening's steps ---------------------------------------------------------

void opening_presents() {
    g_view_rect = {0, 0, SCREEN_W, SHEET_H};
    win_wait_units(1);
    if (const HeapBlock picture = scn_load_story_picture("d:presents.gem", 0, 0)) {
        draw_picture(picture.get(), 0, 0);
        scene_colours(scn_picture_colours(picture.get()), nullptr);
    }
    colours_at_once(&g_scene_palette);
    fade_in(4);
    win_wait_units(100);
}

void opening_op01() {
    fade_out(4);
    Palette16 colours{};
    if (!load_sheet("d:op01_a.gem", g_shadow_dib, &colours)) return;
    gfx_clear_screen();
    scene_colours(colours, nullptr);
    draw_frame(g_shadow_dib, TL, FRAME_X, FRAME_Y);
    gfx_fade_to(&g_default_palette, 8);
    for (int32_t k = 1; k < 50 || g_fade_running; ++k) {
        const uint32_t start = sys_tick_count();
        draw_frame(g_shadow_dib, k % 2 ? TR : TL, FRAME_X, FRAME_Y);
        if (k == 48) gfx_fade_to(&g_scene_palette, 8);
        pace(start, 2);
    }
}

// Colour 14 of the back image = a colour-table entry (blue, green, red).
void set_back_colour14(const uint8_t* entry) { std::memcpy(gfx_dib_colours(g_back_dib) + 14 * 4, entry, 3); }

void opening_op02() {
    const HeapBlock picture = scn_load_story_picture("d:op02_a.gem", 0, 0);
    if (!picture) return;
    Palette16 colours = scn_picture_colours(picture.get());
    for (auto& c : colours.colour[14]) c = 15;
    gfx_clear_screen();
    draw_picture(picture.get(), FRAME_X, FRAME_Y);
    scene_colours(colours, &g_white_palette);
    gfx_fade_to(&g_default_palette, 4);
    static const uint8_t white[3] = {255, 255, 255};
    static const uint8_t black[3] = {0, 0, 0};
    for (int32_t k = 1; k < 50 || g_fade_running; ++k) {
        const uint32_t start = sys_tick_count();
        if (g_fade_running) {
            const uint8_t* step = g_fade_steps.step[g_fade_step < 5 ? g_fade_step : 4];
            set_back_colour14(step + (k % 2 ? 0 : 14 * 4));
        } else {
            set_back_colour14(k % 2 ? black : white);
        }
        if (k == 28) gfx_fade_to(&g_white_palette, 8);
        const int32_t e = static_cast<int32_t>(sys_tick_count() - start) / 16;
        win_wait_units(e < 2 ? 20 - e : 10);
    }
    colours_at_once(&g_white_palette);
}

void opening_op03() {
    Palette16 colours{};
    if (!load_sheet("d:op03_a.gem", g_shadow_dib, &colours)) return;
    if (!load_sheet("d:op03_b.gem", g_background_dib, nullptr)) return;
    uint8_t strip[STRIP_BYTES];
    {
        const HeapBlock picture = scn_load_story_picture("d:op03_c.gem", STRIP_W, STRIP_FRAME_H);
        if (!picture) return;
        int32_t w = 0, h = 0;
        std::memcpy(strip, gfx_picture_bits(picture.get(), &w, &h), sizeof strip);
    }
    gfx_clear_screen();
    scene_colours(colours, &g_white_palette);
    draw_frame(g_shadow_dib, TL, FRAME_X, FRAME_Y);
    fade_in(6);
    win_wait_units(1);
    const struct {
        const uint8_t* sheet;
        int32_t q;
    } frames[] = {{g_shadow_dib, TR},     {g_shadow_dib, BL},     {g_shadow_dib, BR},
                  {g_background_dib, TL}, {g_background_dib, BL}, {g_background_dib, TR}};
    for (const auto& f : frames) {
        draw_frame(f.sheet, f.q, FRAME_X, FRAME_Y);
        win_wait_units(10);
    }
    for (int32_t k = 0; k <= 296; k += 4) {
        const uint32_t start = sys_tick_count();
        gfx_fill_rect(STRIP_X, STRIP_Y, STRIP_X + STRIP_FRAME_W - 1, STRIP_Y + STRIP_FRAME_H - 1, GFX_KEY_COLOUR);
        if (k < 240) draw_frame(g_background_dib, TR, FRAME_X + k, FRAME_Y, FRAME_W - k);
        // The strip's bytes run bottom-up: its first row is the lowest line.
        const int32_t frame = (k / 16) % 6;
        for (int32_t j = 0; j < STRIP_FRAME_H; ++j)
            gfx_copy_row_keyed(gfx_screen_pixel(g_back_dib, STRIP_X, STRIP_Y + j),
                               strip + (STRIP_FRAME_H - 1 - j) * STRIP_W + frame * STRIP_FRAME_W, STRIP_FRAME_W,
                               GFX_KEY_COLOUR);
        if (k == 260) gfx_fade_to(&g_scene_palette, 6);
        pace(start, 3);
    }
    wait_fade();
}

void opening_vision() {
    const HeapBlock picture = scn_load_story_picture("d:vis21a.gem", PAN_W, PAN_ROWS);
    if (!picture) return;
    int32_t w = 0, h = 0;
    const uint8_t* bits = gfx_picture_bits(picture.get(), &w, &h);
    auto show = [&](int32_t top) {
        for (int32_t j = 0; j < PAN_H; ++j)
            std::memcpy(gfx_screen_pixel(g_back_dib, PAN_X, PAN_Y + j),
                        bits + static_cast<size_t>(h - 1 - (top + j)) * w, PAN_W);
    };
    gfx_clear_screen();
    scene_colours(scn_picture_colours(picture.get()), nullptr);
    show(PAN_ROWS - PAN_H);
    fade_in(6);
    win_wait_units(2);
    for (int32_t f = 1; f <= PAN_ROWS - PAN_H; ++f) {
        const uint32_t start = sys_tick_count();
        show(PAN_ROWS - PAN_H - f);
        pace(start, 2);
    }
}

// A 320 x 200 still at (160,100), faded in and out.
void opening_still(const char* name) {
    gfx_clear_screen();
    if (const HeapBlock picture = scn_load_story_picture(name, 0, 0)) {
        draw_picture(picture.get(), FRAME_X, FRAME_Y);
        scene_colours(scn_picture_colours(picture.get()), nullptr);
        fade_in(2);
        win_wait_units(1000);
        fade_out(2);
    }
}

void opening_stills() {
    opening_still("op10_a.gem");
    opening_still("op10_b.gem");
    Palette16 colours{};
    if (!load_sheet("op10_c.gem", g_shadow_dib, &colours)) return;
    gfx_clear_screen();
    scene_colours(colours, nullptr);
    draw_frame(g_shadow_dib, TL, FRAME_X, FRAME_Y);
    fade_in(2);
    win_wait_units(1000);
    draw_frame(g_shadow_dib, TR, FRAME_X, FRAME_Y);
    win_wait_units(50);
    draw_frame(g_shadow_dib, BL, FRAME_X, FRAME_Y);
    win_wait_units(1000);
    fade_out(2);
}

// Runs the opening scenes n of the list; 1 when one of them was skipped.
int32_t opening_scenes(int32_t first, int32_t last) {
    for (int32_t n = first; n <= last; ++n) {
        char a[16], b[16], c[16];
        std::snprintf(a, sizeof a, "op%02d_a.gem", n);
        std::snprintf(b, sizeof b, "op%02d_b.gem", n);
        std::snprintf(c, sizeof c, "op%02d_c.gem", n);
        if (title_opening_scene(a, b, c)) return 1;
    }
    return 0;
}

// ---- the title screen ------------------------------------------------------------

void show_logo() {
    if (const HeapBlock picture = scn_load_story_picture("a:qmx.gem", 0, 0)) {
        scene_colours(scn_picture_colours(picture.get()), nullptr);
        draw_picture(picture.get(), 0, 0);
    }
    fade_in(4);
    wait_click();
    fade_out(2);
}

void show_title_screen() {
    snd_play_music(TITLE_MUSIC_TITLE);
    sys_show_cursor(0);
    colours_at_once(&g_default_palette);
    title_build_background();
    if (const HeapBlock picture = scn_load_story_picture("b:op04_b.gem", 0, 0)) {
        draw_picture(picture.get(), 0, 0);
        scene_colours(scn_picture_colours(picture.get()), nullptr);
        // op04_b lies over the background, colour 15 transparent.
        gfx_copy_rect_keyed(g_background_dib, 0, 0, g_back_dib, 0, 0, SCREEN_W, SCREEN_H, 15);
        gfx_copy_rect(g_back_dib, 0, 0, g_background_dib, 0, 0, SCREEN_W, SCREEN_H);
    }
    fade_in(2);
    wait_click();
}

// The continue entry: 1 when a game was loaded (its chapter in word 0).
int32_t continue_game(GameState& gs) {
    fade_out(2);
    std::memset(gfx_dib_pixels(g_back_dib), 0, SCREEN_IMAGE_SIZE);
    g_view_offset.y = g_fullscreen ? 48 : 0;
    g_menu_saved_base_palette = g_scene_base_palette;
    g_menu_saved_second_palette = g_scene_second_palette;
    if (save_load_game(-1) == 1) {
        if (g_stage_index >= 0 && g_stage_index < GAME_STAGES) {
            gs.word[GS_RESUME] = 1;
            const int32_t c = scn_part_of_stage(g_stage_index);
            if (c >= 1 && c <= 5) gs.word[GS_CHAPTER] = static_cast<uint32_t>(c);
            return 1;
        }
        // A save that names no stage cannot be played: refused, as cancelled.
        util_memory_error();
        g_stage_index = -1;
    }
    g_view_offset.y = g_fullscreen ? 40 : -8;
    return 0;
}

}  // namespace

int32_t title_skip_pressed() {
    int32_t x, y;
    for (int32_t pass = 0; pass < 6; ++pass)
        if (win_poll_click(0, 0, &x, &y) > 0 && win_poll_click(1, 0, &x, &y) > 0) return 1;
    return 0;
}

int32_t title_opening_scene(const char* a, const char* b, const char* c) {
    Palette16 colours{};
    if (load_sheet(a, g_shadow_dib, &colours) && load_sheet(b, g_background_dib, nullptr)) {
        gfx_clear_screen();
        scene_colours(colours, &g_white_palette);
        draw_frame(g_shadow_dib, TL, FRAME_X, FRAME_Y);
        fade_in(2);
        const struct {
            const uint8_t* sheet;
            int32_t q;
        } frames[] = {
            {g_shadow_dib, TR}, {g_shadow_dib, BL}, {g_shadow_dib, BR}, {g_background_dib, TL}, {g_background_dib, TR}};
        for (const auto& f : frames) {
            win_wait_units(100);
            draw_frame(f.sheet, f.q, FRAME_X, FRAME_Y);
        }
        win_wait_units(180);
        // b's frame TR moves right and up into the top-right corner.
        for (int32_t k = 0; k <= 160; k += 16) {
            const uint32_t start = sys_tick_count();
            gfx_clear_screen();
            draw_frame(g_background_dib, TR, FRAME_X + k, FRAME_Y - k * 100 / 160);
            pace(start, 0);
        }
        win_wait_units(10);
        if (load_sheet(c, g_shadow_dib, nullptr)) {
            // b's lower 192 rows wipe in from the right.
            constexpr int32_t LOW_Y = 208;
            constexpr int32_t LOW_H = SHEET_H - LOW_Y;
            for (int32_t x = SHEET_W - 32; x >= 0; x -= 32) {
                gfx_copy_rect(g_back_dib, x, memory_row(LOW_Y, LOW_H), g_background_dib, 0, memory_row(LOW_Y, LOW_H),
                              SHEET_W - x, LOW_H);
                win_wait_units(1);
            }
            // A band of colour 7 sweeps through the white of the wiped rows.
            for (int32_t x = 64; x <= SHEET_W; x += 64) {
                for (int32_t y = LOW_Y; y < SHEET_H; ++y) {
                    uint8_t* row = gfx_screen_pixel(g_back_dib, 0, y);
                    for (int32_t i = x - 64; i < x; ++i)
                        if (row[i] == 15) row[i] = 7;
                    if (x < SHEET_W)
                        for (int32_t i = x; i < x + 64; ++i)
                            if (row[i] == 7) row[i] = 15;
                }
                win_wait_units(1);
            }
            colours_at_once(&g_white_palette);
            win_wait_units(1);
            gfx_copy_rect_keyed(g_back_dib, 0, memory_row(0, SHEET_H), g_shadow_dib, 0, memory_row(0, SHEET_H), SHEET_W,
                                SHEET_H, 8);
            gfx_fade_to_wait(&colours, 2);
            win_wait_units(700);
            fade_out(6);
        }
    }
    return title_skip_pressed();
}

void title_opening() {
    opening_presents();
    bool skipped = title_skip_pressed();
    if (!skipped) {
        opening_op01();
        skipped = title_skip_pressed();
    }
    if (!skipped) {
        opening_op02();
        skipped = title_skip_pressed();
    }
    if (!skipped) {
        opening_op03();
        skipped = title_skip_pressed() || opening_scenes(5, 7);
    }
    if (!skipped) {
        opening_vision();
        skipped = title_skip_pressed();
    }
    if (!skipped) {
        fade_out(6);
        skipped = opening_scenes(8, 9);
    }
    if (!skipped) opening_stills();
    snd_play_music(-1);
    gfx_clear_screen();
    scene_colours(g_story_palette, &g_white_palette);
    win_wait_units(200);
}

void title_build_background() {
    const HeapBlock picture = scn_load_story_picture("b:op04_a.gem", TILE_X + TILE, TILE_Y + TILE);
    if (!picture) {
        gfx_copy_rect(g_background_dib, 0, 0, g_back_dib, 0, 0, SCREEN_W, SCREEN_H);
        return;
    }
    scene_colours(scn_picture_colours(picture.get()), nullptr);
    draw_picture(picture.get(), 0, 0);
    gfx_copy_rect(g_background_dib, 0, 0, g_back_dib, 0, 0, SCREEN_W, SCREEN_H);
    // 416 lines hold 13 whole tiles, so the tiles meet the bottom edge.
    for (int32_t row = 0; row < SCREEN_H; row += TILE)
        for (int32_t x = 0; x < SCREEN_W; x += TILE)
            gfx_copy_rect(g_back_dib, x, row, g_background_dib, TILE_X, memory_row(TILE_Y, TILE), TILE, TILE);
    gfx_copy_rect_keyed(g_back_dib, 0, 0, g_background_dib, 0, 0, SCREEN_W, SCREEN_H, GFX_KEY_COLOUR);
    gfx_copy_rect(g_background_dib, 0, 0, g_back_dib, 0, 0, SCREEN_W, SCREEN_H);
}

void title_run() {
    g_colour_cycle_on = 0;
    g_game_state = &g_game_state_record;
    GameState& gs = *g_game_state;
    if (g_opening_pending) {
        snd_play_music(TITLE_MUSIC_OPENING);
        title_opening();
        g_opening_pending = 0;
        win_wait_units(240);
    }
    gfx_clear_screen();
    colours_at_once(&g_default_palette);
    if (!g_logo_shown) {
        g_logo_shown = 1;
        show_logo();
    }
    gfx_clear_screen();
    gs.word[GS_SPARE] = 0;

    for (;;) {
        show_title_screen();
        bool rebuild = false;
        while (!rebuild) {
            gfx_copy_rect(g_background_dib, 0, 0, g_back_dib, 0, 0, SCREEN_W, SCREEN_H);
            const int32_t choice = menu_list_select(-1, 16, g_title_menu, TITLE_ENTRY_CONTINUE, 0);
            if (choice == TITLE_ENTRY_NEW_GAME) {
                gs.word[GS_RESUME] = 0;
                gs.word[GS_CHAPTER] = 1;
                break;
            }
            if (choice == TITLE_ENTRY_CONTINUE) {
                if (continue_game(gs)) break;
                rebuild = true;
            } else if (choice == TITLE_ENTRY_QUIT) {
                gfx_restore_screen();
                if (menu_prompt(-1, 16, "정말로 종료해도 좋습니까? { 예 } { 아니오 }", 1) == 0) {
                    snd_stop_music_a();
                    fade_out(2);
                    gs.word[GS_CHAPTER] = TITLE_QUIT;
                    g_chapter = TITLE_QUIT;
                    return;
                }
            }
        }
        if (!rebuild) break;
    }
    snd_stop_music_a();
    fade_out(2);
    g_music_track = -1;
    g_chapter = gs.word[GS_CHAPTER];
}

void title_ending_epilogue() {
    gfx_set_scene_palettes(&g_story_palette, &g_white_palette, &g_scene_palette);
    win_wait_units(1);
    gfx_clear_screen();
    txt_draw_string(28, 10, "그리고 시간은 흘러……", 15);
    fade_in(4);
    win_discard_clicks();
    wait_click();
    fade_out(4);
    snd_play_music(TITLE_MUSIC_ENDING);

    for (int32_t i = 0; i < ENDING_PICTURES; ++i) {
        gfx_clear_screen();
        char name[16];
        std::snprintf(name, sizeof name, "f:ed_0%d.gem", i);
        if (const HeapBlock picture = scn_load_story_picture(name, 0, 0)) {
            draw_picture(picture.get(), FRAME_X, 20);
            scene_colours(scn_picture_colours(picture.get()), &g_white_palette);
        }
        fade_in(4);
        txt_show_message(ENDING_FIRST_MESSAGE + i, {g_char_names[i + 1], "백성A", "백성B", "역인A", "역인B", "대원A",
                                                    "대원B", "아이", "여", "남"});
        fade_out(4);
    }

    gfx_clear_screen();
    fade_out(4);
    if (const HeapBlock picture = scn_load_story_picture("b:vis40b.gem", 0, 0)) {
        draw_picture(picture.get(), 0, 0);
        const Palette16 colours = scn_picture_colours(picture.get());
        scene_colours(colours, &g_white_palette);
        gfx_fade_to(&colours, 0);
    }
    win_wait_units(200);
    snd_play_music(-1);
}

void title_reset() {
    g_opening_pending = 1;
    g_logo_shown = 0;
}
