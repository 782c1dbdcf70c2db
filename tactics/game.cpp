// Game loop.
#include "tactics/game.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/heap.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "story/hooks.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/turn.h"

GameState g_game_state_record{};
GameState* g_game_state = &g_game_state_record;

int32_t g_music_device = 0;
int32_t g_game_opt3 = 0;
int32_t g_game_opt4 = 0;
int32_t g_last_stage = 0;

// clang-format off
const std::array<int32_t, GAME_STAGES + 1> g_stage_music = {
    3, 1, 1, 4, 2, 6, 4, 4, 6, 3, 5, 1, 6, 3, 5, 1, 1, 6, 3, 6, 6,
    4, 1, 5, 3, 7, 1, 4, 4, 3, 1, 6, 6, 4, 15, 15, 15, 15, 15, 16, 1,
};
// clang-format on

// clang-format off
const std::array<const char*, GAME_STAGES> g_stage_names = {
    "도피행",         "가련한 수전노", "다가오는 그림자", "광기의 여관",   "신전을 구하기 위해",
    "불의 신전",      "사기의 숲",     "어둠의 황자",     "잠자는 탑의 미녀", "중앙돌파",
    "화내는 처녀",    "어둠의 힘",     "땅의 신전",       "망아지",        "온천에 병 고치러 가자",
    "신의 무당",      "올로스의 거울", "마음의 신전",     "요염한 장군",   "물의 신전",
    "왕국의 유산",    "영험한 대지",   "등산은 즐거워",   "젊은 발명왕",   "먹느냐 먹히느냐",
    "천공의 마도",    "왕궁을 목표로", "힘의 요새",       "소환수 지르",   "슬픈 재회",
    "추억의 길",      "수로를 빠져나가", "보물창고",      "결별",          "잔치 후",
    "또 다른 현자",   "아름다운 용신", "먼 날에 이별을",  "파멸으로의 계단", "어둠과의 맹약",
};
// clang-format on

const std::array<int32_t, 6> g_chapter_first_stage = {-1, 0, 1, 15, 21, 33};

namespace {

constexpr int32_t INTRO_TICKS = 60;
constexpr int32_t TITLE_TICKS = 180;
constexpr int32_t GAME_OVER_MUSIC = 14;

bool stage_valid(int32_t stage) { return stage >= 0 && stage < GAME_STAGES; }

int32_t stage_tileset(int32_t stage) {
    if (stage < 0 || stage >= static_cast<int32_t>(g_stage_tileset.size())) return 0;
    return g_stage_tileset[static_cast<size_t>(stage)];
}

int32_t stage_music(int32_t stage) {
    return stage >= 0 && stage <= GAME_STAGES ? g_stage_music[static_cast<size_t>(stage)] : -1;
}

// New stage: an empty grid, no chests, the party ready, no enemies, the
// chapter's stage start, then the stage's map, graphics, units and chests.
void set_up_new_stage() {
    map_free_map_graphics();
    std::memset(&g_occupancy, 0, sizeof g_occupancy);
    g_chests = {};
    for (int32_t s = 0; s < UNIT_PARTY_SLOTS; ++s) g_units[static_cast<size_t>(s)].acted = 0;
    for (int32_t s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) g_units[static_cast<size_t>(s)].number = 0;
    g_stage_flags = {};
    g_turn = 0;
    scn_stage_start();
    const int32_t stage = g_stage_index;
    g_view_x = 0;
    g_view_y = 0;
    map_load_stage_map(stage);
    map_load_map_graphics(stage_tileset(stage));
    unit_load_stage_units(stage, 1);
    item_load_map_objects(item_stage_chest_list(stage));
}

// Where the intro scroll starts and how far it goes back to the party.
struct IntroScroll {
    int32_t dx = 0, dy = 0;
    bool enemy_above = false;
    bool enemy_left = false;
};

// Centres on the party's first unit, then on the last enemy of the run from
// slot 18 (slot 17's record when slot 18 is free), and measures the way back.
// A stage without a party unit or without that record gets no scroll.
IntroScroll centre_on_enemies() {
    IntroScroll scroll;
    UnitRecord* lead = nullptr;
    for (UnitRecord& u : g_units)
        if (u.number != 0) {
            lead = &u;
            break;
        }
    if (!lead) return scroll;
    map_center_view_on(lead->x, lead->y);
    const int32_t party_x = g_view_x, party_y = g_view_y;
    int32_t s = UNIT_PARTY_SLOTS;
    while (s < UNIT_SLOTS && g_units[static_cast<size_t>(s)].number != 0) ++s;
    const UnitRecord& last = g_units[static_cast<size_t>(s - 1)];
    if (last.number == 0) return scroll;
    map_center_view_on(last.x, last.y);
    scroll.dx = std::abs(g_view_x - party_x);
    scroll.dy = std::abs(g_view_y - party_y);
    scroll.enemy_above = last.y < lead->y;
    scroll.enemy_left = last.x < lead->x;
    return scroll;
}

void intro_scroll(const IntroScroll& scroll) {
    const int32_t zoom = g_zoom >= 1 ? g_zoom : 1;
    for (int32_t i = 0; i < scroll.dy / zoom; ++i)
        if (!(scroll.enemy_above ? map_scroll_down(0) : map_scroll_up(0))) break;
    for (int32_t i = 0; i < scroll.dx / zoom; ++i)
        if (!(scroll.enemy_left ? map_scroll_right() : map_scroll_left())) break;
}

void game_over() {
    gfx_fade_to_scene_wait(4);
    Palette16 colours{};
    if (const HeapBlock picture{file_load_data("a:gameover.gem")}) {
        gfx_get_palette16(picture.get(), &colours);
        gfx_blit_image(0, 0, picture.get());
    }
    snd_play_music(GAME_OVER_MUSIC);
    gfx_set_scene_palettes(&colours, nullptr, &g_scene_palette);
    gfx_fade_to(&colours, 4);
    win_discard_clicks();
    win_wait_click_either();
    while (g_fade_running) win_wait_units(1);
    gfx_fade_to_scene_wait(4);
}

}  // namespace

void turn_init_game_flags() { g_sfx_enabled = 1; }

void turn_write_hand_over() {
    ChapterHandOver h{};
    std::memcpy(h.units, g_units.data(), sizeof h.units);
    std::memcpy(h.bag, g_bag.data(), sizeof h.bag);
    h.gold = g_gold;
    h.zoom = static_cast<uint32_t>(g_zoom);
    h.move_anim = static_cast<uint32_t>(g_opt_move_anim);
    h.battle_real = static_cast<uint32_t>(g_opt_battle_real);
    h.side_marks = static_cast<uint32_t>(g_opt_side_marks);
    h.battle_speed = static_cast<uint32_t>(g_opt_battle_speed);
    std::memcpy(g_save_buffer.data(), &h, sizeof h);
}

void turn_restore_hand_over() {
    ChapterHandOver h;
    std::memcpy(&h, g_save_buffer.data(), sizeof h);
    std::memcpy(g_units.data(), h.units, sizeof h.units);
    std::memcpy(g_bag.data(), h.bag, sizeof h.bag);
    g_gold = h.gold;
    g_zoom = -1;
    map_set_zoom(static_cast<int32_t>(h.zoom));
    g_opt_move_anim = static_cast<int32_t>(h.move_anim);
    g_opt_battle_real = static_cast<int32_t>(h.battle_real);
    g_opt_side_marks = static_cast<int32_t>(h.side_marks);
    g_opt_battle_speed = static_cast<int32_t>(h.battle_speed);
}

void turn_show_stage_title() {
    char text[64];
    const int32_t stage = g_stage_index;
    const char* name = stage_valid(stage) ? g_stage_names[static_cast<size_t>(stage)] : "";
    std::snprintf(text, sizeof text, "*Stage%d:%s", stage + 1, name);
    SavedArea card{menu_prompt_keep(-1, 9, text)};
    g_stage_end = 0;
    g_tick_counter = 0;
    turn_wait_ticks_or_click(TITLE_TICKS);
    gfx_restore_rect_free(card.release());
}

int32_t turn_run_game() {
    GameState& gs = *g_game_state;
    turn_init_game_flags();
    g_music_device = static_cast<int32_t>(gs.word[GS_MUSIC_DEVICE]);
    g_game_opt3 = 0;
    g_game_opt4 = static_cast<int32_t>(gs.word[GS_OPT4]);
    int32_t resume = gs.word[GS_RESUME] != 0 ? 1 : 0;
    gs.word[GS_RESUME] = 0;

    if (!resume && g_module_index >= 2) turn_restore_hand_over();
    if (resume) save_unpack_state();
    gfx_set_scene_palettes(&g_scene_palette, nullptr, &g_scene_palette);

    bool playing = true;
    if (resume) {
        if (stage_valid(g_stage_index)) {
            g_module_index = scn_chapter_of_stage(g_stage_index);
            g_chapter = static_cast<uint32_t>(g_module_index);
        } else {
            // A save that names no stage cannot be played: back to the title.
            util_memory_error();
            gs.word[GS_CHAPTER] = 0;
            playing = false;
        }
    } else if (g_module_index >= 1 && g_module_index <= 5) {
        g_stage_index = g_chapter_first_stage[static_cast<size_t>(g_module_index)];
    }

    while (playing) {
        const int32_t zoom = g_zoom;
        if (resume) {
            map_free_map_graphics();
            map_load_map_graphics(stage_tileset(g_stage_index));
        } else {
            set_up_new_stage();
        }
        const int32_t stage = g_stage_index;
        const int32_t track = stage_music(stage);
        if (track >= 0 && g_music_track != track) snd_play_music(track);
        g_zoom = -1;
        map_set_zoom(zoom == 1 || zoom == 2 ? zoom : 1);

        IntroScroll scroll;
        if (!resume) scroll = centre_on_enemies();
        map_redraw_view();
        gfx_fade_to_wait(&g_default_palette, 2);
        g_tick_counter = 0;
        turn_wait_ticks_or_click(INTRO_TICKS);
        if (!resume) intro_scroll(scroll);

        turn_show_stage_title();
        const int32_t result = turn_run_stage_battle(resume);
        resume = 0;

        if (result == 2) {
            game_over();
            gs.word[GS_CHAPTER] = 0;
            break;
        }
        if (result != 1) break;  // quit or a loaded game: the turn loop set word 0

        if (UnitRecord* spirit = unit_find_spirit()) map_move_unit_step(spirit, 6);
        const int32_t old_chapter = scn_part_of_stage(g_stage_index);
        ++g_stage_index;
        g_last_stage = g_stage_index;
        snd_play_music(-1);
        gfx_fade_to_scene_wait(4);
        const int32_t new_chapter = scn_part_of_stage(g_stage_index);
        if (new_chapter != old_chapter) {
            turn_write_hand_over();
            g_module_index = new_chapter;
            gs.word[GS_CHAPTER] = static_cast<uint32_t>(new_chapter <= 5 ? new_chapter : 0);
            break;
        }
    }

    snd_stop_music_b();
    gfx_fade_to_scene_wait(1);
    g_music_track = -1;
    map_free_map_graphics();
    gs.word[GS_MUSIC_DEVICE] = static_cast<uint32_t>(g_music_device);
    gs.word[GS_OPT3] = static_cast<uint32_t>(g_game_opt3);
    gs.word[GS_OPT4] = static_cast<uint32_t>(g_game_opt4);
    return static_cast<int32_t>(gs.word[GS_CHAPTER]);
}

void game_reset() {
    g_game_state_record = {};
    g_game_state = &g_game_state_record;
    g_music_device = 0;
    g_game_opt3 = g_game_opt4 = 0;
    g_last_stage = 0;
}
