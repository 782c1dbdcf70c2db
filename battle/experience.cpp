// Experience, level-up and spoils: the award after a battle, the bar, the
// class growth of a level-up with its window, and the dropped item or gold.
#include <algorithm>
#include <cstdio>
#include <utility>

#include "battle/battle.h"
#include "platform/draw.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/sound.h"
#include "platform/text.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/settings.h"
#include "tactics/units.h"

const std::array<int32_t, 22> g_exp_level_scale = {10,  20,  30,  40,  50,  60,  70,  80,  90,  100, 100,
                                                   100, 100, 120, 130, 140, 150, 160, 170, 180, 190, 200};

// Chances in per cent: maximum HP, attack, defence, intelligence, magic
// defence, agility.
const std::array<std::array<uint8_t, 6>, 49> g_class_growth = {{
    {90, 70, 60, 70, 70, 90},   {100, 80, 80, 80, 80, 80}, {80, 90, 80, 50, 40, 70},   {90, 90, 80, 50, 40, 80},
    {70, 70, 70, 60, 60, 70},   {70, 70, 70, 60, 60, 70},  {100, 90, 60, 40, 40, 60},  {100, 90, 60, 40, 40, 60},
    {70, 80, 60, 60, 60, 100},  {70, 80, 60, 60, 60, 100}, {80, 50, 60, 90, 80, 70},   {80, 50, 60, 90, 80, 70},
    {100, 100, 70, 50, 50, 80}, {70, 50, 70, 90, 90, 60},  {70, 40, 60, 100, 100, 80}, {100, 80, 60, 80, 80, 90},
    {100, 100, 60, 40, 60, 80}, {40, 40, 40, 80, 60, 40},  {40, 40, 40, 80, 60, 50},   {80, 70, 70, 70, 60, 60},
    {80, 70, 70, 70, 60, 60},   {80, 60, 60, 60, 60, 60},  {80, 60, 60, 60, 60, 60},   {80, 60, 60, 90, 60, 90},
    {90, 90, 90, 70, 60, 40},   {80, 50, 50, 50, 50, 50},  {80, 50, 50, 50, 50, 50},   {80, 60, 30, 70, 60, 90},
    {80, 60, 30, 70, 60, 90},   {80, 60, 30, 70, 60, 90},  {80, 60, 30, 70, 60, 90},   {80, 60, 30, 70, 60, 0},
    {80, 60, 30, 70, 60, 0},    {80, 60, 30, 70, 60, 0},   {80, 60, 30, 70, 60, 0},    {80, 60, 30, 70, 60, 80},
    {80, 60, 30, 70, 60, 0},    {80, 60, 30, 70, 60, 0},   {80, 60, 30, 70, 60, 0},    {80, 60, 30, 70, 60, 0},
    {80, 60, 30, 70, 60, 0},    {90, 90, 80, 60, 80, 90},  {80, 60, 30, 70, 60, 60},   {80, 60, 30, 70, 60, 0},
    {80, 60, 30, 70, 60, 0},    {80, 60, 30, 70, 60, 0},   {80, 60, 30, 70, 60, 0},    {80, 60, 30, 70, 60, 0},
    {80, 60, 30, 70, 60, 0},
}};

UnitStats g_btl_levelup_copy = {};

namespace {

constexpr int32_t EXP_MAX = 11999;
constexpr int32_t LEVEL_MAX = 60;

int32_t draw100() { return util_random() % 100; }

void bar_cell(int32_t i, int32_t colour) {
    const int32_t x = 168 + 3 * i;
    gfx_fill_rect(x, 220, x + 1, 236, colour);
}

void bar_draw(int32_t start) {
    for (int32_t i = 0; i < 100; ++i) bar_cell(i, i <= start ? 15 : 13);
}

// The window with the gain line and the bar; returns the saved area.
SavedArea open_exp_window(const UnitStats* a, int32_t gain, int32_t start, const char* particle_with,
                          const char* particle_without) {
    SavedArea saved(gfx_save_rect(18, 180, 44, 80));
    if (!saved) util_memory_error();
    menu_draw_window(20, 10, 39, 2);
    const char* n = unit_display_name(a);
    char text[160];
    std::snprintf(text, sizeof text, "%s%s/6%s /f의 경험치를 얻었다.", n,
                  txt_ends_without_final(n) ? particle_without : particle_with,
                  txt_format_uint(static_cast<uint32_t>(gain), 3));
    txt_draw_string(21, 10, text, 15);
    bar_draw(start);
    return saved;
}

// Adds the gain and runs the bar, with the level-up around it when the bar
// passes 100. On the map (frame_box) the level-up line gets a box of its
// own, taken away with the level-up window: the map must not keep it.
void run_gain(int32_t s, UnitStats* a, int32_t gain, int32_t start, SavedArea saved, bool frame_box) {
    a->exp = static_cast<int16_t>(std::min(a->exp + gain, EXP_MAX));
    if (start + gain >= 100) {
        g_btl_levelup_copy = *a;
        SavedArea box;
        if (frame_box) {
            box.reset(gfx_save_rect(24, 280, 32, 100));
            menu_draw_window(26, 15, 28, 3);
        }
        btl_show_levelup_message(s);
        btl_animate_exp_bar(s, start, start + gain, 15, std::move(saved));
        btl_show_levelup_stats(a, &g_btl_levelup_copy);
        if (box) gfx_restore_rect_free(box.release());
        *a = g_btl_levelup_copy;
    } else {
        btl_animate_exp_bar(s, start, start + gain, 15, std::move(saved));
    }
}

}  // namespace

void btl_award_experience(int32_t s, int32_t kind) {
    UnitStats* a = g_btl_combatant[s];
    UnitStats* o = g_btl_combatant[1 - s];
    if (a->level < LEVEL_MAX) {
        // The scene's pictures go now; the tear-down then finds them gone.
        btl_free_scene_pictures();
        const int32_t start = a->exp % 100;
        int32_t gain = 8;
        if (kind == 0 || kind == 1) {
            gain = kind == 0 ? (g_btl_damage_total + 1) / 2 : o->exp;
            const int32_t index = std::clamp(o->level - (a->exp / 100 + 1) + 11, 0, 21);
            gain = gain * g_exp_level_scale[static_cast<size_t>(index)] / 100;
        }
        gain = std::clamp(gain, 1, 300);
        run_gain(s, a, gain, start, open_exp_window(a, gain, start, "은 ", "는 "), false);
    }
    if (kind == 1) btl_award_spoils(s, o->weapon);
}

void btl_gain_exp(int32_t gain, UnitStats* a, UnitStats* b) {
    g_btl_combatant[0] = a;
    g_btl_combatant[1] = b;
    g_btl_page = g_btl_saved_page;
    if (a->level >= LEVEL_MAX) return;
    g_btl_msgbox_store = nullptr;
    gain = std::clamp(gain, 1, 300);
    const int32_t start = a->exp % 100;
    run_gain(0, a, gain, start, open_exp_window(a, gain, start, "은", "는"), true);
}

void btl_animate_exp_bar(int32_t s, int32_t from, int32_t to, int32_t colour, SavedArea saved) {
    int32_t cell = from;
    for (int32_t p = from; p < to; ++p) {
        ++cell;
        if (cell >= 100) {
            for (int32_t i = 0; i < 100; ++i) bar_cell(i, 13);
            cell = 0;
            btl_levelup_grow_stats(s);
        }
        bar_cell(cell, colour);
        if (g_opt_battle_speed != 0) win_wait_units(2);
        snd_play_effect(SFX_CLICK);
    }
    win_wait_click_blink();
    gfx_restore_rect_free(saved.release());
}

void btl_levelup_grow_stats(int32_t) {
    UnitStats& c = g_btl_levelup_copy;
    const size_t row = static_cast<size_t>(std::clamp<int32_t>(c.class_id, 0, 48));
    const auto& g = g_class_growth[row];
    if (c.level < LEVEL_MAX) ++c.level;
    if (draw100() <= g[0]) {
        if (c.max_hp > 150) c.max_hp = 150;
        c.max_hp = static_cast<int16_t>(c.max_hp + util_random() % 3);
    }
    if (c.max_hp < 150) ++c.max_hp;
    int16_t* grown[5] = {&c.attack, &c.defence, &c.intelligence, &c.magic_defence, &c.agility};
    int32_t sum = 0;
    for (size_t i = 0; i < 5; ++i) {
        if (draw100() > g[i + 1]) continue;
        const int32_t add = c.class_id % 3 != 0 ? 1 : util_random() % 3;
        const int32_t before = *grown[i];
        *grown[i] = static_cast<int16_t>(std::min(before + add, 99));
        sum += std::max(*grown[i] - before, 0);
    }
    if (sum == 0) ++c.max_hp;
    if (c.max_hp > 150) c.max_hp = 150;
}

void btl_show_levelup_message(int32_t s) {
    const char* n = unit_display_name(g_btl_combatant[s]);
    char text[128];
    std::snprintf(text, sizeof text, "%s%s", n,
                  txt_ends_without_final(n) ? "는 레벨이 올라갔다." : "은 레벨이 올라갔다.");
    txt_draw_string(26, 17, text, 15);
}

void btl_show_levelup_stats(const UnitStats* o, const UnitStats* n) {
    SavedArea saved(gfx_save_rect(24, 0, 33, 280));
    const int32_t zoom = g_zoom;
    g_zoom = 1;
    menu_draw_window(26, 1, 28, 12);
    auto num = [](int32_t v, int32_t w) { return txt_format_uint(static_cast<uint32_t>(std::max(v, 0)), w); };
    auto diff = [&](int32_t row, int32_t before, int32_t after) {
        if (before == after) return;
        txt_draw_string(47, row, after > before ? "+" : "-", 6);
        txt_draw_string(48, row, num(std::abs(after - before), 0), 6);
    };
    txt_draw_string(38, 2, unit_display_name(n), 15);
    txt_draw_string(28, 4, "클래스", 13);
    txt_draw_string(38, 4, n->class_id >= 0 && n->class_id < CLASS_NAMES ? g_class_names[n->class_id] : "", 15);
    txt_draw_string(28, 5, "레벨", 13);
    txt_draw_string(38, 5, num(n->level, 3), 15);
    txt_draw_string(28, 6, "체력", 13);
    txt_draw_string(38, 6, num(n->hp, 3), n->hp < n->max_hp / 10 ? 10 : 15);
    txt_draw_string(41, 6, "//", 15);
    txt_draw_string(42, 6, num(n->max_hp, 0), 15);
    if (n->max_hp != o->max_hp) {
        txt_draw_string(47, 6, "+", 6);
        txt_draw_string(48, 6, num(n->max_hp - o->max_hp, 0), 6);
    }
    txt_draw_string(28, 7, "경험치", 13);
    txt_draw_string(37, 7, num(n->exp, 4), 15);
    const struct {
        const char* label;
        int16_t UnitStats::*field;
    } rows[5] = {{"공격력", &UnitStats::attack},
                 {"방어력", &UnitStats::defence},
                 {"지  력", &UnitStats::intelligence},
                 {"민첩성", &UnitStats::agility},
                 {"마법방어", &UnitStats::magic_defence}};
    for (int32_t i = 0; i < 5; ++i) {
        txt_draw_string(28, 8 + i, rows[i].label, 13);
        txt_draw_string(38, 8 + i, num(n->*rows[i].field, 3), 15);
        diff(8 + i, o->*rows[i].field, n->*rows[i].field);
    }
    g_zoom = zoom;
    win_wait_click_blink();
    gfx_restore_rect_free(saved.release());
}

void btl_award_spoils(int32_t, int32_t item_id) {
    const int32_t r = draw100();
    const ItemRecord& item = item_get(item_id);
    char text[128];
    SavedArea shown;
    if (!(item.flags & ITEM_NATURAL) && r < 25 && item_id_valid(item_id) && item_id != 0 && g_btl_attacker_unit &&
        item_give(g_btl_attacker_unit, item_id)) {
        std::snprintf(text, sizeof text, "*/6 %s%s", item.name,
                      txt_ends_without_final(item.name) ? "/*를 손에 넣었다." : "/*을 손에 넣었다.");
        shown.reset(menu_prompt_keep(-1, -1, text));
    } else {
        const uint32_t gold = item.price / 4;
        if (gold < 1) return;
        item_add_gold(gold);
        std::snprintf(text, sizeof text, "*/7 %u/*Gold 손에 넣었다", gold);
        shown.reset(menu_prompt_keep(-1, -1, text));
    }
    win_wait_click_blink();
    gfx_restore_rect_free(shown.release());
}
