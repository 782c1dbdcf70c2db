// The unit's item commands: item slot menu with class change, item use and
// item exchange.
#include "tactics/item_menu.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "battle/battle.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/text.h"
#include "story/message.h"
#include "tactics/item_screens.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/move.h"
#include "tactics/pick.h"
#include "tactics/units.h"

const std::array<SummonRow, SUMMON_ROWS> g_summon_rows = {{
    {" 노움      을 소환한다. ", 22, 15, 64},
    {" 실프      를 소환한다. ", 23, 16, 66},
    {" 샐러맨더를 소환한다. ", 24, 17, 68},
    {" 언다인을 소환한다. ", 25, 18, 70},
}};

namespace {

constexpr int32_t MAX_HP_CAP = 150;
constexpr int32_t STAT_CAP = 99;

// A stat booster: the stat it raises, by how much, its cap and its line.
struct Booster {
    int32_t item_id;
    int16_t UnitStats::*stat;
    int32_t amount;
    int32_t cap;
    const char* line;
};
constexpr Booster BOOSTERS[] = {
    {7, &UnitStats::max_hp, 5, MAX_HP_CAP, "/7체력의 한계/*가 5 올라갔다!"},
    {8, &UnitStats::intelligence, 3, STAT_CAP, "   /7지력/* 이 3 올라갔다!    "},
    {9, &UnitStats::agility, 3, STAT_CAP, "  /7민첩성/* 이 3 올라갔다!   "},
    {10, &UnitStats::defence, 3, STAT_CAP, "  /7방어력/* 이 3 올라갔다!   "},
    {11, &UnitStats::attack, 3, STAT_CAP, "  /7공격력/* 이 3 올라갔다!   "},
    {12, &UnitStats::magic_defence, 3, STAT_CAP, " /7마법방어/* 가 3 올라갔다!  "},
};

const char* const SUMMON_MENU[] = {g_summon_rows[0].line, g_summon_rows[1].line, g_summon_rows[2].line,
                                   g_summon_rows[3].line, nullptr};

constexpr const char* PICK_UNIT_TEXT = "유닛을 선택해 주십시오.";

uint8_t& occ_at(int32_t x, int32_t y) { return g_occupancy.cells[y * MAP_SIDE + x]; }

// The one-row window that asks for a unit: row 16, or row 2 when the user
// stands in the lower half of the view.
void draw_pick_window(const UnitRecord* user) {
    const int32_t row = user->y - g_view_y > g_view_rows / 2 ? 2 : 16;
    menu_draw_window(6, row, static_cast<int32_t>(std::strlen(PICK_UNIT_TEXT)), 1);
    txt_draw_string(6, row, PICK_UNIT_TEXT, 15);
}

void take_one_piece(BagEntry& e) {
    e.count = static_cast<int16_t>(e.count - 1);
    if (e.count <= 0) {
        e.count = 0;
        e.item_id = 0;
    }
}

void unequip(UnitRecord* u) {
    u->stats.weapon = 0;
    u->equipped_slot = ITEM_NO_SLOT;
}

// --- item slot menu ----------------------------------------------------------------

void draw_slot_list(UnitRecord* unit, SavedRect* list_area) {
    menu_clear_hit_rects();
    gfx_restore_rect(-1, 0, list_area);
    for (int32_t i = 0; i < ITEM_SLOTS; ++i) {
        const int32_t id = unit->items[i];
        if (id == 0) continue;
        const int32_t row = i + 4;
        if (unit->equipped_slot == i) txt_draw_string(30, row, "★", 6);
        if (!item_usable_by_class(id, unit->stats.class_id)) txt_draw_string(30, row, "×", 10);
        txt_draw_string(32, row, item_get(id).name, 15);
        txt_set_cursor(53, row * MENU_ROW_H);
        item_show_kind(unit, id, 1);
        menu_set_hit_rect(i, 240, row * MENU_ROW_H, 320, MENU_ROW_H, menu_hover_box_dark);
    }
    sys_invalidate(g_hwnd_game);
}

// Offers the sale of slot k; 0 when the item cannot be sold.
int32_t sell_slot(UnitRecord* unit, int32_t k, SavedRect* message_area) {
    const ItemRecord& item = item_get(unit->items[k]);
    if (item.price == 0) {
        menu_prompt(-1, -1, "이것은 팔 수 없습니다.", 0);
        return 0;
    }
    gfx_restore_rect(-1, 0, message_area);
    txt_draw_string(8, 12, item.name, 7);
    txt_draw_string(-1, 0, item_particle(item.name, "는 ", "은 "), 15);
    txt_draw_string(-1, 0, std::to_string(item.price / 2).c_str(), 7);
    txt_draw_string(-1, 0, "Gold가 됩니다.", 15);
    if (menu_prompt(20, 15, "팔겠습니까? { 예 }{ 아니오 }", 1) == 0) {
        item_add_gold(item.price / 2);
        unit->items[k] = 0;
        if (unit->equipped_slot == k) unequip(unit);
    }
    return 1;
}

void equip_slot(UnitRecord* unit, int32_t k) {
    const int32_t id = unit->items[k];
    const bool base_class = unit_class_is_final(unit->stats.class_id) == 0;
    if ((item_get(id).flags & ITEM_CLASS_CHANGE) && base_class && unit->stats.level < ITEM_LEVEL_CLASS_CHANGE) {
        menu_prompt(-1, -1, "아직 이것을 장비할 자격이 없다.", 0);
        return;
    }
    if (unit->equipped_slot == k) {
        unequip(unit);
    } else {
        unit->stats.weapon = static_cast<int16_t>(id);
        unit->equipped_slot = static_cast<uint16_t>(k);
    }
    if ((item_get(unit->stats.weapon).flags & ITEM_CLASS_CHANGE) && unit->stats.level >= ITEM_LEVEL_CLASS_CHANGE &&
        base_class) {
        unit->stats.class_id = static_cast<int16_t>(unit->stats.class_id + 1);
        unit->stats.level = 1;
        const std::string text = std::string("/7") + g_class_names[unit->stats.class_id] + "/*로 클래스체인지 했다!";
        menu_prompt(-1, -1, text.c_str(), 0);
    }
    unit->charged = 0;
}

// --- item use ------------------------------------------------------------------------

// The revive pick: the unit to revive, or null when there is none or the
// player cancels.
UnitRecord* pick_revive_target(UnitRecord* user) {
    const int32_t n = btl_find_targets(user->x, user->y, user, 4);
    if (n == 0) {
        menu_prompt(-1, -1, "사용할 상대가 주위에 없습니다.", 0);
        return nullptr;
    }
    occ_at(user->x, user->y) |= OCC_MARK_A | OCC_MARK_B;
    for (int32_t i = 0; i < n; ++i) {
        const UnitRecord* t = g_unit_target_list[static_cast<size_t>(i)];
        occ_at(t->x, t->y) |= OCC_MARK_A;
    }
    map_center_view_on(user->x, user->y);
    map_redraw_view();
    draw_pick_window(user);
    int32_t px = 0, py = 0;
    const int32_t picked = map_pick_cell(&px, &py, PICK_HIGHLIGHT);
    occ_at(user->x, user->y) &= OCC_UNIT_MASK;
    for (int32_t i = 0; i < n; ++i) {
        const UnitRecord* t = g_unit_target_list[static_cast<size_t>(i)];
        occ_at(t->x, t->y) &= OCC_UNIT_MASK;
    }
    UnitRecord* target = picked ? unit_at_cell(px, py) : nullptr;
    if (!target) {
        map_redraw_view();
        return nullptr;
    }
    // The countdown of a knocked-out unit ends with its revival.
    if (target->stats.hp == 0) target->status = 0;
    const char* name = unit_display_name(&target->stats);
    const std::string text =
        std::string("/6") + name + item_particle(name, "/*는 정신이 들었다.", "/*은 정신이 들었다.");
    menu_prompt(-1, -1, text.c_str(), 0);
    return target;
}

bool party_slot_free() {
    for (int32_t s = 0; s < UNIT_PARTY_SLOTS; ++s)
        if (g_units[static_cast<size_t>(s)].number == 0) return true;
    return false;
}

void summon_or_dismiss(UnitRecord* user) {
    if (user->acted) {
        menu_prompt(-1, -1, "행동이 종료되었으므로 사용할 수 없습니다.", 0);
        return;
    }
    if (UnitRecord* spirit = unit_find_spirit()) {
        if (menu_prompt(-1, -1, "소환한 정령을 돌려보내겠습까? { 예 } { 아니오 }", 1) == 0) {
            map_move_unit_step(spirit, 6);
            user->acted = 1;
        }
        return;
    }
    const int32_t k = menu_list_select(-1, -1, SUMMON_MENU, -1, 1);
    if (k < 0 || k >= SUMMON_ROWS) return;
    const SummonRow& row = g_summon_rows[static_cast<size_t>(k)];
    UnitStats stats = user->stats;
    stats.char_id = row.char_id;
    stats.class_id = row.class_id;
    stats.weapon = row.weapon;
    stats.ai_mode = AI_MODE_PLAYER;  // the spirit fights on the party side
    int32_t sx = -1, sy = -1;
    for (int32_t dir = 0; dir < 4 && sx < 0; ++dir) {
        int32_t x = user->x, y = user->y;
        if (!map_step_dir(&x, &y, dir) || occ_at(x, y) != 0) continue;
        const int32_t cost =
            g_move_costs[static_cast<size_t>(row.class_id)][static_cast<size_t>(map_terrain_class_at(x, y))];
        if (cost <= MOVE_BUDGET) {
            sx = x;
            sy = y;
        }
    }
    // Without a free party record the spirit would take a record of the
    // other side; the summon is refused instead.
    if (sx < 0 || !party_slot_free()) {
        menu_prompt(-1, -1, "소환할 수 있는 장소가 없습니다.", 0);
        return;
    }
    UnitRecord* spirit = unit_place_new(sx, sy, &stats);
    if (!spirit) {
        menu_prompt(-1, -1, "소환할 수 있는 장소가 없습니다.", 0);
        return;
    }
    spirit->acted = 1;
    snd_play_effect(SFX_VANISH);
    map_redraw_view();
    const char* name = g_char_names[row.char_id];
    const std::string text = std::string(name) + item_particle(name, "를 소환했습니다.", "을 소환했습니다.");
    menu_prompt(-1, -1, text.c_str(), 0);
    user->acted = 1;
}

void use_booster(UnitRecord* target, BagEntry& entry) {
    const int32_t id = entry.item_id;
    take_one_piece(entry);
    menu_draw_window(25, 9, 30, 1);
    const Booster* booster = nullptr;
    for (const Booster& b : BOOSTERS)
        if (b.item_id == id) booster = &b;
    if (booster) {
        int16_t& value = target->stats.*(booster->stat);
        value = static_cast<int16_t>(std::min(value + booster->amount, booster->cap));
        txt_draw_string(25, 9, booster->line, 15);
    } else {
        txt_draw_string(25, 9, "    그것은 사용할 수 없습니다!    ", 15);
        entry.item_id = static_cast<int16_t>(id);
        entry.count = static_cast<int16_t>(entry.count + 1);
    }
    win_wait_click_blink();
}

void use_healing(UnitRecord* target, BagEntry& entry) {
    const int32_t amount = item_heal_amount(entry.item_id);
    menu_draw_window(30, 9, 20, 1);
    txt_set_cursor(30, 180);
    const int32_t hp = target->stats.hp + amount;
    txt_draw_string(-1, 0, "체력이 ", 15);
    if (hp < target->stats.max_hp) {
        target->stats.hp = static_cast<int16_t>(hp);
        txt_draw_string(-1, 0, std::to_string(amount).c_str(), 6);
        txt_draw_string(-1, 0, "회복되었다.", 15);
    } else {
        target->stats.hp = target->stats.max_hp;
        txt_draw_string(-1, 0, "완쾌되었다.", 15);
    }
    take_one_piece(entry);
    win_wait_click_blink();
}

}  // namespace

int32_t item_heal_amount(int32_t item_id) {
    if (item_id == 4 || item_id == 6) return 999;
    if (item_id == 5) return 20;
    return static_cast<int32_t>(item_get(item_id).price / 5);
}

void item_unit_slot_menu(UnitRecord* unit) {
    if (!unit) return;
    txt_show_message(568, {unit});
    const SavedArea message_area(gfx_save_rect(6, 240, 68, 100));
    txt_show_message(569, {""});
    const SavedArea list_area(gfx_save_rect(29, 80, 40, 80));

    for (;;) {
        draw_slot_list(unit, list_area.get());
        const int32_t k = menu_run(1, g_hit_rects, 99);
        if (k < 0 || k >= ITEM_SLOTS) break;
        const int32_t id = unit->items[k];
        const ItemRecord& item = item_get(id);
        gfx_restore_rect(-1, 0, message_area.get());
        item_show_info(unit, id);
        std::string offer = std::string("/7") + item.name + "/*  { 판다 }";
        if (unit->equipped_slot == k)
            offer += " { 제거한다 }";
        else if (item_usable_by_class(id, unit->stats.class_id))
            offer += " { 장비한다 }";
        const int32_t choice = menu_prompt(-1, 9, offer.c_str(), 0);
        if (choice == 0) {
            if (!sell_slot(unit, k, message_area.get())) continue;
        } else if (choice == 1) {
            equip_slot(unit, k);
        }
        gfx_restore_rect(-1, 0, message_area.get());
        txt_show_message(569, {""});
    }

    gfx_fade_to_scene_wait(1);
    map_redraw_view();
    gfx_fade_to_wait(&g_default_palette, 1);
    item_compact_unit_slots(unit);
}

void item_use(UnitRecord* unit) {
    if (!unit) return;
    int32_t b = -1;
    while (b < 0 || g_bag[static_cast<size_t>(b)].item_id == 0) {
        b = item_bag_screen("사용할 아이템을 선택해 주십시오.", unit);
        if (b < 0 || b >= BAG_ENTRIES) return;
    }
    BagEntry& entry = g_bag[static_cast<size_t>(b)];
    const uint32_t flags = item_get(entry.item_id).flags;
    UnitRecord* target = unit;
    if (flags & ITEM_REVIVE) {
        target = pick_revive_target(unit);
        if (!target) return;
    }
    if (flags & ITEM_SUMMON) summon_or_dismiss(unit);
    if (flags & ITEM_SPECIAL) use_booster(target, entry);
    if (flags & ITEM_HEAL) use_healing(target, entry);
    target->charged = 0;
    map_redraw_view();
}

void item_exchange_weapon(UnitRecord* unit) {
    if (!unit) return;
    for (UnitRecord& o : g_units) {
        if (&o == unit || o.number == 0 || o.stats.hp == 0 || !map_on_map(o.x, o.y)) continue;
        const int32_t d = map_manhattan_distance(unit->x, unit->y, o.x, o.y);
        if (d == 1 || d == 2) occ_at(o.x, o.y) |= OCC_MARK_B;
    }
    g_exchange_marking = 1;
    map_center_view_on(unit->x, unit->y);
    map_redraw_view();
    draw_pick_window(unit);
    int32_t px = 0, py = 0;
    const int32_t picked = map_pick_cell(&px, &py, PICK_HIGHLIGHT);
    for (const UnitRecord& o : g_units)
        if (o.number != 0 && map_on_map(o.x, o.y)) occ_at(o.x, o.y) &= OCC_UNIT_MASK;

    UnitRecord* partner = picked ? unit_at_cell(px, py) : nullptr;
    if (partner == unit) partner = nullptr;
    if (partner) {
        map_redraw_view();
        txt_show_message(567, {unit, partner});
        menu_prompt(-1, 9, "*교환하고 싶은 무기를 선택해 주십시오.", 0);
        const SavedArea area(gfx_save_rect(24, 80, 30, 260));
        UnitRecord* const sides[2] = {unit, partner};
        int32_t sel = -1;
        for (;;) {
            gfx_restore_rect(-1, 0, area.get());
            menu_clear_hit_rects();
            txt_draw_string(26, 3, unit_display_name(&unit->stats), 7);
            txt_draw_string(26, 12, unit_display_name(&partner->stats), 7);
            for (int32_t side = 0; side < 2; ++side)
                for (int32_t i = 0; i < ITEM_SLOTS; ++i) {
                    UnitRecord* owner = sides[side];
                    const int32_t id = owner->items[i];
                    const int32_t row = i + (side == 0 ? 4 : 13);
                    const int32_t c = side * 4 + i;
                    if (id != 0) {
                        txt_draw_string(26, row, item_get(id).name, sel == c ? 6 : 15);
                        txt_set_cursor(44, row * MENU_ROW_H);
                        item_show_kind(owner, id, 1);
                    }
                    if (id == 0 || !(item_get(id).flags & ITEM_NATURAL))
                        menu_set_hit_rect(c, 200, row * MENU_ROW_H, 240, MENU_ROW_H, menu_hover_box_dark);
                }
            const int32_t c = menu_run(1, g_hit_rects, 8);
            if (c < 0 || c >= 8) break;
            if (sel == -1 || c / 4 == sel / 4) {
                sel = sides[c / 4]->items[c % 4] != 0 ? c : -1;
                continue;
            }
            const int32_t u = c < 4 ? c : sel, p = (c < 4 ? sel : c) - 4;
            std::swap(unit->items[u], partner->items[p]);
            if (unit->equipped_slot == u) unequip(unit);
            if (partner->equipped_slot == p) unequip(partner);
            snd_play_effect(SFX_CLICK);
            sel = -1;
        }
        item_compact_unit_slots(unit);
        item_compact_unit_slots(partner);
    }
    g_exchange_marking = 0;
    gfx_fade_to_scene_wait(1);
    map_redraw_view();
    gfx_fade_to_wait(&g_default_palette, 1);
}
