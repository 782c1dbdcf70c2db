// Scene steps the chapter modules' cut-scenes share: walk-on units, walks
// and poses, taking a unit off the grid and putting it back, blinking out,
// and the scene maps.
#include "story/scene_steps.h"

#include "story/chapter_shared.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/settings.h"
#include "tactics/units.h"

UnitRecord* scn_extra(int32_t class_id, int32_t x, int32_t y, int32_t ai_mode) {
    UnitStats s{};
    s.class_id = static_cast<int16_t>(class_id);
    s.max_hp = 1;
    s.hp = 1;
    s.ai_mode = static_cast<int16_t>(ai_mode);
    UnitRecord* u = unit_place_new(x, y, &s);
    if (u) map_redraw_cell_abs(x, y);
    return u;
}

void scn_walk(UnitRecord* unit, int32_t direction, int32_t n) {
    if (!scn_in_use(unit)) return;
    const MapWalkSheet sheet(unit->stats.class_id);
    for (int32_t i = 0; i < n && scn_in_use(unit); ++i) map_move_unit_step(unit, direction);
}

void scn_step_quietly(UnitRecord* unit, int32_t direction) {
    const int32_t kept = g_opt_move_anim;
    g_opt_move_anim = 0;
    map_move_unit_step(unit, direction);
    g_opt_move_anim = kept;
}

void scn_pose(int32_t class_id, int32_t frame) {
    map_apply_walk_sprite(class_id, frame);
    map_redraw_view();
}

void scn_pose_char(int32_t char_id, int32_t frame) {
    if (const UnitRecord* u = unit_find_by_char_id(char_id)) map_apply_walk_sprite(u->stats.class_id, frame);
}

void scn_pose_party(int32_t frame) {
    for (int32_t s = 0; s < UNIT_PARTY_SLOTS; ++s) {
        const UnitRecord& u = g_units[static_cast<size_t>(s)];
        if (u.number != 0) map_apply_walk_sprite(u.stats.class_id, frame);
    }
    map_redraw_view();
}

void scn_off_grid(UnitRecord* unit) {
    if (!scn_in_use(unit) || !map_on_map(unit->x, unit->y)) return;
    uint8_t& cell = g_occupancy.cells[unit->y * MAP_SIDE + unit->x];
    if ((cell & OCC_UNIT_MASK) == unit->number) cell = 0;
    map_redraw_cell_abs(unit->x, unit->y);
}

void scn_put_at(UnitRecord* unit, int32_t x, int32_t y) {
    if (!scn_in_use(unit) || x < 0 || x >= MAP_SIDE || y < 0 || y >= MAP_SIDE) return;
    scn_off_grid(unit);
    unit->x = static_cast<int16_t>(x);
    unit->y = static_cast<int16_t>(y);
    map_move_unit_step(unit, 5);
}

void scn_leave(UnitRecord*& unit) {
    if (scn_in_use(unit)) map_move_unit_step(unit, 6);
    unit = nullptr;
}

void scn_blink_out(UnitRecord* unit) {
    for (int32_t n = 20; n >= 0; --n) {
        if (scn_in_use(unit)) {
            if (n % 2)
                map_move_unit_step(unit, 5);
            else
                scn_off_grid(unit);
        }
        scn_wait(n / 2);
    }
}

void scn_centre_on_char(int32_t char_id) {
    if (const UnitRecord* u = unit_find_by_char_id(char_id)) map_center_view_on(u->x, u->y);
}

void scn_scene_map(int32_t n, int32_t tile_set, const PlacementEntry* list) {
    map_load_stage_map(n);
    map_load_map_graphics(tile_set);
    scn_clear_occupancy();
    scn_place_list(list);
    map_redraw_view();
}

void scn_scene_close(const PlacementEntry* final_list) {
    scn_fade_out(2);
    map_free_map_graphics();
    scn_clear_occupancy();
    scn_place_list(final_list);
}
