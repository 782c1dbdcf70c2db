// Item rules, party bag and chests.
#include "tactics/items.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "platform/menu.h"
#include "platform/sound.h"
#include "platform/text.h"
#include "story/message.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/units.h"

const std::array<ItemRecord, ITEM_COUNT> g_items = {{
    {"맨손", 0, 0, 0, 0, 0, 0x10, 0x0},                              // 0
    {"약초", 200, 10, 0, 0, 0, 0x9, CLASS_MASK_ANYONE},              // 1
    {"연고", 800, 0, 0, 0, 0, 0x8, CLASS_MASK_ANYONE},               // 2
    {"두꺼비 기름", 600, 0, 0, 0, 0, 0x8, CLASS_MASK_ANYONE},        // 3
    {"알약", 1000, 0, 0, 0, 0, 0x8, CLASS_MASK_ANYONE},              // 4
    {"테킬라", 800, 0, 0, 20, 20, 0x88, CLASS_MASK_ANYONE},          // 5
    {"이릭서", 12000, 0, 0, 999, 0, 0x88, CLASS_MASK_ANYONE},        // 6
    {"머쉬룸", 16000, 0, 0, 0, 0, 0x200, CLASS_MASK_ANYONE},         // 7
    {"지식의 문서", 16000, 0, 0, 0, 0, 0x200, CLASS_MASK_ANYONE},    // 8
    {"행운의 구두", 16000, 0, 0, 0, 0, 0x200, CLASS_MASK_ANYONE},    // 9
    {"수호석", 16000, 0, 0, 0, 0, 0x200, CLASS_MASK_ANYONE},         // 10
    {"힘의 열매", 16000, 0, 0, 0, 0, 0x200, CLASS_MASK_ANYONE},      // 11
    {"마력제거 부적", 16000, 0, 0, 0, 0, 0x200, CLASS_MASK_ANYONE},  // 12
    {"파워리스트", 400, 8, 0, 0, 0, 0x1, 0x3},                       // 13
    {"장갑", 800, 14, 0, 0, 0, 0x1, 0x3},                            // 14
    {"아이언너클", 1200, 20, 0, 0, 0, 0x1, 0x3},                     // 15
    {"리의 팔찌", 1600, 26, 0, 0, 0, 0x101, 0x3},                    // 16
    {"가이아리스트", 2000, 32, 0, 0, 0, 0x1, 0x2},                   // 17
    {"명경지수의 주먹", 2400, 38, 38, 0, 0, 0x41, 0x2},              // 18
    {"바스타드소드", 400, 8, 0, 0, 0, 0x1, 0xC},                     // 19
    {"그레이트소드", 800, 14, 0, 0, 0, 0x1, 0xC},                    // 20
    {"참마도", 1200, 20, 0, 0, 0, 0x1, 0xC},                         // 21
    {"참암검", 1600, 26, 0, 0, 0, 0x1, 0x8},                         // 22
    {"킹소드", 2000, 32, 0, 0, 0, 0x1, 0x8},                         // 23
    {"카이저소드", 2400, 38, 0, 0, 0, 0x41, 0x8},                    // 24
    {"재버린", 400, 8, 0, 0, 0, 0x1, 0x30},                          // 25
    {"스피어", 800, 14, 0, 0, 0, 0x1, 0x30},                         // 26
    {"롱스피어", 1200, 20, 0, 0, 0, 0x1, 0x30},                      // 27
    {"윙스피어", 1600, 26, 0, 0, 0, 0x101, 0x30},                    // 28
    {"트라이던트", 2000, 32, 0, 0, 0, 0x1, 0x20},                    // 29
    {"토르네이도스피어", 2400, 38, 20, 0, 18, 0x441, 0x20},          // 30
    {"오리엔트소드", 400, 8, 0, 0, 0, 0x1, 0x40},                    // 31
    {"명도", 800, 14, 0, 0, 0, 0x1, 0x40},                           // 32
    {"초치", 1200, 20, 0, 0, 0, 0x1, 0x40},                          // 33
    {"선풍도", 1600, 26, 0, 0, 0, 0x101, 0xC0},                      // 34
    {"응조도", 2000, 32, 0, 0, 0, 0x1, 0x80},                        // 35
    {"사자후인", 2400, 38, 0, 0, 0, 0x41, 0x80},                     // 36
    {"레이피어", 400, 8, 0, 0, 0, 0x1, 0x300},                       // 37
    {"숏소드", 800, 14, 0, 0, 0, 0x1, 0x300},                        // 38
    {"글라디우스", 1200, 20, 0, 0, 0, 0x1, 0x300},                   // 39
    {"플래시엣지", 1600, 26, 0, 0, 0, 0x101, 0x300},                 // 40
    {"스파크엣지", 2000, 32, 32, 0, 0, 0x3, 0x200},                  // 41
    {"샤인레이피어", 2400, 38, 38, 0, 0, 0x43, 0x200},               // 42
    {"쌩쌩봉", 400, 0, 0, 8, 8, 0x3, 0xC00},                         // 43
    {"액막이봉", 800, 0, 0, 14, 14, 0x3, 0xC00},                     // 44
    {"파마봉", 1200, 0, 0, 20, 20, 0x3, 0xC00},                      // 45
    {"교룡의 부적", 1600, 0, 0, 20, 20, 0x103, 0xC00},               // 46
    {"이무기의 부적", 2000, 0, 0, 24, 24, 0x3, 0x800},               // 47
    {"빙룡의 부적", 2400, 0, 0, 28, 28, 0x43, 0x800},                // 48
    {"말굽", 400, 8, 0, 0, 0, 0x1, 0x1000},                          // 49
    {"강철말굽", 800, 14, 0, 0, 0, 0x1, 0x1000},                     // 50
    {"오우거의 말굽", 1200, 20, 0, 0, 0, 0x1, 0x1000},               // 51
    {"수정지팡이", 1600, 0, 0, 8, 8, 0x3, 0x2000},                   // 52
    {"보주지팡이", 2000, 0, 0, 12, 12, 0x3, 0x2000},                 // 53
    {"볼케이노로드", 2400, 0, 0, 16, 12, 0x443, 0x2000},             // 54
    {"종마의 반지", 800, 0, 0, 20, 20, 0x3, 0x4000},                 // 55
    {"도마의 반지", 1200, 0, 0, 26, 26, 0x3, 0x4000},                // 56
    {"소환의 반지", 1600, 0, 0, 32, 32, 0x443, 0x4000},              // 57
    {"정령의 반지", 0, 0, 0, 0, 0, 0x20, 0x4000},                    // 58
    {"", 0, 0, 0, 0, 0, 0x1, 0x0},                                   // 59
    {"맨손", 0, 10, 0, 0, 0, 0x11, 0x0},                             // 60
    {"맨손", 0, 0, 10, 0, 0, 0x12, 0x0},                             // 61
    {"맨손", 0, 10, 10, 0, 0, 0x13, 0x0},                            // 62
    {"화강암", 400, 12, 12, 0, 0, 0x13, 0x8000},                     // 63
    {"현무암", 800, 24, 24, 0, 0, 0x13, 0x8000},                     // 64
    {"초겨울바람", 400, 12, 12, 0, 0, 0x13, 0x10000},                // 65
    {"육갑재넘이", 800, 24, 24, 0, 0, 0x13, 0x10000},                // 66
    {"분노의 불꽃", 400, 8, 8, 0, 0, 0x13, 0x20000},                 // 67
    {"정열의 불꽃", 800, 16, 16, 0, 0, 0x13, 0x20000},               // 68
    {"물", 400, 8, 8, 0, 0, 0x13, 0x40000},                          // 69
    {"맛있는 물", 800, 16, 16, 0, 0, 0x13, 0x40000},                 // 70
    {"핼버드", 800, 16, 0, 0, 0, 0x11, 0x0},                         // 71
    {"루선해머", 1200, 20, 15, 0, 0, 0x13, 0x0},                     // 72
    {"폭마의 반지", 1200, 0, 0, 20, 20, 0x13, 0x0},                  // 73
    {"연옥의 불꽃", 1200, 26, 20, 0, 0, 0x13, 0x0},                  // 74
    {"롱소드", 400, 8, 0, 0, 0, 0x11, 0x0},                          // 75
    {"브로드소드", 800, 16, 0, 0, 0, 0x11, 0x0},                     // 76
    {"갓슬레이어", 2400, 26, 0, 0, 0, 0x11, 0x0},                    // 77
    {"파멸의 반지", 3200, 0, 0, 26, 26, 0x13, 0x0},                  // 78
    {"대겸", 400, 10, 12, 0, 0, 0x13, 0x0},                          // 79
    {"사신의 낫", 800, 16, 16, 0, 0, 0x13, 0x0},                     // 80
    {"소화액", 400, 8, 0, 0, 0, 0x11, 0x0},                          // 81
    {"용해액", 800, 16, 0, 0, 0, 0x11, 0x0},                         // 82
    {"원한", 400, 0, 0, 8, 8, 0x13, 0x0},                            // 83
    {"원념", 800, 0, 0, 16, 16, 0x13, 0x0},                          // 84
    {"곤봉", 400, 20, 0, 0, 0, 0x11, 0x0},                           // 85
    {"통나무", 800, 26, 0, 0, 0, 0x11, 0x0},                         // 86
    {"메이스", 800, 14, 0, 0, 0, 0x11, 0x0},                         // 87
    {"동도금", 400, 8, 0, 0, 0, 0x11, 0x0},                          // 88
    {"은도금", 800, 32, 0, 0, 0, 0x11, 0x0},                         // 89
    {"예리한 손톱", 400, 12, 0, 0, 0, 0x11, 0x0},                    // 90
    {"인렬조", 800, 18, 0, 0, 0, 0x11, 0x0},                         // 91
    {"대두", 400, 8, 8, 0, 0, 0x13, 0x0},                            // 92
    {"석두", 800, 16, 16, 0, 0, 0x13, 0x0},                          // 93
    {"붕대", 400, 24, 24, 0, 0, 0x13, 0x0},                          // 94
    {"엄청 단단한 붕대", 800, 24, 24, 0, 0, 0x16, 0x0},              // 95
    {"롱호른", 800, 16, 0, 0, 0, 0x11, 0x0},                         // 96
    {"일천만파워의 뿔", 1200, 24, 0, 0, 0, 0x11, 0x0},               // 97
    {"질풍의 날개", 1200, 16, 16, 0, 0, 0x13, 0x0},                  // 98
    {"열풍의 날개", 1600, 24, 24, 0, 0, 0x13, 0x0},                  // 99
    {"허브", 800, 20, 20, 0, 0, 0x13, 0x0},                          // 100
    {"킹코브라", 1200, 24, 24, 0, 0, 0x13, 0x0},                     // 101
    {"저주의 뼈", 800, 12, 0, 0, 0, 0x11, 0x0},                      // 102
    {"Ca이 많은 뼈", 1200, 16, 0, 0, 0, 0x11, 0x0},                  // 103
    {"악의", 3200, 20, 20, 0, 0, 0x13, 0x0},                         // 104
    {"데스브링거", 4000, 26, 26, 0, 0, 0x13, 0x0},                   // 105
    {"", 0, 0, 0, 0, 0, 0x0, 0x0},                                   // 106
}};

std::array<BagEntry, BAG_ENTRIES> g_bag{};
uint32_t g_gold = 0;
std::array<ChestRecord, CHEST_RECORDS> g_chests{};

namespace {

constexpr ChestRecord CHEST_END = {0, -1, -1, 0, 0};

// clang-format off
constexpr ChestRecord CHESTS_00[] = {
    {CHEST_FOUND, 30, 19, 0, 1}, {CHEST_FOUND, 16, 8, 0, 4}, {CHEST_FOUND, 23, 8, 0, 4},
    CHEST_END};
constexpr ChestRecord CHESTS_01[] = {
    {CHEST_HIDDEN, 4, 27, 0, 5}, {CHEST_HIDDEN, 33, 26, 0, 5},
    CHEST_END};
constexpr ChestRecord CHESTS_02[] = {
    {CHEST_HIDDEN, 9, 10, 0, 5}, {CHEST_HIDDEN, 32, 17, 0, 5}, {CHEST_HIDDEN, 31, 28, 0, 5},
    CHEST_END};
constexpr ChestRecord CHESTS_03[] = {
    {CHEST_FOUND, 18, 21, 0, 8}, {CHEST_FOUND, 19, 21, 0, 9}, {CHEST_FOUND, 20, 21, 0, 10}, {CHEST_FOUND, 21, 21, 0, 11},
    {CHEST_FOUND, 22, 21, 0, 12},
    CHEST_END};
constexpr ChestRecord CHESTS_04[] = {
    {CHEST_HIDDEN, 4, 19, 0, 5},
    CHEST_END};
constexpr ChestRecord CHESTS_05[] = {
    {CHEST_FOUND, 20, 10, 0, 4}, {CHEST_FOUND, 16, 21, 0, 4}, {CHEST_FOUND, 24, 21, 0, 5}, {CHEST_FOUND, 24, 18, 0, 5},
    CHEST_END};
constexpr ChestRecord CHESTS_10[] = {
    {CHEST_OPENED, 22, 9, 0, 0}, {CHEST_OPENED, 23, 9, 0, 0}, {CHEST_OPENED, 10, 10, 0, 0}, {CHEST_OPENED, 9, 1, 0, 0},
    {CHEST_OPENED, 25, 1, 0, 0}, {CHEST_OPENED, 22, 1, 0, 0}, {CHEST_OPENED, 23, 1, 0, 0}, {CHEST_OPENED, 17, 14, 0, 0},
    {CHEST_OPENED, 18, 14, 0, 0}, {CHEST_OPENED, 19, 14, 0, 0}, {CHEST_OPENED, 20, 14, 0, 0}, {CHEST_OPENED, 26, 20, 0, 0},
    {CHEST_OPENED, 27, 20, 0, 0}, {CHEST_OPENED, 28, 20, 0, 0}, {CHEST_FOUND, 3, 11, 0, 4}, {CHEST_FOUND, 34, 11, 0, 4},
    CHEST_END};
constexpr ChestRecord CHESTS_11[] = {
    {CHEST_HIDDEN, 26, 25, 0, 4}, {CHEST_HIDDEN, 3, 2, 0, 4},
    CHEST_END};
constexpr ChestRecord CHESTS_12[] = {
    {CHEST_FOUND, 16, 8, 0, 8}, {CHEST_FOUND, 24, 18, 0, 9}, {CHEST_FOUND, 19, 20, 0, 10}, {CHEST_FOUND, 20, 20, 0, 11},
    {CHEST_FOUND, 21, 20, 0, 12},
    CHEST_END};
constexpr ChestRecord CHESTS_13[] = {
    {CHEST_HIDDEN, 36, 13, 0, 4},
    CHEST_END};
constexpr ChestRecord CHESTS_14[] = {
    {CHEST_HIDDEN, 11, 3, 0, 4},
    CHEST_END};
constexpr ChestRecord CHESTS_15[] = {
    {CHEST_HIDDEN, 30, 23, 0, 50},
    CHEST_END};
constexpr ChestRecord CHESTS_16[] = {
    {CHEST_HIDDEN, 29, 26, 0, 51},
    CHEST_END};
constexpr ChestRecord CHESTS_17[] = {
    {CHEST_FOUND, 16, 24, 0, 52},
    CHEST_END};
constexpr ChestRecord CHESTS_18[] = {
    {CHEST_FOUND, 29, 26, 0, 5},
    CHEST_END};
constexpr ChestRecord CHESTS_19[] = {
    {CHEST_FOUND, 16, 28, 0, 7}, {CHEST_FOUND, 24, 18, 0, 5},
    CHEST_END};
constexpr ChestRecord CHESTS_20[] = {
    {CHEST_FOUND, 27, 18, 0, 7}, {CHEST_FOUND, 20, 18, 0, 15}, {CHEST_FOUND, 29, 18, 0, 27}, {CHEST_FOUND, 9, 18, 0, 33},
    {CHEST_FOUND, 10, 18, 0, 5}, {CHEST_FOUND, 11, 18, 0, 10}, {CHEST_FOUND, 7, 2, 0, 10}, {CHEST_FOUND, 8, 2, 0, 12},
    {CHEST_FOUND, 30, 8, 0, 9}, {CHEST_FOUND, 31, 8, 0, 9}, {CHEST_FOUND, 7, 8, 0, 12}, {CHEST_FOUND, 8, 8, 0, 5},
    CHEST_END};
constexpr ChestRecord CHESTS_23[] = {
    {CHEST_HIDDEN, 38, 1, 0, 5},
    CHEST_END};
constexpr ChestRecord CHESTS_26[] = {
    {CHEST_HIDDEN, 8, 30, 0, 7}, {CHEST_HIDDEN, 14, 4, 0, 5}, {CHEST_HIDDEN, 37, 12, 0, 4},
    CHEST_END};
constexpr ChestRecord CHESTS_27[] = {
    {CHEST_FOUND, 29, 9, 0, 16}, {CHEST_FOUND, 8, 9, 0, 28}, {CHEST_FOUND, 35, 19, 0, 34}, {CHEST_FOUND, 2, 19, 0, 4},
    CHEST_END};
constexpr ChestRecord CHESTS_28[] = {
    {CHEST_FOUND, 35, 21, 0, 7}, {CHEST_FOUND, 2, 21, 0, 5},
    CHEST_END};
constexpr ChestRecord CHESTS_29[] = {
    {CHEST_HIDDEN, 24, 16, 0, 12}, {CHEST_FOUND, 30, 6, 0, 5},
    CHEST_END};
constexpr ChestRecord CHESTS_31[] = {
    {CHEST_FOUND, 37, 24, 0, 7}, {CHEST_FOUND, 37, 0, 0, 40}, {CHEST_FOUND, 0, 0, 0, 45}, {CHEST_FOUND, 29, 0, 0, 53},
    {CHEST_FOUND, 30, 13, 0, 56}, {CHEST_FOUND, 4, 4, 0, 5}, {CHEST_FOUND, 17, 2, 0, 9}, {CHEST_FOUND, 32, 18, 0, 4},
    CHEST_END};
constexpr ChestRecord CHESTS_32[] = {
    {CHEST_FOUND, 1, 23, 0, 7}, {CHEST_FOUND, 1, 15, 0, 6}, {CHEST_FOUND, 13, 15, 0, 46}, {CHEST_FOUND, 20, 1, 0, 6},
    {CHEST_FOUND, 34, 1, 0, 6}, {CHEST_FOUND, 27, 13, 0, 6},
    CHEST_END};
constexpr ChestRecord CHESTS_33[] = {
    {CHEST_FOUND, 1, 2, 0, 7}, {CHEST_FOUND, 10, 2, 0, 6}, {CHEST_FOUND, 30, 2, 0, 6}, {CHEST_FOUND, 1, 9, 0, 35},
    {CHEST_FOUND, 2, 16, 0, 17}, {CHEST_FOUND, 17, 16, 0, 5}, {CHEST_FOUND, 26, 16, 0, 57}, {CHEST_FOUND, 13, 24, 0, 29},
    {CHEST_FOUND, 21, 24, 0, 23}, {CHEST_FOUND, 30, 25, 0, 6},
    CHEST_END};
constexpr ChestRecord CHESTS_34[] = {
    {CHEST_FOUND, 7, 22, 0, 47}, {CHEST_FOUND, 30, 22, 0, 5},
    CHEST_END};
constexpr ChestRecord CHESTS_35[] = {
    {CHEST_FOUND, 19, 13, 0, 7}, {CHEST_FOUND, 21, 13, 0, 6},
    CHEST_END};
constexpr ChestRecord CHESTS_36[] = {
    {CHEST_FOUND, 29, 18, 0, 7}, {CHEST_FOUND, 41, 8, 0, 6}, {CHEST_FOUND, 4, 21, 0, 41},
    CHEST_END};
constexpr ChestRecord CHESTS_37[] = {
    {CHEST_FOUND, 4, 7, 0, 7}, {CHEST_FOUND, 5, 7, 0, 24}, {CHEST_FOUND, 36, 7, 0, 18}, {CHEST_FOUND, 37, 7, 0, 48},
    {CHEST_FOUND, 1, 20, 0, 36}, {CHEST_FOUND, 2, 20, 0, 30}, {CHEST_FOUND, 39, 20, 0, 42}, {CHEST_FOUND, 40, 20, 0, 54},
    CHEST_END};
constexpr ChestRecord CHESTS_38[] = {
    {CHEST_FOUND, 31, 5, 0, 7}, {CHEST_FOUND, 32, 5, 0, 6}, {CHEST_FOUND, 5, 5, 0, 6}, {CHEST_FOUND, 6, 5, 0, 6},
    CHEST_END};
// clang-format on

// Message sections of the item texts in the shared file 51.
int32_t info_message_id(int32_t item_id) { return item_id < 62 ? 321 + item_id : 360 + item_id; }

// Order of the bag groups: healing goods, boosters, the rest.
int32_t bag_kind(int32_t item_id) {
    const uint32_t f = item_get(item_id).flags;
    if (f & ITEM_HEAL) return 0;
    if (f & ITEM_SPECIAL) return 1;
    return 2;
}

// "↑", "↓" or "―" for the change of one bonus.
void draw_change_mark(int32_t diff) {
    if (diff == 0)
        txt_draw_string(-1, 0, "―", 15);
    else if (diff < 0)
        txt_draw_string(-1, 0, "↓", 10);
    else
        txt_draw_string(-1, 0, "↑", 6);
}

}  // namespace

const std::array<const ChestRecord*, CHEST_STAGES> g_stage_chests = {
    CHESTS_00, CHESTS_01, CHESTS_02, CHESTS_03, CHESTS_04, CHESTS_05, nullptr,   nullptr,   nullptr,   nullptr,
    CHESTS_10, CHESTS_11, CHESTS_12, CHESTS_13, CHESTS_14, CHESTS_15, CHESTS_16, CHESTS_17, CHESTS_18, CHESTS_19,
    CHESTS_20, nullptr,   nullptr,   CHESTS_23, nullptr,   nullptr,   CHESTS_26, CHESTS_27, CHESTS_28, CHESTS_29,
    nullptr,   CHESTS_31, CHESTS_32, CHESTS_33, CHESTS_34, CHESTS_35, CHESTS_36, CHESTS_37, CHESTS_38, nullptr,
};

const ItemRecord& item_get(int32_t item_id) {
    return g_items[static_cast<size_t>(item_id_valid(item_id) ? item_id : ITEM_COUNT - 1)];
}

int32_t item_id_valid(int32_t item_id) { return item_id >= 0 && item_id < ITEM_COUNT ? 1 : 0; }

void item_add_gold(uint32_t amount) {
    g_gold = amount >= GOLD_MAX || g_gold >= GOLD_MAX - amount ? GOLD_MAX : g_gold + amount;
}

int32_t item_give(UnitRecord* unit, int32_t item_id) {
    if (!item_id_valid(item_id)) return 0;
    item_sort_bag();
    if (item_get(item_id).flags & ITEM_BAG_MASK) {
        for (BagEntry& e : g_bag) {
            if (e.item_id == item_id) {
                if (e.count >= BAG_COUNT_MAX) return 0;
                ++e.count;
                return 1;
            }
            if (e.item_id == 0) {
                e.item_id = static_cast<int16_t>(item_id);
                e.count = 1;
                return 1;
            }
        }
        return 0;
    }
    if (!unit) return 0;
    for (uint16_t& slot : unit->items)
        if (slot == 0) {
            slot = static_cast<uint16_t>(item_id);
            return 1;
        }
    return 0;
}

int32_t item_usable_by_class(int32_t item_id, int32_t class_id) {
    const uint32_t mask = item_get(item_id).class_mask;
    if (mask == CLASS_MASK_ANYONE) return 1;
    if (class_id < 0 || class_id >= ITEM_CLASS_BITS) return 0;
    return static_cast<int32_t>((mask >> class_id) & 1u);
}

int32_t unit_class_is_final(int32_t class_id) {
    static constexpr int32_t BASE_CLASSES[7] = {0, 2, 4, 6, 8, 10, 12};
    for (int32_t c : BASE_CLASSES)
        if (c == class_id) return 0;
    return 1;
}

void item_show_info(UnitRecord* unit, int32_t item_id) {
    if (!item_id_valid(item_id)) return;
    const ItemRecord& item = item_get(item_id);
    txt_show_message(info_message_id(item_id), {item.name});

    txt_set_cursor(6, 300);
    if (item.class_mask == CLASS_MASK_ANYONE) {
        txt_draw_string(-1, 0, "누구든 사용할 수 있습니다.", 15);
    } else if (item.class_mask != 0) {
        txt_draw_string(-1, 0, "사용할 수 있는 클래스는 ", 15);
        bool first = true;
        for (int32_t c = 0; c < 15; ++c) {
            if (!((item.class_mask >> c) & 1u)) continue;
            if (!first) txt_draw_string(-1, 0, ", ", 15);
            txt_draw_string(-1, 0, g_class_names[c], 7);
            first = false;
        }
        txt_draw_string(-1, 0, "입니다.", 15);
    }

    if (!unit || (item.flags & ITEM_BAG_MASK) || !item_usable_by_class(item_id, unit->stats.class_id) ||
        unit->stats.weapon == item_id)
        return;
    const ItemRecord& held = item_get(unit->stats.weapon);
    const std::pair<const char*, int32_t> columns[4] = {
        {"직접타격:", item.direct_hit - held.direct_hit},
        {"간접타격:", item.indirect_hit - held.indirect_hit},
        {"직접효과:", item.direct_effect - held.direct_effect},
        {"간접효과:", item.indirect_effect - held.indirect_effect},
    };
    txt_set_cursor(6, 320);
    for (const auto& [label, diff] : columns) {
        txt_draw_string(-1, 0, label, 15);
        draw_change_mark(diff);
        txt_draw_string(-1, 0, "  ", 15);
    }
}

const ChestRecord* item_stage_chest_list(int32_t stage) {
    return stage >= 0 && stage < CHEST_STAGES ? g_stage_chests[static_cast<size_t>(stage)] : nullptr;
}

void item_load_map_objects(const ChestRecord* list) {
    if (!list) return;
    g_chests = {};
    for (int32_t i = 0; i < CHEST_RECORDS && list[i].x >= 0; ++i) g_chests[static_cast<size_t>(i)] = list[i];
}

int32_t item_find_map_object(int32_t x, int32_t y) {
    for (int32_t i = 0; i < CHEST_RECORDS; ++i) {
        const ChestRecord& c = g_chests[static_cast<size_t>(i)];
        if (c.state != CHEST_FREE && c.x == x && c.y == y) return i;
    }
    return -1;
}

void item_check_treasure(UnitRecord* unit) {
    if (!unit) return;
    // Up, right, down, left, then the unit's own cell.
    for (int32_t dir = 0; dir <= 4; ++dir) {
        int32_t x = unit->x, y = unit->y;
        if (dir < 4) {
            if (!map_step_dir(&x, &y, dir)) continue;
        } else if (!map_on_map(x, y)) {
            continue;
        }
        const int32_t i = item_find_map_object(x, y);
        if (i < 0) continue;
        ChestRecord& chest = g_chests[static_cast<size_t>(i)];
        if (chest.state == CHEST_HIDDEN) {
            chest.state = CHEST_FOUND;
            map_redraw_cell_view(x - g_view_x, y - g_view_y);
            menu_prompt(-1, 9, "보물상자를 발견했다!", 0);
        }
        if (dir != 4 || chest.state != CHEST_FOUND) continue;

        std::string text = "보물상자 안";
        snd_play_effect(SFX_CHEST_OPEN);
        bool taken = true;
        if (chest.gold >= 1) {
            text += "텅 빔 /9";
            text += std::to_string(chest.gold);
            text += "/*Gold를 발견했다";
            menu_prompt(-1, 9, text.c_str(), 0);
            item_add_gold(static_cast<uint32_t>(chest.gold));
        } else if (chest.item_id != 0) {
            const char* name = item_get(chest.item_id).name;
            text += "에서 /7";
            text += name;
            text += txt_ends_without_final(name) ? "/*를 발견했다!" : "/*을 발견했다!";
            menu_prompt(-1, 9, text.c_str(), 0);
            if (!item_give(unit, chest.item_id)) {
                menu_prompt(-1, 9, "하지만 더 이상 가질 수 없어 포기했다", 0);
                taken = false;
            }
        } else {
            text += "은 비어 있었다!";
            menu_prompt(-1, 9, text.c_str(), 0);
        }
        if (taken) {
            chest.state = CHEST_OPENED;
            map_redraw_cell_view(x - g_view_x, y - g_view_y);
        }
    }
}

void item_compact_unit_slots(UnitRecord* unit) {
    if (!unit) return;
    for (int32_t i = 0; i < ITEM_SLOTS - 1; ++i)
        for (int32_t j = i + 1; j < ITEM_SLOTS; ++j) {
            if (unit->items[i] != 0 || unit->items[j] == 0) continue;
            std::swap(unit->items[i], unit->items[j]);
            if (unit->equipped_slot == j) unit->equipped_slot = static_cast<uint16_t>(i);
        }
}

void item_sort_bag() {
    for (int32_t i = 0; i < BAG_ENTRIES - 1; ++i)
        for (int32_t j = i + 1; j < BAG_ENTRIES; ++j) {
            BagEntry& a = g_bag[static_cast<size_t>(i)];
            BagEntry& b = g_bag[static_cast<size_t>(j)];
            bool swap = false;
            if (a.item_id == 0) {
                swap = b.item_id != 0;
            } else if (b.item_id != 0) {
                const int32_t ka = bag_kind(a.item_id), kb = bag_kind(b.item_id);
                swap = ka > kb || (ka == kb && item_get(a.item_id).price >= item_get(b.item_id).price);
            }
            if (swap) std::swap(a, b);
        }
}

void item_show_kind(UnitRecord* unit, int32_t item_id, int32_t kinds) {
    const uint32_t f = item_get(item_id).flags;
    if (kinds != 0) {
        if (f & ITEM_SUMMON) return txt_draw_string(-1, 0, "소환", 10);
        if (f & ITEM_REVIVE) return txt_draw_string(-1, 0, "부활", 10);
        if (f & ITEM_HEAL) return txt_draw_string(-1, 0, "회복", 10);
        if (f & ITEM_SPECIAL) return txt_draw_string(-1, 0, "특수", 13);
        if ((f & ITEM_AREA) && unit && unit->charged) return txt_draw_string(-1, 0, "광역", 10);
    }
    switch (f & 7u) {
        case 0: return;
        case ITEM_DIRECT: return txt_draw_string(-1, 0, "직접", 9);
        case ITEM_NEAR: return txt_draw_string(-1, 0, "근거리", 6);
        case ITEM_FAR: return txt_draw_string(-1, 0, "원거리", 6);
        default: break;
    }
    static constexpr std::pair<uint32_t, const char*> LETTERS[3] = {
        {ITEM_DIRECT, "직"}, {ITEM_NEAR, "근"}, {ITEM_FAR, "원"}};
    bool first = true;
    for (const auto& [bit, letter] : LETTERS) {
        if (!(f & bit)) continue;
        if (!first) txt_draw_string(-1, 0, "／", 15);
        txt_draw_string(-1, 0, letter, 9);
        first = false;
    }
}

const char* item_particle(const char* name, const char* without_final, const char* with_final) {
    return txt_ends_without_final(name ? name : "") ? without_final : with_final;
}

void item_reset() {
    g_bag = {};
    g_gold = 0;
    g_chests = {};
}
