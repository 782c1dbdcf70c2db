// The unit command menu.
#include "tactics/command.h"

#include <cstdio>
#include <cstdlib>

#include "battle/battle.h"
#include "platform/draw.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/screen.h"
#include "platform/sound.h"
#include "platform/text.h"
#include "story/hooks.h"
#include "tactics/ai.h"
#include "tactics/item_menu.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/move.h"
#include "tactics/pick.h"
#include "tactics/status.h"
#include "tactics/turn.h"
#include "tactics/units.h"

const std::array<const char*, CMD_COUNT> g_command_names = {
    "  행동  ", " 워프 ", " 모은다 ", "  매물  ", "  무기  ", "  도구  ", "  교환  ", " 클리어 ", "  집합  ",
};

namespace {

constexpr int32_t TERRAIN_SHOP = 5;
constexpr uint8_t OCC_MARKS = OCC_MARK_A | OCC_MARK_B;

uint8_t& occ_at(int32_t x, int32_t y) { return g_occupancy.cells[y * MAP_SIDE + x]; }

void clear_occ_marks(const UnitRecord* u) {
    if (map_on_map(u->x, u->y)) occ_at(u->x, u->y) &= OCC_UNIT_MASK;
}

void clear_target_marks(int32_t n) {
    for (int32_t i = 0; i < n; ++i) clear_occ_marks(g_unit_target_list[static_cast<size_t>(i)]);
}

// The listed target standing on (x, y), or null.
UnitRecord* listed_target_at(int32_t n, int32_t x, int32_t y) {
    for (int32_t i = 0; i < n; ++i) {
        UnitRecord* t = g_unit_target_list[static_cast<size_t>(i)];
        if (t->x == x && t->y == y) return t;
    }
    return nullptr;
}

// Charge: the next attack is a charged one.
void cmd_charge(UnitRecord* u) {
    u->charged = 1;
    const char* name = unit_display_name(&u->stats);
    char text[128];
    std::snprintf(text, sizeof text, "/7%s%s", name,
                  txt_ends_without_final(name) ? "/*는 힘을 모으고 있다." : "/*은 힘을 모으고 있다.");
    menu_prompt(-1, 9, text, 0);
    u->acted = 1;
    map_redraw_view();
}

// A computer-controlled unit: its status, and on a left click the cells it
// can reach until the next click.
void show_computer_unit(UnitRecord* u) {
    if (u->stats.ai_mode == AI_MODE_DORMANT) {
        // Not drawn: the cell reads as an empty one.
        map_show_terrain_info(u->x, u->y);
        gfx_restore_screen();
        return;
    }
    menu_show_unit_status(u);
    const int32_t left = win_wait_click_blink();
    if (u->stats.ai_mode != AI_MODE_WALK_ON && left == 1 && map_alloc_move_range()) {
        map_mark_all_cells(g_map.cells);
        map_prepare_move_range(u);
        map_free_move_range();
        map_redraw_view();
        int32_t x = 0, y = 0;
        map_pick_cell(&x, &y, PICK_CLICK);
        clear_occ_marks(u);
        map_unmark_all_cells(g_map.cells);
    }
    map_redraw_view();
}

}  // namespace

int32_t menu_command_offered(const UnitRecord* u, int32_t command) {
    const bool spirit = unit_is_summoned_spirit(u);
    const bool alive = u->stats.hp != 0;
    const int32_t cls = u->stats.class_id;
    switch (command) {
        case CMD_ACT: {
            if (u->acted || !alive) return 0;
            if (!spirit) return 1;
            const UnitRecord* summoner = unit_find_by_char_id(CHAR_SUMMONER);
            return !summoner || !summoner->acted;
        }
        case CMD_CHARGE:
            return !u->acted && alive && u->charged == 0 && !spirit && cls != CLASS_BUTLER &&
                   unit_class_is_final(cls) && (item_get(u->stats.weapon).flags & ITEM_CHARGE) != 0;
        case CMD_SHOP:
            return !spirit && cls != CLASS_BUTLER && g_map_tile_set != 4 && g_map_tile_set != 7 && alive &&
                   map_terrain_class_at(u->x, u->y) == TERRAIN_SHOP;
        case CMD_WEAPON:
        case CMD_GATHER: return !spirit && cls != CLASS_BUTLER;
        case CMD_ITEM: return !spirit && alive;
        case CMD_EXCHANGE:
            if (!alive || u->stats.char_id == CHAR_PAUL) return 0;
            for (int32_t s = 0; s < UNIT_PARTY_SLOTS; ++s) {
                const UnitRecord& o = g_units[static_cast<size_t>(s)];
                if (&o != u && o.number != 0 && o.stats.hp > 0 && map_manhattan_distance(u->x, u->y, o.x, o.y) <= 2)
                    return 1;
            }
            return 0;
        default: return 0;  // warp and clear are never offered
    }
}

void menu_unit_command(int32_t slot) {
    if (slot < 0 || slot >= UNIT_SLOTS) return;
    UnitRecord* u = &g_units[static_cast<size_t>(slot)];
    if (u->number == 0) return;
    if (ai_mode_is_computer(u->stats.ai_mode) && u->stats.class_id != CLASS_BUTLER) {
        show_computer_unit(u);
        return;
    }
    std::array<const char*, CMD_COUNT + 1> list{};
    std::array<int32_t, CMD_COUNT> command_of{};
    int32_t n = 0;
    for (int32_t c = 0; c < CMD_COUNT; ++c)
        if (menu_command_offered(u, c)) {
            command_of[static_cast<size_t>(n)] = c;
            list[static_cast<size_t>(n++)] = g_command_names[static_cast<size_t>(c)];
        }
    list[static_cast<size_t>(n)] = nullptr;
    menu_show_unit_status(u);
    if (n == 0) {
        win_wait_click_blink();
        map_redraw_view();
        return;
    }
    int32_t mx = 0, my = 0;
    win_get_mouse_pos(&mx, &my);
    const int32_t choice = menu_list_select(56, 19 - (n + 1), list.data(), 0, 1);
    gfx_restore_screen();
    win_set_mouse_pos(mx, my);
    if (choice < 0 || choice >= n) return;
    switch (command_of[static_cast<size_t>(choice)]) {
        case CMD_ACT: menu_cmd_act(u); break;
        case CMD_CHARGE: cmd_charge(u); break;
        case CMD_SHOP: scn_shop(u); break;
        case CMD_WEAPON: item_unit_slot_menu(u); break;
        case CMD_ITEM: item_use(u); break;
        case CMD_EXCHANGE: item_exchange_weapon(u); break;
        case CMD_GATHER:
            if (menu_prompt(-1, 9, "집합시키겠습니까? { 예 } { 아니오 }", 1) == 0) map_gather_party_to_unit(u);
            break;
        default: break;
    }
}

void menu_cmd_act(UnitRecord* u) {
    const int32_t sx = u->x, sy = u->y;
    const int32_t saved_marks = g_opt_side_marks;
    UnitRecord* target = nullptr;
    int32_t done = 0;
    // Without the grid nothing can be planned: the command ends untouched.
    if (!map_alloc_move_range()) return;
    map_mark_all_cells(g_map.cells);
    map_prepare_move_range(u);
    int32_t targets = btl_mark_targets(u);
    for (int32_t i = 0; i < targets; ++i) {
        const UnitRecord* t = g_unit_target_list[static_cast<size_t>(i)];
        g_map.cells[t->y * MAP_SIDE + t->x] &= static_cast<uint8_t>(~MAP_MARK);
    }
    map_center_view_on(u->x, u->y);
    map_redraw_view();
    int32_t px = 0, py = 0;
    const int32_t picked = map_pick_cell(&px, &py, PICK_UNMARKED);
    snd_play_effect(SFX_CLICK);

    bool attack_ring = false;
    if (!picked) {
        done = 0;
    } else if (px == sx && py == sy) {
        done = 1;  // the action ends in place
    } else if ((target = listed_target_at(targets, px, py)) != nullptr) {
        // The unit attacks from where it stands.
    } else if (unit_at_cell(px, py)) {
        done = 0;  // not a cell to walk to
    } else {
        MovePath path{};
        const int32_t steps = map_trace_move_path(u, px, py, path);
        if (steps == 0) {
            done = 1;
        } else {
            g_opt_side_marks = 0;
            clear_occ_marks(u);
            clear_target_marks(targets);
            map_redraw_view();
            map_walk_path(u, path, steps);
            g_opt_side_marks = saved_marks;
            clear_target_marks(targets);
            map_unmark_all_cells(g_map.cells);
            map_redraw_view();
            // A chapter event that takes over finishes the action as a move.
            if (scn_unit_moved(u, sx, sy) != 0)
                done = 1;
            else
                attack_ring = true;
        }
    }

    if (attack_ring) {
        map_mark_all_cells(g_map.cells);
        map_mark_attack_ring(u);
        targets = btl_mark_targets(u);
        map_center_view_on(u->x, u->y);
        map_redraw_view();
        int32_t col = 0, y = 0;
        map_cell_to_screen(u->x - g_view_x, u->y - g_view_y, &col, &y);
        win_set_mouse_pos(col * 8 + g_cell_w8 * 4, y + g_cell_h / 2);
        const int32_t second = map_pick_cell(&px, &py, PICK_HIGHLIGHT);
        snd_play_effect(SFX_CLICK);
        if (!second) {
            // Back to the start cell, free to act again.
            occ_at(u->x, u->y) = 0;
            u->x = static_cast<int16_t>(sx);
            u->y = static_cast<int16_t>(sy);
            occ_at(sx, sy) = static_cast<uint8_t>(u->number);
            clear_target_marks(targets);
            done = 0;
        } else if (px == u->x && py == u->y) {
            done = 1;
        } else {
            target = listed_target_at(targets, px, py);
            if (!target) done = 1;
        }
    }

    map_free_move_range();
    clear_occ_marks(u);
    clear_target_marks(targets);
    map_unmark_all_cells(g_map.cells);
    map_redraw_view();
    if (target) {
        btl_attack_command(u, target);
        done = 1;
    } else {
        u->acted = static_cast<uint16_t>(done);
    }
    if (done) {
        u->charged = 0;
        // A final blow that started the ending has freed the map for good:
        // nothing more is looked for or drawn on it.
        const bool map_shown = map_view_available() != 0;
        if (map_shown) item_check_treasure(u);
        if (unit_is_summoned_spirit(u)) {
            UnitRecord* summoner = unit_find_by_char_id(CHAR_SUMMONER);
            if (summoner) summoner->acted = 1;
        }
        if (map_shown) map_redraw_view();
    }
}

void map_mark_attack_ring(UnitRecord* u) {
    const uint32_t f = item_get(u->stats.weapon).flags;
    const bool healer = unit_is_healer(u);
    const bool reach[4] = {false, healer || (f & ITEM_DIRECT), healer || (f & ITEM_NEAR), (f & ITEM_FAR) != 0};
    static constexpr int32_t STEP[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
    for (int32_t r = 1; r <= 3; ++r) {
        if (!reach[r]) continue;
        int32_t x = u->x, y = u->y - r;
        for (const auto& step : STEP)
            for (int32_t s = 0; s < r; ++s) {
                x += step[0];
                y += step[1];
                if (map_on_map(x, y)) g_map.cells[y * MAP_SIDE + x] &= static_cast<uint8_t>(~MAP_MARK);
            }
    }
}

void map_gather_party_to_unit(UnitRecord* u) {
    const int32_t saved_marks = g_opt_side_marks;
    win_set_cursor_shape(7);
    win_cursor_flag_off();
    g_opt_side_marks = 0;
    for (int32_t s = 0; s < UNIT_PARTY_SLOTS; ++s) {
        UnitRecord* r = &g_units[static_cast<size_t>(s)];
        if (r == u || r->number == 0 || r->acted || r->stats.hp == 0) continue;
        ai_plan_move(r, u->x, u->y);
        const int32_t tx = g_ai_move_x, ty = g_ai_move_y;
        if (g_move_range && (tx != r->x || ty != r->y)) {
            map_view_on_cell_toward(tx, ty, r->x, r->y);
            map_redraw_view();
            MovePath path{};
            const int32_t steps = map_trace_move_path(r, tx, ty, path);
            if (steps > 0) {
                map_redraw_view();
                map_walk_path(r, path, steps);
                r->acted = 1;
            }
        }
        map_free_move_range();
        map_unmark_all_cells(g_map.cells);
    }
    win_cursor_flag_off();
    win_set_cursor_shape(0);
    g_opt_side_marks = saved_marks;
    map_redraw_view();
}
