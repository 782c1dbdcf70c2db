// Battle reactions, messages and the status display: the struck fighter's
// reaction frames, the downed fall, hovering, every line of battle text,
// heals, the HP bars and the status panel.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "battle/battle.h"
#include "platform/draw.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "sys/sys.h"
#include "tactics/map.h"
#include "tactics/units.h"

const std::array<int16_t, 18> g_btl_hover_table = {0, 1, 3, 6, 10, 14, 17, 19, 20, 20, 19, 17, 14, 10, 6, 3, 1, 0};
const std::array<uint8_t, 54> g_class_floats = [] {
    std::array<uint8_t, 54> t{};
    for (int c : {15, 16, 17, 18, 20, 23, 31, 33}) t[static_cast<size_t>(c)] = 1;
    return t;
}();
const char* const g_btl_spell_names[4] = {"리커버", "힐", "리브로우", "베호이미"};

namespace {

constexpr int32_t BOX_COL = 26, BOX_ROW = 15, BOX_W = 28, BOX_H = 3;
constexpr int32_t GROUND_Y = 240;

BattleActor& fighter(int32_t s) { return g_btl_actor[static_cast<size_t>(s)]; }
UnitStats* stats(int32_t s) { return g_btl_combatant[s]; }
const char* name_of(int32_t s) { return unit_display_name(stats(s)); }

// A companion's pose; a fighter without one has nothing to set.
void companion_pose(const BattleActor& f, int16_t pose) {
    if (f.companion > 1 && f.companion < BTL_ACTORS) g_btl_actor[static_cast<size_t>(f.companion)].state = pose;
}

void clamp_x(BattleActor& f) { f.x = static_cast<int16_t>(std::clamp<int32_t>(f.x, 4, 75)); }

// Moves the fighter recoil units away from its opponent.
void recoil_away(int32_t s, BattleActor& f) { f.x = static_cast<int16_t>(s == 0 ? f.x - f.recoil : f.x + f.recoil); }

// One frame of a thrown fighter's fall (state 2, above the ground): down by
// its vertical speed, which grows by 8, and one column away from its
// opponent, for side 1 only with `both_sides` (the frame the damage shows).
void thrown_fall(int32_t s, BattleActor& f, bool both_sides) {
    btl_actor_fall(s, 8);
    if (s == 0)
        f.x = static_cast<int16_t>(f.x - 1);
    else if (both_sides)
        f.x = static_cast<int16_t>(f.x + 1);
}

void box_text(const char* text) {
    btl_msgbox_clear();
    txt_draw_string(BOX_COL, BOX_ROW, text, 15);
}

// Parks an actor: its place is kept in the stash words and it moves to 0, 0.
void stash(BattleActor& a) {
    a.stash_x = a.x;
    a.stash_y = a.y;
    a.x = 0;
    a.y = 0;
}

}  // namespace

void btl_msgbox_clear() {
    if (g_btl_msgbox_store) gfx_restore_rect(-1, 0, g_btl_msgbox_store);
    menu_draw_window(BOX_COL, BOX_ROW, BOX_W, BOX_H);
}

BattleActor* btl_spark() {
    if (g_btl_spark_actor < 2 || g_btl_spark_actor >= BTL_ACTORS) return nullptr;
    return &g_btl_actor[static_cast<size_t>(g_btl_spark_actor)];
}

void btl_spark_place(int32_t s) {
    BattleActor* spark = btl_spark();
    if (!spark) return;
    const BattleActor& f = fighter(s);
    const BattleActor& o = fighter(1 - s);
    spark->x = f.x;
    spark->y = static_cast<int16_t>(std::abs(o.y - f.y) / 2 + std::min(f.y, o.y) - 16);
    spark->layer = 3;
    spark->present[0] = spark->present[1] = 0;
    spark->state = spark->step = spark->w21 = spark->companion = spark->first_effect = spark->w24 = 0;
    spark->slot = g_btl_actor[COMMON_SHEET_ACTOR].slot;
    spark->flags = f.flags;
    spark->frame = g_btl_crit_shown ? 19 : 8;
}

void btl_spark_damage(int32_t s) {
    if (BattleActor* spark = btl_spark()) spark->frame = g_btl_crit_shown ? 20 : 9;
    const int32_t old_hp = stats(s)->hp;
    const int32_t new_hp = std::max(old_hp - g_btl_last_damage, 0);
    btl_draw_hp_bar(old_hp, new_hp, s);
    stats(s)->hp = static_cast<int16_t>(new_hp);
    if (g_btl_animated && g_btl_crit_shown) gfx_set_palette16(&g_btl_palette);
}

void btl_spark_park() {
    if (BattleActor* spark = btl_spark()) stash(*spark);
}

void btl_apply_hit(int32_t s) {
    BattleActor& f = fighter(s);
    companion_pose(f, 4);
    uint16_t phase = g_btl_hit_phase[s];
    const bool airborne = f.state == 2 && f.y < GROUND_Y;
    switch (phase) {
        case 1:
            if (stats(s)->hp <= 0) {
                f.state = 7;
                f.timer = 0;
                g_btl_hit_phase[s] = 0;
                return;
            }
            btl_spark_place(s);
            if (g_btl_last_damage != 0)
                f.frame = f.loop_last;
            else if (f.state == 5 || f.state == 6)
                f.frame = (f.hit_count & 1) ? f.loop_first : f.loop_last;
            else
                f.frame = f.loop_first;
            ++f.hit_count;
            if (airborne)
                thrown_fall(s, f, false);
            else
                recoil_away(s, f);
            phase = 2;
            break;
        case 2:
            btl_spark_damage(s);
            if (airborne)
                thrown_fall(s, f, true);
            else
                recoil_away(s, f);
            phase = 3;
            break;
        case 3:
            btl_spark_park();
            // A beaten fighter enters the downed fall; it is no longer
            // airborne, so it takes the last recoil below.
            if (stats(s)->hp <= 0) {
                f.state = 7;
                f.timer = 0;
            }
            if (airborne && f.state == 2) {
                thrown_fall(s, f, false);
            } else {
                recoil_away(s, f);
                phase = 0;
            }
            break;
        default: phase = 0; break;
    }
    if (f.y > GROUND_Y) f.y = GROUND_Y;
    clamp_x(f);
    g_btl_hit_phase[s] = phase;
    companion_pose(f, 4);
}

void btl_anim_fall(int32_t s) {
    BattleActor& f = fighter(s);
    auto arc = [s, &f]() {
        btl_actor_fall(s, 4);
        f.x = static_cast<int16_t>((f.flags & 1) ? f.x - 1 : f.x + 1);
    };
    auto downed_message = [s]() {
        if (stats(s)->ai_mode != AI_MODE_PLAYER)
            btl_msg_defeated(s);
        else
            btl_msg_did_utmost(s);
    };
    const int16_t step = f.timer;
    switch (step) {
        case 0:
            g_btl_hit_phase[s] = 1;
            f.frame = f.loop_first;
            f.ground_y = g_class_floats[static_cast<size_t>(std::clamp<int32_t>(f.class_id, 0, 53))] ? 0 : GROUND_Y;
            f.stash_y = -12;
            ++f.timer;
            break;
        case 1:
            if (f.stash_y > -8) f.frame = static_cast<int16_t>(f.loop_first + 1);
            arc();
            if (f.y >= GROUND_Y) {
                f.y = GROUND_Y;
                f.frame = static_cast<int16_t>(f.loop_first + 2);
                f.stash_y = -8;
                ++f.timer;
            }
            break;
        case 2:
            f.frame = static_cast<int16_t>(f.loop_first + 1);
            arc();
            if (f.y >= GROUND_Y) {
                f.y = GROUND_Y;
                f.frame = static_cast<int16_t>(f.loop_first + 2);
                downed_message();
                ++f.timer;
            }
            break;
        case 3:
            downed_message();
            f.frame = f.loop_last;
            ++f.timer;
            break;
        default: g_btl_hit_phase[s] = 0; break;
    }
    if (step == 1 || step == 2) companion_pose(f, f.y >= 226 ? 5 : 7);
    clamp_x(f);
}

void btl_actor_hover(int32_t actor) {
    if (actor < 0 || actor >= BTL_ACTORS) return;
    BattleActor& a = g_btl_actor[static_cast<size_t>(actor)];
    a.frame = static_cast<int16_t>(a.frame + 1);
    if (a.frame > a.loop_last || a.frame < a.loop_first) a.frame = a.loop_first;
    a.ground_y = GROUND_Y;
    a.stash_y = static_cast<int16_t>(a.stash_y + 1);
    if (a.stash_y < 0 || a.stash_y > 17) a.stash_y = 0;
    a.y = static_cast<int16_t>(GROUND_Y - g_btl_hover_table[static_cast<size_t>(a.stash_y)]);
    companion_pose(a, a.stash_y >= 4 && a.stash_y <= 14 ? 7 : 5);
}

void btl_msg_damage(int32_t s) {
    if (stats(s)->hp == 0 || g_btl_pending_heal != 0) return;
    g_btl_last_damage = static_cast<uint16_t>(g_btl_hp_before - stats(s)->hp);
    char text[128];
    if (g_btl_last_damage == 0 && fighter(1 - s).show_zero_damage == 0) {
        std::snprintf(text, sizeof text, "대미지를 줄 수 없다!");
    } else {
        std::snprintf(text, sizeof text, "%s에 /9%s/f의 대미지", name_of(s), txt_format_uint(g_btl_last_damage, 3));
    }
    box_text(text);
}

void btl_msg_did_utmost(int32_t s) {
    char text[128];
    const char* n = name_of(s);
    std::snprintf(text, sizeof text, "%s%s", n, txt_ends_without_final(n) ? "는 전력을 다했다." : "은 전력을 다했다.");
    box_text(text);
}

void btl_msg_defeated(int32_t s) {
    char text[128];
    const char* n = name_of(s);
    std::snprintf(text, sizeof text, "%s%s", n, txt_ends_without_final(n) ? "를 쓰러뜨렸다." : "을 쓰러뜨렸다.");
    box_text(text);
}

void btl_msg_cast(int32_t s, int32_t spell) {
    char text[128];
    const char* n = name_of(s);
    const int32_t cls = stats(s)->class_id;
    if (cls == CLASS_SIREN || cls == CLASS_VALKYRIE) {
        std::snprintf(text, sizeof text, "%s%s춤을 추었다.", n, txt_ends_without_final(n) ? "는 " : "은 ");
    } else {
        const char* sp = g_btl_spell_names[std::clamp<int32_t>(spell, 0, 3)];
        std::snprintf(text, sizeof text, "%s%s%s%s", n, txt_ends_without_final(n) ? "는 " : "은 ", sp,
                      txt_ends_without_final(sp) ? "를 외쳤다." : "을 외쳤다.");
    }
    box_text(text);
}

void btl_msg_waiting(int32_t s) {
    char text[128];
    const char* n = name_of(1 - s);
    std::snprintf(text, sizeof text, "%s%s/f대기하고 있다.", n, txt_ends_without_final(n) ? "는 " : "은 ");
    box_text(text);
}

void btl_heal(int32_t s, int32_t mode) {
    UnitStats* t = stats(1 - s);
    const int32_t old_hp = t->hp;
    const int32_t figure = 2 * stats(s)->intelligence;
    if (g_btl_last_damage == 0) t->hp = static_cast<int16_t>(std::min<int32_t>(t->hp + figure, 32767));
    if (mode == 99) {
        g_btl_last_damage = static_cast<uint16_t>(t->max_hp);
        t->hp = t->max_hp;
    }
    const int32_t amount = g_btl_pending_heal != 0 ? g_btl_pending_heal : figure;
    char line[128];
    std::snprintf(line, sizeof line, "%s의 HP가 ", unit_display_name(t));
    if (t->hp >= t->max_hp) {
        t->hp = t->max_hp;
        std::snprintf(line, sizeof line, "%s의 HP가 /f완쾌되었다.", unit_display_name(t));
        box_text(line);
        txt_draw_string(BOX_COL, BOX_ROW, line, 15);
    } else {
        box_text(line);
        txt_draw_string(BOX_COL, BOX_ROW, line, 15);
        char more[64];
        std::snprintf(more, sizeof more, "/6 %s/f 회복되었다.", txt_format_uint(static_cast<uint32_t>(amount), 3));
        txt_draw_string(BOX_COL, BOX_ROW + 1, more, 15);
    }
    if (g_btl_pending_heal == 0) {
        btl_draw_hp_bar(old_hp, t->hp, 1 - s);
        g_btl_pending_heal = static_cast<uint16_t>(amount);
    }
}

namespace {
constexpr int32_t BAR_TOP = 324, BAR_BODY_END = 337, BAR_EDGE_TOP = 338, BAR_EDGE_END = 340;
int32_t bar_base(int32_t s) { return s == 0 ? 24 : 456; }
void bar_span(int32_t base, int32_t from, int32_t to, int32_t body, int32_t edge) {
    if (to < from) return;
    for (int k = 0; k < 2; ++k) {
        gfx_fill_rect(base + from, BAR_TOP, base + to, BAR_BODY_END, body);
        gfx_fill_rect(base + from, BAR_EDGE_TOP, base + to, BAR_EDGE_END, edge);
    }
}
}  // namespace

void btl_draw_hp_bar(int32_t old_hp, int32_t new_hp, int32_t s) {
    old_hp = std::clamp<int32_t>(old_hp, 0, 150);
    new_hp = std::clamp<int32_t>(new_hp, 0, 150);
    const int32_t base = bar_base(s);
    if (new_hp == 0)
        bar_span(base, 0, old_hp, 10, 4);
    else if (new_hp >= old_hp)
        bar_span(base, old_hp, new_hp, 6, 5);
    else
        bar_span(base, new_hp + 1, old_hp, 10, 4);
    sys_invalidate(g_hwnd_game);
}

void btl_draw_hp_bars() {
    for (int32_t s = 0; s < 2; ++s) {
        if (!stats(s)) continue;
        const int32_t base = bar_base(s);
        bar_span(base, 0, std::clamp<int32_t>(stats(s)->max_hp, 0, 150), 10, 4);
        const int32_t hp = std::clamp<int32_t>(stats(s)->hp, 0, 150);
        if (hp > 0) bar_span(base, 0, hp, 6, 5);
    }
    sys_invalidate(g_hwnd_game);
}

void btl_draw_status_panel() {
    const int32_t stage = std::clamp<int32_t>(g_stage_index, 0, static_cast<int32_t>(g_stage_tileset.size()) - 1);
    const int32_t tile_set = std::clamp<int32_t>(g_stage_tileset[static_cast<size_t>(stage)], 0, MAP_TILE_SETS - 1);
    const bool floor = stats(1) && stats(1)->class_id == CLASS_FIRST_FORM && g_stage_index == 3;
    for (int32_t s = 0; s < 2; ++s) {
        if (!stats(s)) continue;
        const int32_t off = s == 0 ? 0 : 54;
        menu_draw_window(4 + off, 15, 18, 3);
        txt_draw_string(3 + off, 15, unit_display_name(stats(s)), 15);
        char text[64];
        std::snprintf(text, sizeof text, "LV %s",
                      txt_format_uint(static_cast<uint32_t>(std::max<int16_t>(stats(s)->level, 0)), 2));
        txt_draw_string(17 + off, 15, text, 15);
        const int32_t kind = std::clamp<int32_t>(g_btl_terrain[s] + 1, 1, 10);
        txt_draw_string(3 + off, 17, floor ? "바닥" : g_terrain_names[tile_set][kind], 15);
        std::snprintf(
            text, sizeof text, "방어율 %s％",
            txt_format_uint(static_cast<uint32_t>(100 - g_terrain_defence[static_cast<size_t>(kind - 1)]), 2));
        txt_draw_string(11 + off, 17, text, 15);
    }
    btl_draw_hp_bars();
}
