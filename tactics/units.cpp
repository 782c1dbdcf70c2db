// Unit table and roster.
#include "tactics/units.h"

#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/heap.h"
#include "platform/input.h"
#include "tactics/map.h"

std::array<UnitRecord, UNIT_SLOTS> g_units{};

const char* const g_char_names[CHAR_IDS] = {
    "",       "쿠시나", "쉐이", "위니아", "박카스",   "라파르",   "아론",     "노스",   "루시다",   "정령",
    "",       "망아지", "파울", "겔다",   "헨리",     "아크바르", "티암",     "만티",   "루라판왕", "지르",
    "뉴크스", "촌장",   "노움", "실프",   "샐러맨더", "언다인",   "지로키치", "비행선", "마인겔다", "가게주인",
};

const char* const g_class_names[CLASS_NAMES] = {
    "프린세스",   "홀리코만도",   "프린스",       "로드",           "세이렌",       "발키리",     "솔저",
    "소드마스터", "펜서",         "소드댄서",     "샤먼",           "프리스트",     "백마",       "위저드",
    "하이엘프",   "어스엘리멘탈", "에어엘리멘탈", "파이어엘리멘탈", "워터엘리멘탈", "다크나이트", "리치",
    "워락",       "몽크",         "티어매트",     "맨티코어",       "나이트",       "배런",       "다크로드",
    "다크카운트", "임프",         "나이트메어",   "뱀파이어",       "슬라임",       "스피리트",   "오우거",
    "오크",       "가고일",       "코볼드",       "그리폰",         "듀라한",       "머미",       "미노타우로스",
    "와이번",     "스킬라",       "구울",         "스켈톤",         "마인",         "마인",       "마인",
    "제너럴",     "제너럴",       "발명가",       "비행선",         "집사",
};

const char* const g_face_codes[CHAR_IDS] = {
    nullptr, "00",    "10", "20", "40",    "30", "62", "50",    "70",    nullptr,  //
    nullptr, "60",    "a2", "i0", nullptr, "j2", "d5", "d7",    nullptr, "d1",     //
    "g0",    nullptr, "80", "81", "82",    "83", "d4", nullptr, nullptr, nullptr,
};

namespace {

bool in_grid(int32_t x, int32_t y) { return x >= 0 && x < MAP_SIDE && y >= 0 && y < MAP_SIDE; }

void clear_cell_of(const UnitRecord& u) {
    if (in_grid(u.x, u.y)) g_occupancy.cells[u.y * MAP_SIDE + u.x] = 0;
}

}  // namespace

UnitRecord* unit_place_new(int32_t x, int32_t y, const UnitStats* stats) {
    if (!stats || !in_grid(x, y)) return nullptr;
    uint8_t& cell = g_occupancy.cells[y * MAP_SIDE + x];
    if (cell != 0) return nullptr;
    // Computer-controlled units never take a party slot; a party unit spills
    // into the other side's slots when its own are full.
    // The stats may be those of the very record that is freed and taken
    // again: copy them before the record is cleared.
    const UnitStats copy = *stats;
    const int32_t first = ai_mode_is_computer(copy.ai_mode) ? UNIT_PARTY_SLOTS : 0;
    for (int32_t s = first; s < UNIT_SLOTS; ++s) {
        UnitRecord& u = g_units[static_cast<size_t>(s)];
        if (u.number != 0) continue;
        u = UnitRecord{};
        u.number = static_cast<int16_t>(s + 1);
        u.x = static_cast<int16_t>(x);
        u.y = static_cast<int16_t>(y);
        u.status = 100;
        u.stats = copy;
        u.equipped_slot = 0;
        u.items[0] = static_cast<uint16_t>(copy.weapon);
        cell = static_cast<uint8_t>(u.number);
        return &u;
    }
    return nullptr;
}

void unit_load_stage_units(int32_t stage, int32_t clear) {
    if (clear)
        for (int32_t s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) g_units[static_cast<size_t>(s)].number = 0;
    const HeapBlock file(file_load_data("a:stage.unt"));
    if (!file) {
        util_memory_error();
        return;
    }
    // Every read stays inside the file: the offset table entry, the block's
    // count and its records. Offsets are unsigned 16-bit; a record whose
    // cell lies off the 60 x 60 grid is skipped.
    const uint8_t* block = file.get();
    const size_t size = g_loaded_file_size;
    if (stage >= 0 && static_cast<size_t>(stage) * 2 + 2 <= size) {
        uint16_t offset;
        std::memcpy(&offset, block + stage * 2, sizeof offset);
        if (static_cast<size_t>(offset) + 2 <= size) {
            int16_t count;
            std::memcpy(&count, block + offset, sizeof count);
            const size_t fits = (size - offset - 2) / sizeof(StageUnitRecord);
            const size_t n = count < 0 ? 0 : (static_cast<size_t>(count) < fits ? static_cast<size_t>(count) : fits);
            for (size_t i = 0; i < n; ++i) {
                StageUnitRecord r;
                std::memcpy(&r, block + offset + 2 + i * sizeof r, sizeof r);
                if (!in_grid(r.x, r.y)) continue;
                unit_place_new(r.x, r.y, &r.stats);
            }
        }
    }
}

void unit_place_list(const PlacementEntry* list) {
    if (!list) return;
    for (; list->char_id >= 0; ++list) {
        UnitRecord* u = unit_find_by_char_id(list->char_id);
        // A character without a record, or a cell off the grid, is skipped.
        if (!u || !in_grid(list->x, list->y)) continue;
        u->acted = 0;
        u->x = static_cast<int16_t>(list->x);
        u->y = static_cast<int16_t>(list->y);
        u->charged = 0;
        u->status = 100;
        u->stats.hp = u->stats.max_hp;
        g_occupancy.cells[list->y * MAP_SIDE + list->x] = static_cast<uint8_t>(u->number);
    }
}

UnitRecord* unit_find_by_char_id(int32_t char_id) {
    for (UnitRecord& u : g_units)
        if (u.number != 0 && u.stats.char_id == char_id) return &u;
    return nullptr;
}

bool unit_is_summoned_spirit(const UnitRecord* u) {
    return u->stats.ai_mode == AI_MODE_PLAYER && unit_class_is_spirit(u->stats.class_id);
}

bool unit_is_healer(const UnitRecord* u) {
    return u->stats.char_id == CHAR_LEADER || u->stats.char_id == CHAR_NOS || u->stats.class_id == CLASS_AIR_SPIRIT;
}

UnitRecord* unit_find_spirit() {
    for (int32_t s = 0; s < UNIT_PARTY_SLOTS; ++s) {
        UnitRecord& u = g_units[static_cast<size_t>(s)];
        if (u.number != 0 && unit_is_summoned_spirit(&u)) return &u;
    }
    return nullptr;
}

int32_t unit_count_live_enemies() {
    int32_t n = 0;
    for (int32_t s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) {
        const UnitRecord& u = g_units[static_cast<size_t>(s)];
        if (u.number != 0 && u.stats.ai_mode != AI_MODE_DORMANT && u.stats.ai_mode != AI_MODE_WALK_ON) ++n;
    }
    return n;
}

void unit_remove_enemies() {
    for (int32_t s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) {
        UnitRecord& u = g_units[static_cast<size_t>(s)];
        if (u.number == 0) continue;
        const int32_t mode = u.stats.ai_mode;
        if (mode == AI_MODE_WALK_ON || ai_mode_is_chapter_boss(mode)) continue;
        clear_cell_of(u);
        u.number = 0;
    }
}

void unit_clear_acted_flags() {
    for (UnitRecord& u : g_units)
        if (u.number != 0) u.acted = 0;
}

int32_t turn_leaders_fallen() {
    // A leader without a record counts as fallen.
    const UnitRecord* a = unit_find_by_char_id(CHAR_LEADER);
    const UnitRecord* b = unit_find_by_char_id(CHAR_SECOND_LEADER);
    const bool a_down = !a || a->stats.hp == 0;
    const bool b_down = !b || b->stats.hp == 0;
    return a_down && b_down ? 1 : 0;
}

const char* unit_display_name(const UnitStats* stats) {
    if (!stats) return "";
    if (stats->char_id == CHAR_GENERIC)
        return stats->class_id >= 0 && stats->class_id < CLASS_NAMES ? g_class_names[stats->class_id] : "";
    return stats->char_id >= 0 && stats->char_id < CHAR_IDS ? g_char_names[stats->char_id] : "";
}

const char* unit_face_code(const UnitStats* stats) {
    static char code[3];
    if (!stats) return nullptr;
    const char* face = nullptr;
    if (stats->class_id == CLASS_WHITE_HORSE)
        face = g_face_codes[CHAR_FOAL];
    else if (stats->char_id >= 0 && stats->char_id < CHAR_IDS)
        face = g_face_codes[stats->char_id];
    if (!face) return nullptr;
    code[0] = face[0];
    code[1] = face[1];
    code[2] = 0;
    if (stats->class_id == CLASS_PRINCE) code[0] = '9';
    return code;
}

UnitRecord* unit_at_cell(int32_t x, int32_t y) {
    if (!in_grid(x, y)) return nullptr;
    // Bits 0..5 hold the unit number; numbers above 62 name no slot.
    const int32_t n = g_occupancy.cells[y * MAP_SIDE + x] & OCC_UNIT_MASK;
    if (n < 1 || n > UNIT_SLOTS) return nullptr;
    UnitRecord& u = g_units[static_cast<size_t>(n - 1)];
    return u.number != 0 ? &u : nullptr;
}

void unit_reset() { g_units = {}; }
