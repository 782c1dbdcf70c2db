// Movement range and paths.
#include "tactics/move.h"

#include <cstdlib>
#include <cstring>
#include <optional>

#include "battle/battle.h"
#include "platform/draw.h"
#include "platform/input.h"
#include "story/hooks.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/turn.h"
#include "tactics/units.h"

// Terrain costs by class id (rows) and terrain class 0..10 (columns).
const std::array<MoveCosts, MOVE_COST_CLASSES> g_move_costs = {{
    {{99, 5, 3, 9, 6, 3, 20, 99, 5, 9, 99}},         // 0 프린세스
    {{99, 5, 3, 9, 6, 3, 20, 99, 5, 9, 99}},         // 1 홀리코만도
    {{99, 4, 3, 6, 6, 3, 15, 99, 4, 6, 99}},         // 2 프린스
    {{99, 4, 3, 6, 6, 3, 15, 99, 4, 6, 99}},         // 3 로드
    {{99, 3, 3, 4, 4, 3, 4, 4, 4, 4, 4}},            // 4 세이렌
    {{99, 3, 3, 4, 4, 3, 4, 4, 4, 4, 4}},            // 5 발키리
    {{99, 4, 3, 8, 5, 3, 15, 99, 4, 6, 99}},         // 6 솔저
    {{99, 4, 3, 8, 5, 3, 15, 99, 4, 6, 99}},         // 7 소드마스터
    {{99, 4, 3, 6, 4, 3, 15, 99, 4, 9, 99}},         // 8 펜서
    {{99, 4, 3, 6, 4, 3, 15, 99, 4, 9, 99}},         // 9 소드댄서
    {{99, 4, 3, 4, 6, 3, 20, 99, 5, 6, 99}},         // 10 샤먼
    {{99, 4, 3, 4, 6, 3, 20, 99, 5, 6, 99}},         // 11 프리스트
    {{99, 3, 3, 6, 4, 2, 10, 99, 5, 12, 99}},        // 12 백마
    {{99, 6, 5, 6, 10, 3, 20, 99, 5, 9, 99}},        // 13 위저드
    {{99, 4, 3, 4, 6, 3, 15, 99, 4, 10, 99}},        // 14 하이엘프
    {{99, 6, 6, 8, 6, 4, 99, 99, 4, 4, 99}},         // 15 어스엘리멘탈
    {{99, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4}},            // 16 에어엘리멘탈
    {{99, 4, 4, 4, 6, 4, 99, 99, 4, 10, 99}},        // 17 파이어엘리멘탈
    {{99, 6, 6, 6, 6, 6, 4, 4, 6, 12, 99}},          // 18 워터엘리멘탈
    {{99, 6, 3, 6, 6, 3, 12, 99, 6, 6, 99}},         // 19 다크나이트
    {{99, 8, 6, 10, 10, 6, 99, 99, 6, 12, 99}},      // 20 리치
    {{99, 6, 5, 6, 10, 3, 20, 99, 5, 9, 99}},        // 21 워락
    {{99, 5, 3, 9, 6, 3, 8, 99, 5, 6, 99}},          // 22 몽크
    {{99, 8, 6, 10, 8, 6, 14, 99, 6, 14, 99}},       // 23 티어매트
    {{99, 6, 4, 6, 6, 3, 10, 99, 5, 10, 99}},        // 24 맨티코어
    {{99, 4, 3, 6, 4, 3, 15, 99, 4, 6, 99}},         // 25 나이트
    {{99, 4, 3, 6, 5, 3, 15, 99, 4, 8, 99}},         // 26 배런
    {{99, 4, 3, 6, 6, 3, 15, 99, 4, 6, 99}},         // 27 다크로드
    {{99, 4, 3, 6, 5, 3, 15, 99, 4, 8, 99}},         // 28 다크카운트
    {{99, 3, 3, 4, 4, 3, 4, 4, 4, 4, 4}},            // 29 임프
    {{99, 3, 2, 6, 4, 2, 10, 99, 5, 12, 99}},        // 30 나이트메어
    {{99, 5, 3, 9, 12, 3, 99, 99, 5, 9, 99}},        // 31 뱀파이어
    {{99, 8, 6, 10, 14, 6, 99, 99, 6, 14, 99}},      // 32 슬라임
    {{4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4}},             // 33 스피리트
    {{99, 6, 4, 10, 14, 4, 99, 99, 6, 14, 99}},      // 34 오우거
    {{99, 4, 3, 9, 12, 3, 20, 99, 5, 12, 99}},       // 35 오크
    {{99, 3, 3, 4, 4, 3, 4, 4, 4, 4, 4}},            // 36 가고일
    {{99, 4, 3, 6, 6, 3, 12, 99, 4, 6, 99}},         // 37 코볼드
    {{99, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}},            // 38 그리폰
    {{99, 6, 3, 6, 6, 3, 12, 99, 6, 6, 99}},         // 39 듀라한
    {{99, 7, 7, 9, 13, 7, 99, 99, 7, 18, 99}},       // 40 머미
    {{99, 5, 3, 6, 8, 3, 20, 99, 5, 8, 99}},         // 41 미노타우로스
    {{99, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}},            // 42 와이번
    {{99, 8, 6, 10, 16, 6, 4, 4, 6, 99, 99}},        // 43 스킬라
    {{99, 8, 6, 10, 12, 6, 99, 99, 6, 14, 99}},      // 44 구울
    {{99, 6, 3, 6, 6, 3, 12, 99, 6, 6, 99}},         // 45 스켈톤
    {{99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99}},  // 46 마인
    {{99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99}},  // 47 마인
    {{99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99}},  // 48 마인
    {{99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99}},  // 49 제너럴
    {{99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99}},  // 50 제너럴
    {{99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99}},  // 51 발명가
    {{99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99}},  // 52 비행선
    {{99, 6, 5, 6, 10, 3, 20, 99, 5, 9, 99}},        // 53 집사
    {{99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99}},  // 54 (none)
}};

uint8_t* g_move_range = nullptr;

namespace {

// Neighbour offsets by direction code: up, right, down, left.
constexpr int32_t DX[4] = {0, 1, 0, -1};
constexpr int32_t DY[4] = {-1, 0, 1, 0};

bool computer_side(const UnitRecord* u) { return ai_mode_is_computer(u->stats.ai_mode); }
bool walk_on(const UnitRecord* u) { return u->stats.ai_mode == AI_MODE_WALK_ON; }

// The grid byte of a map cell; the caller keeps (x, y) on the map.
uint8_t& range_at(int32_t x, int32_t y) { return g_move_range[y * map_width() + x]; }

// The fill, in falling order of points left. Every cell is expanded once
// with the most points any path brings to it; this gives the same grid and
// marks as a depth-first fill that re-enters a cell whenever it arrives with
// no fewer points, since a cell's blocking and zone of control do not
// depend on the path and more points reach a superset of cells.
struct FloodQueue {
    // Cells waiting to be expanded, bucketed by points 1..20; a cell can sit
    // in several buckets, and only the bucket of its current value counts.
    std::array<std::array<int16_t, MAP_CELLS>, MOVE_BUDGET + 1> cells;
    std::array<int32_t, MOVE_BUDGET + 1> count{};
};

void flood(UnitRecord* unit, int32_t sx, int32_t sy, const int32_t costs[11], int32_t points) {
    static FloodQueue q;
    q.count.fill(0);
    const int32_t w = map_width();
    const int32_t h = map_height();
    if (points < 0) return;
    if (points > MOVE_BUDGET) points = MOVE_BUDGET;
    q.cells[static_cast<size_t>(points)][0] = static_cast<int16_t>(sy * w + sx);
    q.count[static_cast<size_t>(points)] = 1;
    const bool mover_walk_on = walk_on(unit);
    const bool mover_computer = computer_side(unit);
    bool first = true;  // the cell the fill starts from, whatever its grid value
    for (int32_t level = points; level > 0; --level) {
        auto& bucket = q.cells[static_cast<size_t>(level)];
        for (int32_t i = 0; i < q.count[static_cast<size_t>(level)]; ++i) {
            const int32_t x = bucket[static_cast<size_t>(i)] % w;
            const int32_t y = bucket[static_cast<size_t>(i)] / w;
            if (!first && range_at(x, y) != level) continue;  // reached later with more points
            first = false;
            // A cell in a hostile zone of control can be entered but not left;
            // the start cell is exempt.
            if (level != MOVE_BUDGET && map_zoc_check(unit, x, y)) continue;
            for (int32_t d = 0; d < 4; ++d) {
                const int32_t nx = x + DX[d], ny = y + DY[d];
                if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                const int32_t left = level - costs[map_terrain_class_at(nx, ny)];
                uint8_t& cell = range_at(nx, ny);
                if (left < 0 || cell > left) continue;
                const UnitRecord* occ = unit_at_cell(nx, ny);
                if (occ && !mover_walk_on && !walk_on(occ) && computer_side(occ) != mover_computer)
                    continue;  // a hostile unit's cell is never entered
                const bool raised = left > cell;
                cell = static_cast<uint8_t>(left);
                // An empty cell becomes a cell to stop on; a friendly unit's
                // cell can be passed but stays marked.
                if (!occ) g_map.cells[ny * MAP_SIDE + nx] &= static_cast<uint8_t>(~MAP_MARK);
                if (raised && left > 0) {
                    auto& n = q.count[static_cast<size_t>(left)];
                    q.cells[static_cast<size_t>(left)][static_cast<size_t>(n++)] = static_cast<int16_t>(ny * w + nx);
                }
            }
        }
    }
}

}  // namespace

int32_t map_alloc_move_range() {
    map_free_move_range();
    const size_t size = static_cast<size_t>(map_width()) * static_cast<size_t>(map_height());
    g_move_range = static_cast<uint8_t*>(std::calloc(size > 0 ? size : 1, 1));
    if (!g_move_range) {
        util_memory_error();
        return 0;
    }
    return 1;
}

void map_free_move_range() {
    std::free(g_move_range);
    g_move_range = nullptr;
}

void unit_get_move_costs(const UnitRecord* unit, int32_t out[11]) {
    const int32_t c = unit->stats.class_id;
    for (int32_t t = 0; t < TERRAIN_CLASSES; ++t)
        out[t] = (c >= 0 && c < MOVE_COST_CLASSES) ? g_move_costs[static_cast<size_t>(c)][static_cast<size_t>(t)]
                                                   : MOVE_COST_BLOCKED;
}

void map_prepare_move_range(UnitRecord* unit) {
    if (!g_move_range) return;
    const int32_t x = unit->x, y = unit->y;
    std::memset(g_move_range, 0, static_cast<size_t>(map_width()) * static_cast<size_t>(map_height()));
    if (!map_on_map(x, y)) return;
    range_at(x, y) = MOVE_BUDGET;
    g_map.cells[y * MAP_SIDE + x] &= static_cast<uint8_t>(~MAP_MARK);
    int32_t costs[11];
    unit_get_move_costs(unit, costs);
    map_flood_move_range(unit, x, y, costs, MOVE_BUDGET);
    g_occupancy.cells[y * MAP_SIDE + x] |= OCC_MARK_A | OCC_MARK_B;
}

void map_flood_move_range(UnitRecord* unit, int32_t x, int32_t y, const int32_t costs[11], int32_t points) {
    if (!g_move_range || !map_on_map(x, y)) return;
    flood(unit, x, y, costs, points);
}

int32_t map_zoc_check(const UnitRecord* unit, int32_t x, int32_t y) {
    if (walk_on(unit)) return 0;
    for (int32_t d = 0; d < 4; ++d) {
        const int32_t nx = x + DX[d], ny = y + DY[d];
        if (!map_on_map(nx, ny)) continue;
        const UnitRecord* occ = unit_at_cell(nx, ny);
        if (!occ || occ->stats.hp == 0 || walk_on(occ) || computer_side(occ) == computer_side(unit)) continue;
        // In the enemy phase the AI sees the holding unit's cell as a cell in
        // contact.
        if (g_enemy_phase == 1) g_map.cells[ny * MAP_SIDE + nx] &= static_cast<uint8_t>(~MAP_MARK);
        return 1;
    }
    return 0;
}

int32_t map_trace_move_path(UnitRecord* unit, int32_t tx, int32_t ty, MovePath& out) {
    if (!g_move_range || !map_on_map(tx, ty)) return 0;
    int32_t costs[11];
    unit_get_move_costs(unit, costs);
    int32_t x = tx, y = ty, steps = 0;
    for (;;) {
        const int32_t want = (range_at(x, y) + costs[map_terrain_class_at(x, y)]) & 0xFF;
        int32_t found = -1;
        for (int32_t d = 0; d < 4 && found < 0; ++d) {
            const int32_t nx = x + DX[d], ny = y + DY[d];
            if (!map_on_map(nx, ny) || range_at(nx, ny) != want) continue;
            if ((nx == unit->x && ny == unit->y) || !map_zoc_check(unit, nx, ny)) found = d;
        }
        // No predecessor, or a path longer than the budget allows.
        if (found < 0 || steps >= MOVE_PATH_MAX) return 0;
        out[static_cast<size_t>(steps++)] = (found + 2) & 3;
        x += DX[found];
        y += DY[found];
        if (range_at(x, y) == MOVE_BUDGET) return steps;
    }
}

// Walks a unit along a traced path (from the last entry to the first) with
// the class's walking figure, and puts it on its new cell.
void map_walk_path(UnitRecord* u, const MovePath& path, int32_t steps) {
    std::optional<MapWalkSheet> walk_sheet;
    if (g_zoom == 1 && g_opt_move_anim) walk_sheet.emplace(u->stats.class_id);
    g_occupancy.cells[u->y * MAP_SIDE + u->x] = 0;
    u->status = 0;
    for (int32_t i = steps - 1; i >= 0; --i) map_move_unit_step(u, path[static_cast<size_t>(i)]);
    g_occupancy.cells[u->y * MAP_SIDE + u->x] = static_cast<uint8_t>(u->number);
}

// Centres the view on a cell, then shifts it toward another cell that lies
// outside it by up to a quarter of the view, not past the map's edges.
void map_view_on_cell_toward(int32_t x, int32_t y, int32_t tx, int32_t ty) {
    map_center_view_on(x, y);
    for (int32_t i = 0; i < g_view_cols / 4 && tx < g_view_x && g_view_x > 0; ++i) --g_view_x;
    for (int32_t i = 0; i < g_view_cols / 4 && tx >= g_view_x + g_view_cols && g_view_x + g_view_cols < map_width();
         ++i)
        ++g_view_x;
    for (int32_t i = 0; i < g_view_rows / 4 && ty < g_view_y && g_view_y > 0; ++i) --g_view_y;
    for (int32_t i = 0; i < g_view_rows / 4 && ty >= g_view_y + g_view_rows && g_view_y + g_view_rows < map_height();
         ++i)
        ++g_view_y;
}
