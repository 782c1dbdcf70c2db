// Damage rules: the physical and magic parts of one hit, the boss and enemy
// mode factors, terrain, criticals, the counter-attack strength and the
// clamp to the defender's HP; the battle's damage total; the forecast of
// the map-screen attacks.
#include <algorithm>

#include "battle/battle.h"
#include "platform/input.h"
#include "platform/sound.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/units.h"

namespace {

// Per cent of damage taken on the defender's terrain; an index outside the
// table reads as the first terrain kind.
int32_t terrain_percent(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(g_terrain_defence.size())) index = 0;
    return g_terrain_defence[static_cast<size_t>(index)];
}

}  // namespace

void btl_calc_damage(int32_t s) {
    const UnitStats* a = g_btl_combatant[s];
    const UnitStats* d = g_btl_combatant[1 - s];
    const ItemRecord& item = item_get(a->weapon);
    // Range mode 0 reads the distance-1 columns, anything farther the
    // distance-2 columns.
    const bool near = g_btl_range_mode == 0;
    const int32_t hit = near ? item.direct_hit : item.indirect_hit;
    const int32_t effect = near ? item.direct_effect : item.indirect_effect;
    int32_t p = hit != 0 ? a->attack + hit - d->defence : 0;
    int32_t m = effect != 0 ? a->intelligence + effect - d->magic_defence : 0;
    p = std::max(p, 0);
    m = std::max(m, 0);
    if (item.flags & ITEM_HEAL) m = 0;
    g_btl_last_damage = btl_calc_hit_damage(p, m, s);
    if (d->ai_mode != AI_MODE_PLAYER) {
        if (g_btl_actor[static_cast<size_t>(1 - s)].hit_count != 0 && g_btl_damage_total != 0)
            g_btl_damage_total = static_cast<uint16_t>(g_btl_damage_total + g_btl_last_damage * 2 / 3);
        else
            g_btl_damage_total = g_btl_last_damage;
    }
}

uint16_t btl_calc_hit_damage(int32_t p, int32_t m, int32_t s) {
    const UnitStats* a = g_btl_combatant[s];
    const UnitStats* d = g_btl_combatant[1 - s];
    g_btl_crit_shown = 0;
    if (d->class_id == CLASS_FIRST_FORM) {
        p /= 2;
        m /= 2;
    }
    const int32_t mode = d->ai_mode;
    if (ai_mode_is_boss(mode) && d->class_id != CLASS_FIRST_FORM) {
        p = p * 2 / 3;
        m = m * 2 / 3;
    }
    p = std::max(p, 0);
    m = std::max(m, 0);
    int32_t damage = (p + m) * terrain_percent(g_btl_terrain[1 - s]) / 100;
    const int32_t agility = std::min(a->agility - d->agility, 80);
    if (g_unit_charge_flag == 1) {
        if (ai_mode_is_chapter_boss(mode)) damage = damage * 3 / 2;
        g_btl_crit_shown = 1;
        g_unit_charge_flag = 0;
    } else if (agility > 0) {
        const int32_t r = util_random() % 100;
        if (r < 3 * agility) damage = ai_mode_is_chapter_boss(mode) ? damage * 3 / 2 : damage * 3;
    }
    if (g_btl_counter_flag != 0) {
        int16_t& status = *g_btl_target_status_ptr;
        damage = static_cast<int16_t>(damage * status / 100);
        // A negative counter (a knocked-out unit's countdown) gives no
        // strength, never a wrapped-around huge hit.
        damage = std::max(damage, 0);
        if (status >= 5) status = static_cast<int16_t>(status - 5);
    }
    if (damage == 0) damage = 1;
    snd_play_effect(SFX_BLOW);
    damage = std::min<int32_t>(damage, std::max<int32_t>(d->hp, 0));
    return static_cast<uint16_t>(damage);
}

int16_t btl_forecast_damage_one(uint32_t* result) {
    btl_calc_damage(0);
    g_btl_damage_total = g_btl_last_damage;
    if (result) *result = g_btl_last_damage;
    return static_cast<int16_t>(g_btl_last_damage);
}
