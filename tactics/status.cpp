// Status windows and the party list.
#include "tactics/status.h"

#include <cstdlib>
#include <cstring>

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/heap.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/text.h"
#include "story/message.h"
#include "tactics/items.h"
#include "tactics/list_screen.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/turn.h"
#include "tactics/units.h"

const char* const g_status_labels[11] = {
    "", "클래스", "레벨", "체력", "경험치", "공격력", "방어력", "지  력", "마법방어", "민첩성", "소지품",
};

namespace {

// Keeps g_zoom over a drawing that needs another size, also when a quit
// unwinds the wait inside it.
struct ZoomKeeper {
    int32_t saved = g_zoom;
    ~ZoomKeeper() { g_zoom = saved; }
};

uint32_t positive(int32_t v) { return v > 0 ? static_cast<uint32_t>(v) : 0u; }

const char* class_name(int32_t class_id) {
    return class_id >= 0 && class_id < CLASS_NAMES ? g_class_names[class_id] : "";
}

// The unit's map sprite in its able form (not acted, not knocked out).
void draw_able_sprite(UnitRecord* unit, int32_t col, int32_t y) {
    const uint16_t acted = unit->acted;
    const int16_t hp = unit->stats.hp;
    unit->acted = 0;
    unit->stats.hp = 1;
    const int32_t sprite = map_unit_sprite_index(unit);
    unit->acted = acted;
    unit->stats.hp = hp;
    gfx_draw_map_tile_overlay(col, y, sprite);
}

// "(+dd/+dd)" after attack or intelligence: each side is the value with its
// sign (a space for 0) when the weapon has that reach, else a cross. The
// slash is the text drawer's "//", which shows one slash.
void draw_bonus_bracket(uint32_t flags, int32_t near_value, int32_t far_value) {
    txt_draw_string(-1, 0, "(", 15);
    if (flags & ITEM_DIRECT) {
        txt_draw_string(-1, 0, near_value != 0 ? "+" : " ", 9);
        txt_draw_string(-1, 0, txt_format_uint(positive(near_value), 2), 9);
    } else {
        txt_draw_string(-1, 0, "×", 9);
    }
    txt_draw_string(-1, 0, "//", 15);
    if (flags & ITEM_NEAR) {
        txt_draw_string(-1, 0, far_value != 0 ? "+" : " ", 6);
        txt_draw_string(-1, 0, txt_format_uint(positive(far_value), 2), 6);
    } else {
        txt_draw_string(-1, 0, "×", 6);
    }
    txt_draw_string(-1, 0, ")", 15);
}

void draw_value(int32_t col, int32_t row, int32_t value) {
    txt_draw_string(col, row, txt_format_uint(positive(value), 4), 15);
}

bool has_face(const UnitRecord* unit) {
    const int32_t ch = unit->stats.char_id;
    return ch >= 0 && ch < CHAR_IDS && g_face_codes[ch] != nullptr;
}

}  // namespace

void menu_draw_hp_fraction(UnitRecord* unit) {
    const int32_t hp = unit->stats.hp, max = unit->stats.max_hp;
    int32_t colour = 15;
    if (hp <= max / 2) colour = 9;
    if (hp <= max / 5) colour = 10;
    txt_draw_string(-1, 0, txt_format_uint(positive(hp), 3), colour);
    // A plain "/" is a markup code to the text drawer; "//" shows the slash.
    txt_draw_string(-1, 0, "//", 15);
    txt_draw_string(-1, 0, txt_format_uint(positive(max), 3), 15);
}

void map_show_terrain_info(int32_t x, int32_t y) {
    ZoomKeeper zoom;
    menu_draw_window(-1, -1, 20, 5);
    g_zoom = 1;
    const int32_t tile = map_on_map(x, y) ? (g_map.cells[y * MAP_SIDE + x] & MAP_TILE_MASK) : 0;
    gfx_draw_map_tile_base(32, 154, tile);
    const int32_t terrain = tile < MAP_TILES ? static_cast<int32_t>(g_terrain_class_of_tile[tile]) : 0;
    const int32_t set = g_map_tile_set >= 0 && g_map_tile_set < MAP_TILE_SETS ? g_map_tile_set : 0;
    const char* name = terrain >= 0 && terrain < TERRAIN_CLASSES ? g_terrain_names[set][terrain] : "";
    txt_draw_string(40, 8, name, 15);
    txt_draw_string(32, 10, "방어율", 15);
    txt_draw_string(-1, 0, txt_format_uint(positive(100 - map_terrain_damage_percent(terrain)), 4), 15);
    txt_draw_string(-1, 0, "％", 15);
    if (const int32_t heal = map_terrain_heal_percent(terrain)) {
        txt_draw_string(32, 11, "회복율", 15);
        txt_draw_string(-1, 0, txt_format_uint(static_cast<uint32_t>(heal), 4), 15);
        txt_draw_string(-1, 0, "％", 15);
    }
    win_wait_click_blink();
}

void menu_show_unit_status(UnitRecord* unit) {
    if (!unit) return;
    ZoomKeeper zoom;
    const bool face = has_face(unit);
    const int32_t mode = unit->stats.ai_mode;
    const int32_t w = face ? 48 : 44;
    const int32_t h = mode != AI_MODE_PLAYER && mode != AI_MODE_WALK_ON ? 13 : 16;
    const int32_t c0 = (MENU_SCREEN_COLS - w) / 2, r0 = (20 - h) / 2;
    menu_draw_window(c0, r0, w, h);
    const int32_t c = c0 + 2, v = c + 10;
    int32_t r = r0 + 1;

    g_zoom = 1;
    draw_able_sprite(unit, c, r * MENU_ROW_H - 6);
    if (face) {
        if (const HeapBlock picture = txt_load_face(unit_face_code(&unit->stats)))
            gfx_blit_image_keyed(c + 26, r * 18, picture.get());
    }

    const UnitStats& s = unit->stats;
    const ItemRecord& weapon = item_get(s.weapon);
    for (int32_t row = 0; row <= 10; ++row) {
        if (row > 0) txt_draw_string(c, r, g_status_labels[row], 6);
        switch (row) {
            case 0: txt_draw_string(v, r, unit_display_name(&s), 15); break;
            case 1: txt_draw_string(v, r, class_name(s.class_id), 15); break;
            case 2: draw_value(v, r, s.level); break;
            case 3:
                txt_set_cursor(v, r * MENU_ROW_H);
                menu_draw_hp_fraction(unit);
                break;
            case 4: draw_value(v, r, s.exp); break;
            case 5:
                draw_value(v, r, s.attack);
                if (weapon.direct_hit != 0 || weapon.indirect_hit != 0)
                    draw_bonus_bracket(weapon.flags, weapon.direct_hit, weapon.indirect_hit);
                break;
            case 6: draw_value(v, r, s.defence); break;
            case 7:
                draw_value(v, r, s.intelligence);
                if (weapon.direct_effect != 0 || weapon.indirect_effect != 0)
                    draw_bonus_bracket(weapon.flags, weapon.direct_effect, weapon.indirect_effect);
                break;
            case 8: draw_value(v, r, s.magic_defence); break;
            case 9: draw_value(v, r, s.agility); break;
            case 10:
                for (int32_t j = 0; j < 4; ++j) {
                    const int32_t id = unit->items[j];
                    if (id == 0) continue;
                    const int32_t line = r + j;
                    if (unit->equipped_slot == j) txt_draw_string(v, line, "★", 9);
                    if (mode == 0 && !item_usable_by_class(id, s.class_id)) txt_draw_string(v, line, "×", 10);
                    txt_draw_string(c + 12, line, item_get(id).name, 15);
                    txt_set_cursor(c + 28, line * MENU_ROW_H);
                    item_show_kind(unit, id, 1);
                }
                break;
            default: break;
        }
        r += row == 0 ? 2 : 1;
    }
}

void menu_draw_party_row(int32_t row, UnitRecord* unit) {
    if (!unit) return;
    draw_able_sprite(unit, 9, row * MENU_ROW_H + 2);
    txt_draw_string(12, row, unit_display_name(&unit->stats), 15);
    txt_draw_string(26, row, class_name(unit->stats.class_id), 15);
    txt_draw_string(44, row, txt_format_uint(positive(unit->stats.level), 2), 15);
    txt_set_cursor(50, row * MENU_ROW_H);
    menu_draw_hp_fraction(unit);
    if (unit->stats.hp == 0)
        txt_draw_string(62, row, "행동불능", 10);
    else if (unit->acted == 0)
        txt_draw_string(62, row, "이동가", 6);
    else
        txt_draw_string(62, row, "이동필", 8);
}

int32_t menu_party_list_screen(const char* title) {
    ZoomKeeper zoom;
    g_menu_saved_base_palette = g_scene_base_palette;
    g_menu_saved_second_palette = g_scene_second_palette;
    const Palette16 colours = menu_open_list_backdrop();

    txt_set_cursor((MENU_SCREEN_COLS - static_cast<int32_t>(std::strlen(title))) / 2, 8);
    txt_draw_string(-1, 0, title, 15);
    txt_set_cursor(64, 8);
    txt_draw_string(-1, 0, "턴", 15);
    txt_draw_string(-1, 0, txt_format_uint(positive(g_turn + 1), 0), 15);
    txt_draw_string(12, 2, "이름          클래스         Level     Hp//Max     행동", 7);

    g_zoom = 2;
    menu_clear_hit_rects();
    for (int32_t s = 0; s < UNIT_PARTY_SLOTS; ++s) {
        UnitRecord& u = g_units[static_cast<size_t>(s)];
        if (u.number == 0) continue;
        menu_set_hit_rect(s, 64, (3 + s) * MENU_ROW_H, 504, MENU_ROW_H, menu_hover_box_light);
        menu_draw_party_row(3 + s, &u);
    }
    gfx_fade_to(&colours, 1);
    win_wait_ms();
    const int32_t k = menu_run(1, g_hit_rects, UNIT_PARTY_SLOTS);

    g_zoom = zoom.saved;
    gfx_fade_to_scene_wait(1);
    gfx_restore_screen();
    gfx_set_scene_palettes(&g_menu_saved_base_palette, &g_menu_saved_second_palette, &g_scene_palette);
    g_colour_cycle_block = 0;
    return k;
}

void menu_party_list() {
    const int32_t k = menu_party_list_screen("파티일람");
    if (k >= 0 && k < UNIT_PARTY_SLOTS) {
        const UnitRecord& u = g_units[static_cast<size_t>(k)];
        map_center_view_on(u.x, u.y);
        int32_t col = 0, top = 0;
        map_cell_to_screen(u.x - g_view_x, u.y - g_view_y, &col, &top);
        win_set_mouse_pos((col + g_cell_w8 / 2) * 8, top + g_cell_h / 2);
    }
    map_redraw_view();
    gfx_fade_to_wait(&g_default_palette, 1);
}
