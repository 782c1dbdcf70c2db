// Status windows and the party list.
#include "tactics/status.h"

#include <cstdlib>
#include <cstring>

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/text.h"
#include "story/message.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/turn.h"
#include "tactics/units.h"

const char* const g_status_labels[11] = {
    "",         "클래스",   "레벨",   "체력",     "경험치", "공격력",
    "방어력",   "지  력",   "마법방어", "민첩성", "소지품",
};

namespace {

// PENDING: the item table g_items, item_usable_by_class and item_show_kind of
// the item rules. Until they are on this branch the status window reads this
// copy of the table's name, hit, effect, flag and class-mask columns, and the
// two helpers below follow those routines; replace the three with g_items,
// item_usable_by_class and item_show_kind.
constexpr uint32_t CLASS_MASK_ANYONE = 0x2000000;
struct StatusItem {
    const char* name;
    int32_t direct_hit, indirect_hit, direct_effect, indirect_effect;
    uint32_t flags, class_mask;
};
constexpr StatusItem kStatusItems[107] = {
    {"맨손", 0, 0, 0, 0, 0x10, 0x0},
    {"약초", 10, 0, 0, 0, 0x9, CLASS_MASK_ANYONE},
    {"연고", 0, 0, 0, 0, 0x8, CLASS_MASK_ANYONE},
    {"두꺼비 기름", 0, 0, 0, 0, 0x8, CLASS_MASK_ANYONE},
    {"알약", 0, 0, 0, 0, 0x8, CLASS_MASK_ANYONE},
    {"테킬라", 0, 0, 20, 20, 0x88, CLASS_MASK_ANYONE},
    {"이릭서", 0, 0, 999, 0, 0x88, CLASS_MASK_ANYONE},
    {"머쉬룸", 0, 0, 0, 0, 0x200, CLASS_MASK_ANYONE},
    {"지식의 문서", 0, 0, 0, 0, 0x200, CLASS_MASK_ANYONE},
    {"행운의 구두", 0, 0, 0, 0, 0x200, CLASS_MASK_ANYONE},
    {"수호석", 0, 0, 0, 0, 0x200, CLASS_MASK_ANYONE},
    {"힘의 열매", 0, 0, 0, 0, 0x200, CLASS_MASK_ANYONE},
    {"마력제거 부적", 0, 0, 0, 0, 0x200, CLASS_MASK_ANYONE},
    {"파워리스트", 8, 0, 0, 0, 0x1, 0x3},
    {"장갑", 14, 0, 0, 0, 0x1, 0x3},
    {"아이언너클", 20, 0, 0, 0, 0x1, 0x3},
    {"리의 팔찌", 26, 0, 0, 0, 0x101, 0x3},
    {"가이아리스트", 32, 0, 0, 0, 0x1, 0x2},
    {"명경지수의 주먹", 38, 38, 0, 0, 0x41, 0x2},
    {"바스타드소드", 8, 0, 0, 0, 0x1, 0xC},
    {"그레이트소드", 14, 0, 0, 0, 0x1, 0xC},
    {"참마도", 20, 0, 0, 0, 0x1, 0xC},
    {"참암검", 26, 0, 0, 0, 0x1, 0x8},
    {"킹소드", 32, 0, 0, 0, 0x1, 0x8},
    {"카이저소드", 38, 0, 0, 0, 0x41, 0x8},
    {"재버린", 8, 0, 0, 0, 0x1, 0x30},
    {"스피어", 14, 0, 0, 0, 0x1, 0x30},
    {"롱스피어", 20, 0, 0, 0, 0x1, 0x30},
    {"윙스피어", 26, 0, 0, 0, 0x101, 0x30},
    {"트라이던트", 32, 0, 0, 0, 0x1, 0x20},
    {"토르네이도스피어", 38, 20, 0, 18, 0x441, 0x20},
    {"오리엔트소드", 8, 0, 0, 0, 0x1, 0x40},
    {"명도", 14, 0, 0, 0, 0x1, 0x40},
    {"초치", 20, 0, 0, 0, 0x1, 0x40},
    {"선풍도", 26, 0, 0, 0, 0x101, 0xC0},
    {"응조도", 32, 0, 0, 0, 0x1, 0x80},
    {"사자후인", 38, 0, 0, 0, 0x41, 0x80},
    {"레이피어", 8, 0, 0, 0, 0x1, 0x300},
    {"숏소드", 14, 0, 0, 0, 0x1, 0x300},
    {"글라디우스", 20, 0, 0, 0, 0x1, 0x300},
    {"플래시엣지", 26, 0, 0, 0, 0x101, 0x300},
    {"스파크엣지", 32, 32, 0, 0, 0x3, 0x200},
    {"샤인레이피어", 38, 38, 0, 0, 0x43, 0x200},
    {"쌩쌩봉", 0, 0, 8, 8, 0x3, 0xC00},
    {"액막이봉", 0, 0, 14, 14, 0x3, 0xC00},
    {"파마봉", 0, 0, 20, 20, 0x3, 0xC00},
    {"교룡의 부적", 0, 0, 20, 20, 0x103, 0xC00},
    {"이무기의 부적", 0, 0, 24, 24, 0x3, 0x800},
    {"빙룡의 부적", 0, 0, 28, 28, 0x43, 0x800},
    {"말굽", 8, 0, 0, 0, 0x1, 0x1000},
    {"강철말굽", 14, 0, 0, 0, 0x1, 0x1000},
    {"오우거의 말굽", 20, 0, 0, 0, 0x1, 0x1000},
    {"수정지팡이", 0, 0, 8, 8, 0x3, 0x2000},
    {"보주지팡이", 0, 0, 12, 12, 0x3, 0x2000},
    {"볼케이노로드", 0, 0, 16, 12, 0x443, 0x2000},
    {"종마의 반지", 0, 0, 20, 20, 0x3, 0x4000},
    {"도마의 반지", 0, 0, 26, 26, 0x3, 0x4000},
    {"소환의 반지", 0, 0, 32, 32, 0x443, 0x4000},
    {"정령의 반지", 0, 0, 0, 0, 0x20, 0x4000},
    {"", 0, 0, 0, 0, 0x1, 0x0},
    {"맨손", 10, 0, 0, 0, 0x11, 0x0},
    {"맨손", 0, 10, 0, 0, 0x12, 0x0},
    {"맨손", 10, 10, 0, 0, 0x13, 0x0},
    {"화강암", 12, 12, 0, 0, 0x13, 0x8000},
    {"현무암", 24, 24, 0, 0, 0x13, 0x8000},
    {"초겨울바람", 12, 12, 0, 0, 0x13, 0x10000},
    {"육갑재넘이", 24, 24, 0, 0, 0x13, 0x10000},
    {"분노의 불꽃", 8, 8, 0, 0, 0x13, 0x20000},
    {"정열의 불꽃", 16, 16, 0, 0, 0x13, 0x20000},
    {"물", 8, 8, 0, 0, 0x13, 0x40000},
    {"맛있는 물", 16, 16, 0, 0, 0x13, 0x40000},
    {"핼버드", 16, 0, 0, 0, 0x11, 0x0},
    {"루선해머", 20, 15, 0, 0, 0x13, 0x0},
    {"폭마의 반지", 0, 0, 20, 20, 0x13, 0x0},
    {"연옥의 불꽃", 26, 20, 0, 0, 0x13, 0x0},
    {"롱소드", 8, 0, 0, 0, 0x11, 0x0},
    {"브로드소드", 16, 0, 0, 0, 0x11, 0x0},
    {"갓슬레이어", 26, 0, 0, 0, 0x11, 0x0},
    {"파멸의 반지", 0, 0, 26, 26, 0x13, 0x0},
    {"대겸", 10, 12, 0, 0, 0x13, 0x0},
    {"사신의 낫", 16, 16, 0, 0, 0x13, 0x0},
    {"소화액", 8, 0, 0, 0, 0x11, 0x0},
    {"용해액", 16, 0, 0, 0, 0x11, 0x0},
    {"원한", 0, 0, 8, 8, 0x13, 0x0},
    {"원념", 0, 0, 16, 16, 0x13, 0x0},
    {"곤봉", 20, 0, 0, 0, 0x11, 0x0},
    {"통나무", 26, 0, 0, 0, 0x11, 0x0},
    {"메이스", 14, 0, 0, 0, 0x11, 0x0},
    {"동도금", 8, 0, 0, 0, 0x11, 0x0},
    {"은도금", 32, 0, 0, 0, 0x11, 0x0},
    {"예리한 손톱", 12, 0, 0, 0, 0x11, 0x0},
    {"인렬조", 18, 0, 0, 0, 0x11, 0x0},
    {"대두", 8, 8, 0, 0, 0x13, 0x0},
    {"석두", 16, 16, 0, 0, 0x13, 0x0},
    {"붕대", 24, 24, 0, 0, 0x13, 0x0},
    {"엄청 단단한 붕대", 24, 24, 0, 0, 0x16, 0x0},
    {"롱호른", 16, 0, 0, 0, 0x11, 0x0},
    {"일천만파워의 뿔", 24, 0, 0, 0, 0x11, 0x0},
    {"질풍의 날개", 16, 16, 0, 0, 0x13, 0x0},
    {"열풍의 날개", 24, 24, 0, 0, 0x13, 0x0},
    {"허브", 20, 20, 0, 0, 0x13, 0x0},
    {"킹코브라", 24, 24, 0, 0, 0x13, 0x0},
    {"저주의 뼈", 12, 0, 0, 0, 0x11, 0x0},
    {"Ca이 많은 뼈", 16, 0, 0, 0, 0x11, 0x0},
    {"악의", 20, 20, 0, 0, 0x13, 0x0},
    {"데스브링거", 26, 26, 0, 0, 0x13, 0x0},
    {"", 0, 0, 0, 0, 0x0, 0x0},
};
constexpr uint32_t ST_ITEM_DIRECT = 0x1, ST_ITEM_NEAR = 0x2, ST_ITEM_FAR = 0x4, ST_ITEM_HEAL = 0x8,
                   ST_ITEM_SUMMON = 0x20, ST_ITEM_REVIVE = 0x80, ST_ITEM_SPECIAL = 0x200, ST_ITEM_AREA = 0x400;

const StatusItem& status_item(int32_t id) { return kStatusItems[id >= 0 && id < 107 ? id : 0]; }

int32_t status_item_usable(int32_t id, int32_t class_id) {
    const uint32_t mask = status_item(id).class_mask;
    if (mask == CLASS_MASK_ANYONE) return 1;
    return class_id >= 0 && class_id < 25 && ((mask >> class_id) & 1) ? 1 : 0;
}

void status_item_kind(const UnitRecord* unit, int32_t id, int32_t kinds) {
    const uint32_t f = status_item(id).flags;
    if (kinds) {
        if (f & ST_ITEM_SUMMON) return txt_draw_string(-1, 0, "소환", 10);
        if (f & ST_ITEM_REVIVE) return txt_draw_string(-1, 0, "부활", 10);
        if (f & ST_ITEM_HEAL) return txt_draw_string(-1, 0, "회복", 10);
        if (f & ST_ITEM_SPECIAL) return txt_draw_string(-1, 0, "특수", 13);
        if ((f & ST_ITEM_AREA) && unit && unit->charged) return txt_draw_string(-1, 0, "광역", 10);
    }
    switch (f & 7) {
        case 0: return;
        case ST_ITEM_DIRECT: return txt_draw_string(-1, 0, "직접", 9);
        case ST_ITEM_NEAR: return txt_draw_string(-1, 0, "근거리", 6);
        case ST_ITEM_FAR: return txt_draw_string(-1, 0, "원거리", 6);
        default: break;
    }
    static constexpr const char* kLetters[3] = {"직", "근", "원"};
    bool first = true;
    for (int32_t b = 0; b < 3; ++b) {
        if (!(f & (1u << b))) continue;
        if (!first) txt_draw_string(-1, 0, "／", 15);
        txt_draw_string(-1, 0, kLetters[b], 9);
        first = false;
    }
}

constexpr int32_t AI_MODE_WALK_ON = 19;

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
// sign (a space for 0) when the weapon has that reach, else a cross.
void draw_bonus_bracket(uint32_t flags, int32_t near_value, int32_t far_value) {
    txt_draw_string(-1, 0, "(", 15);
    if (flags & ST_ITEM_DIRECT) {
        txt_draw_string(-1, 0, near_value != 0 ? "+" : " ", 9);
        txt_draw_string(-1, 0, txt_format_uint(positive(near_value), 2), 9);
    } else {
        txt_draw_string(-1, 0, "×", 9);
    }
    txt_draw_string(-1, 0, "/", 15);
    if (flags & ST_ITEM_NEAR) {
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
    txt_draw_string(-1, 0, "/", 15);
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
    if (terrain == 5 || terrain == 8) {
        txt_draw_string(32, 11, "회복율", 15);
        txt_draw_string(-1, 0, txt_format_uint(terrain == 5 ? 30u : 20u, 4), 15);
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
    const int32_t h = mode != 0 && mode != AI_MODE_WALK_ON ? 13 : 16;
    const int32_t c0 = (MENU_SCREEN_COLS - w) / 2, r0 = (20 - h) / 2;
    menu_draw_window(c0, r0, w, h);
    const int32_t c = c0 + 2, v = c + 10;
    int32_t r = r0 + 1;

    g_zoom = 1;
    draw_able_sprite(unit, c, r * MENU_ROW_H - 6);
    if (face) {
        if (uint8_t* picture = txt_load_face(unit_face_code(&unit->stats))) {
            gfx_blit_image_keyed(c + 26, r * 18, picture);
            std::free(picture);
        }
    }

    const UnitStats& s = unit->stats;
    const StatusItem& weapon = status_item(s.weapon);
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
                    if (mode == 0 && !status_item_usable(id, s.class_id)) txt_draw_string(v, line, "×", 10);
                    txt_draw_string(c + 12, line, status_item(id).name, 15);
                    txt_set_cursor(c + 28, line * MENU_ROW_H);
                    status_item_kind(unit, id, 1);
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
    g_colour_cycle_block = 1;
    uint8_t* picture = file_load_data("a:back1.gem");
    if (!picture) util_memory_error();
    gfx_fade_to_scene_wait(1);
    Palette16 colours{};
    gfx_get_palette16(picture, &colours);
    gfx_set_scene_palettes(&colours, nullptr, &g_scene_palette);
    if (picture) gfx_blit_image(2, 0, picture);
    std::free(picture);

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
