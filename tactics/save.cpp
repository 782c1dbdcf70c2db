// Saving and loading.
#include "tactics/save.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/text.h"
#include "story/hooks.h"
#include "tactics/game.h"
#include "tactics/list_screen.h"
#include "tactics/map_view.h"
#include "tactics/settings.h"
#include "tactics/turn.h"

std::array<SaveIndexEntry, SAVE_SLOTS> g_save_index{};
int32_t g_save_index_state = 0;
std::array<uint8_t, SAVE_FILE_SIZE> g_save_buffer{};
int32_t g_reserved_state_word = 0;

static_assert(SCN_STAGE_FLAGS == 5);
static_assert(sizeof(g_stage_flags) == sizeof(SaveFile::stage_flags));

namespace {

constexpr const char* INDEX_NAME = "u:savekq.idx";
constexpr const char* LOAD_PROMPT = "불러올 데이터를 선택해 주십시오.";
constexpr const char* SAVE_PROMPT = "저장할 장소를 지정해 주십시오.";
constexpr const char* OVERWRITE_PROMPT = "덮어써도 좋습니까? { 예 }{ 아니오 }";
constexpr const char* SAVED_PROMPT = "현재 상황을 보존했습니다.";
constexpr int32_t OPTION_POSITIONS = 5;

void slot_file_name(int32_t slot, char (&name)[16]) {
    // Slots are 0..14: two digits always fit.
    std::snprintf(name, sizeof name, "u:save%02d.dat", static_cast<unsigned>(slot) % 100u);
}

// The box of a save file that cannot be used: the file reader's own box.
void show_file_box(const char* name) { file_show_open_box(std::string(g_exe_dir) + "\\" + sys_skip_drive(name)); }

// Something stands at the file's place: a file, or anything else in its
// way (a folder), which then reads as damaged and is never written over.
bool file_present(const char* name) {
    std::error_code ec;
    return std::filesystem::exists(sys_resolve_path(std::string(g_exe_dir) + "\\" + sys_skip_drive(name)), ec);
}

// Reads a save file that must hold exactly size bytes. 1 read; 0 no such
// file; -1 a file that is there but cannot be read or is not of its size.
// Every failure has shown the file's box.
int32_t read_exact(const char* name, void* dest, uint32_t size) {
    if (!file_present(name)) {
        show_file_box(name);
        return 0;
    }
    // One byte more than the record, so that a longer file is noticed.
    std::vector<uint8_t> buffer(size + 1);
    uint32_t got = 0;
    if (file_read_user_file(name, buffer.data(), size + 1, &got) && got == size) {
        std::memcpy(dest, buffer.data(), size);
        return 1;
    }
    show_file_box(name);
    return -1;
}

bool index_valid(const std::array<SaveIndexEntry, SAVE_SLOTS>& index) {
    for (const SaveIndexEntry& e : index) {
        if (e.used > 1) return false;
        if (e.used && e.stage >= GAME_STAGES) return false;
    }
    return true;
}

bool on_grid(int32_t x, int32_t y) { return x >= 0 && x < MAP_SIDE && y >= 0 && y < MAP_SIDE; }

void draw_number(int32_t col, int32_t row, uint32_t value, int32_t width) {
    txt_draw_string(col, row, txt_format_uint(value, width), 15);
}

// One row of the chooser: the slot number, and for a used slot its stage
// and when it was saved.
void draw_slot_row(int32_t slot) {
    const int32_t row = 3 + slot;
    const SaveIndexEntry& e = g_save_index[static_cast<size_t>(slot)];
    draw_number(10, row, static_cast<uint32_t>(slot + 1), 2);
    txt_draw_string(-1, 0, ".", 15);
    if (!e.used) return;
    txt_draw_string(16, row, "Stage", 15);
    txt_draw_string(-1, 0, txt_format_uint(e.stage + 1u, 2), 15);
    txt_draw_string(-1, 0, "…『", 15);
    txt_draw_string(-1, 0, e.stage < GAME_STAGES ? g_stage_names[e.stage] : "", 15);
    txt_draw_string(-1, 0, "』", 15);
    draw_number(52, row, e.year, 4);
    txt_draw_string(-1, 0, "//", 15);
    txt_draw_string(-1, 0, txt_format_uint(e.month, 2), 15);
    txt_draw_string(-1, 0, "//", 15);
    txt_draw_string(-1, 0, txt_format_uint(e.day, 2), 15);
    draw_number(64, row, e.hour, 2);
    txt_draw_string(-1, 0, ":", 15);
    txt_draw_string(-1, 0, txt_format_uint(e.minute / 10u, 0), 15);
    txt_draw_string(-1, 0, txt_format_uint(e.minute % 10u, 0), 15);
}

uint16_t low16(int32_t v) { return static_cast<uint16_t>(static_cast<uint32_t>(v) & 0xFFFFu); }

}  // namespace

int32_t save_read_index() {
    g_save_index = {};
    std::array<SaveIndexEntry, SAVE_SLOTS> index{};
    int32_t state = read_exact(INDEX_NAME, index.data(), SAVE_INDEX_SIZE);
    if (state == 1 && !index_valid(index)) {
        show_file_box(INDEX_NAME);
        state = -1;
    }
    if (state == 1)
        g_save_index = index;
    else
        util_memory_error();
    g_save_index_state = state;
    return state;
}

int32_t save_choose_slot(const char* prompt, int32_t load_mode) {
    gfx_clear_screen();
    const Palette16 colours = menu_open_list_backdrop();

    const int32_t length = static_cast<int32_t>(std::strlen(prompt));
    txt_draw_string((MENU_SCREEN_COLS - length) / 2, 1, prompt, 6);

    save_read_index();

    menu_clear_hit_rects();
    for (int32_t i = 0; i < SAVE_SLOTS; ++i) {
        menu_set_hit_rect(i, 64, (3 + i) * MENU_ROW_H, 512, MENU_ROW_H, menu_hover_box_light);
        draw_slot_row(i);
    }
    gfx_fade_to(&colours, 1);

    for (;;) {
        const int32_t k = menu_run(1, g_hit_rects, SAVE_SLOTS);
        const bool used = k >= 0 && k < SAVE_SLOTS && g_save_index[static_cast<size_t>(k)].used;
        if (!load_mode && used && menu_prompt(-1, -1, OVERWRITE_PROMPT, 1) != 0) continue;
        if (load_mode && k >= 0 && !used) continue;
        gfx_fade_to_scene_wait(1);
        if (!load_mode) gfx_restore_screen();
        gfx_clear_screen();
        if (load_mode && k >= 0) g_colour_cycle_on = 0;
        g_colour_cycle_block = 0;
        return k;
    }
}

void save_pack_state(SaveFile* out) {
    std::memset(out, 0, sizeof *out);
    uint16_t* w = out->word;
    w[SW_VIEW_X] = low16(g_view_x);
    w[SW_VIEW_Y] = low16(g_view_y);
    w[SW_STAGE] = low16(g_stage_index);
    w[SW_GOLD] = static_cast<uint16_t>(g_gold & 0xFFFFu);
    w[SW_MUSIC_DEVICE] = low16(g_music_device);
    w[SW_ZOOM] = low16(g_zoom);
    w[SW_MOVE_ANIM] = low16(g_opt_move_anim);
    w[SW_BATTLE_REAL] = low16(g_opt_battle_real);
    w[SW_BATTLE_SPEED] = low16(g_opt_battle_speed);
    w[SW_SIDE_MARKS] = low16(g_opt_side_marks);
    w[SW_TURN] = low16(g_turn);
    w[SW_RESERVED] = low16(g_reserved_state_word);
    w[SW_OPT3] = low16(g_game_opt3);
    w[SW_OPT4] = low16(g_game_opt4);
    std::memcpy(out->stage_flags, g_stage_flags.data(), sizeof out->stage_flags);
    out->map = g_map;
    std::memcpy(out->units, g_units.data(), sizeof out->units);
    std::memcpy(out->bag, g_bag.data(), sizeof out->bag);
    out->occupancy = g_occupancy;
    std::memcpy(out->chests, g_chests.data(), sizeof out->chests);
}

int32_t save_check_state(const SaveFile& f) {
    const uint16_t* w = f.word;
    if (w[SW_STAGE] >= GAME_STAGES) return 0;
    if (w[SW_VIEW_X] >= MAP_SIDE || w[SW_VIEW_Y] >= MAP_SIDE) return 0;
    for (int32_t o = SW_MOVE_ANIM; o <= SW_SIDE_MARKS; ++o)
        if (w[o] >= OPTION_POSITIONS) return 0;

    int16_t width, height;
    std::memcpy(&width, f.map.header + 6, sizeof width);
    std::memcpy(&height, f.map.header + 8, sizeof height);
    if (width < 1 || width > MAP_SIDE || height < 1 || height > MAP_SIDE) return 0;
    for (uint8_t cell : f.map.cells)
        if ((cell & MAP_TILE_MASK) >= MAP_TILES) return 0;

    for (int32_t s = 0; s < UNIT_SLOTS; ++s) {
        const UnitRecord& u = f.units[s];
        if (u.number == 0) continue;
        if (u.number != s + 1 || !on_grid(u.x, u.y)) return 0;
        if (u.stats.class_id < 0 || u.stats.class_id >= CLASS_NAMES) return 0;
        if (!item_id_valid(u.stats.weapon)) return 0;
        for (uint16_t id : u.items)
            if (!item_id_valid(id)) return 0;
        if (u.equipped_slot > 3 && u.equipped_slot != 0xFFFF) return 0;
    }
    for (const BagEntry& b : f.bag)
        if (!item_id_valid(b.item_id)) return 0;
    for (uint8_t cell : f.occupancy.cells)
        if ((cell & OCC_UNIT_MASK) > UNIT_SLOTS) return 0;
    for (const ChestRecord& c : f.chests) {
        if (c.state < 0 || c.state > 3) return 0;
        if (c.state != 0 && (!on_grid(c.x, c.y) || !item_id_valid(c.item_id))) return 0;
    }
    return 1;
}

int32_t save_save_game(int32_t slot) {
    const bool chooser = slot < 0;
    int32_t k = slot;
    if (chooser) {
        k = save_choose_slot(SAVE_PROMPT, 0);
        if (k < 0) return 0;
    } else {
        if (k >= SAVE_SLOTS) return 0;
        save_read_index();
    }
    // An index that is there but cannot be read keeps what it holds: saving
    // would write an index that has lost every other slot.
    if (g_save_index_state < 0) {
        show_file_box(INDEX_NAME);
        return 0;
    }

    auto file = std::make_unique<SaveFile>();
    save_pack_state(file.get());
    char name[16];
    slot_file_name(k, name);
    if (!file_write_user_file(name, file.get(), SAVE_FILE_SIZE)) return 0;

    // The index names the slot only once the slot file is in place.
    SaveIndexEntry& entry = g_save_index[static_cast<size_t>(k)];
    const SaveIndexEntry before = entry;
    entry.used = 1;
    entry.stage = low16(g_stage_index);
    util_get_date(&entry.year, &entry.month, &entry.day);
    util_get_time(&entry.hour, &entry.minute);
    if (!file_write_user_file(INDEX_NAME, g_save_index.data(), SAVE_INDEX_SIZE)) {
        entry = before;
        return 0;
    }
    g_save_index_state = 1;

    if (chooser) {
        gfx_set_scene_palettes(&g_menu_saved_base_palette, &g_menu_saved_second_palette, &g_scene_palette);
        gfx_fade_to_wait(&g_default_palette, 0);
        menu_prompt(-1, -1, SAVED_PROMPT, 0);
        gfx_fade_to_scene_wait(0);
    }
    return 1;
}

int32_t save_load_game(int32_t slot) {
    int32_t k = slot;
    if (k < 0) {
        k = save_choose_slot(LOAD_PROMPT, 1);
        if (k < 0) return 0;
    } else {
        if (k >= SAVE_SLOTS || save_read_index() != 1 || !g_save_index[static_cast<size_t>(k)].used) return 0;
    }
    const int32_t stage = g_save_index[static_cast<size_t>(k)].stage;

    // The slot is read and checked whole before anything changes: a short,
    // long or damaged file leaves the game that is running as it was.
    auto file = std::make_unique<SaveFile>();
    char name[16];
    slot_file_name(k, name);
    if (read_exact(name, file.get(), SAVE_FILE_SIZE) != 1) {
        util_memory_error();
        return 0;
    }
    if (!save_check_state(*file) || stage >= GAME_STAGES) {
        show_file_box(name);
        util_memory_error();
        return 0;
    }

    snd_stop_music_a();
    std::memcpy(g_save_buffer.data(), file.get(), SAVE_FILE_SIZE);
    g_stage_index = stage;
    return 1;
}

void save_unpack_state() {
    SaveFile f;
    std::memcpy(&f, g_save_buffer.data(), sizeof f);
    const uint16_t* w = f.word;
    g_view_x = w[SW_VIEW_X];
    g_view_y = w[SW_VIEW_Y];
    g_stage_index = w[SW_STAGE];
    g_gold = w[SW_GOLD];
    g_music_device = w[SW_MUSIC_DEVICE];
    g_zoom = w[SW_ZOOM];
    g_opt_move_anim = w[SW_MOVE_ANIM];
    g_opt_battle_real = w[SW_BATTLE_REAL];
    g_opt_battle_speed = w[SW_BATTLE_SPEED];
    g_opt_side_marks = w[SW_SIDE_MARKS];
    g_turn = w[SW_TURN];
    g_reserved_state_word = w[SW_RESERVED];
    g_game_opt3 = w[SW_OPT3];
    g_game_opt4 = w[SW_OPT4];
    std::memcpy(g_stage_flags.data(), f.stage_flags, sizeof f.stage_flags);
    g_map = f.map;
    std::memcpy(g_units.data(), f.units, sizeof f.units);
    std::memcpy(g_bag.data(), f.bag, sizeof f.bag);
    g_occupancy = f.occupancy;
    std::memcpy(g_chests.data(), f.chests, sizeof f.chests);
    if (g_sfx_enabled == 0) g_game_opt3 = 0;
    GameState& gs = *g_game_state;
    gs.word[GS_MUSIC_DEVICE] = static_cast<uint32_t>(g_music_device);
    gs.word[GS_OPT3] = static_cast<uint32_t>(g_game_opt3);
    gs.word[GS_OPT4] = static_cast<uint32_t>(g_game_opt4);
}

void save_reset() {
    g_save_index = {};
    g_save_index_state = 0;
    g_save_buffer = {};
    g_reserved_state_word = 0;
}
