// The goal and the defeat of every stage as the chapter code decides them,
// with the clear-conditions text (message section 64 of the stage's script)
// that the kit writes for each. Data only: the kit generator writes the text
// and plants a flag on the goal cells of the stage maps from these rows, and
// tests check every row against the chapter code and the stage unit file.
//
// Cells are the ones the chapter code tests, exactly: a party unit that
// stops on any of them ends the stage (for the escort, only with the escort
// close by). The boss is the stage unit file's record that the chapter code
// waits for: its character id and the class it starts with there (character
// 10 is the nameless one, shown by its class name).
#pragma once

enum KitGoalKind {
    KIT_GOAL_REACH,    // a party unit stops on a goal cell
    KIT_GOAL_ESCORT,   // the same, with the escort at most escort_reach cells from it
    KIT_GOAL_BOSS,     // the boss falls
    KIT_GOAL_CONTACT,  // the first fight with the boss ends the stage before any blow
    KIT_GOAL_CLEAR,    // no enemy that counts is left on the field
};

// An inclusive rectangle of cells; x1 < 0: none.
struct KitCellArea {
    int x1, y1, x2, y2;
};

struct KitStageGoal {
    int stage;  // stage number, 1..40 (stage index + 1)
    KitGoalKind kind;
    KitCellArea cells[2];  // reach, escort: the goal cells (either area)
    int escort;            // escort: its character id,
    int escort_reach;      // and the greatest Manhattan distance it may stand from the unit on the goal
    int boss;              // boss, contact: the boss's character id in the stage unit file (0: none),
    int boss_class;        // and its class there
    int guard[2];          // the stage is lost when all of these characters have fallen
    const char* goal;      // the text: the goal,
    const char* detail;    // a line under it (null: none),
    const char* defeat;    // and the defeat
};

constexpr KitCellArea KIT_NO_CELLS = {-1, -1, -1, -1};

// Goal text, line by line: a reach goal names the flag the kit plants on
// its cells.
#define KIT_ANY_UNIT "아군 한 명이 깃발 칸에 서면 된다"
#define KIT_DEFEAT "쿠시나와 쉐이가 모두 쓰러지면 패배"

// clang-format off
inline constexpr KitStageGoal g_kit_stage_goals[40] = {
    {1, KIT_GOAL_ESCORT, {{19, 1, 20, 1}, KIT_NO_CELLS}, 12, 5, 0, 0, {1, 2},
     "파울을 데리고 북쪽 끝 깃발까지 가라", "깃발에 설 때 파울이 다섯 칸 안에 있을 것", KIT_DEFEAT},
    {2, KIT_GOAL_REACH, {{37, 17, 38, 18}, KIT_NO_CELLS}, 0, 0, 0, 0, {1, 2},
     "동쪽 끝 깃발까지 가라", KIT_ANY_UNIT, KIT_DEFEAT},
    {3, KIT_GOAL_REACH, {{34, 4, 34, 4}, KIT_NO_CELLS}, 0, 0, 0, 0, {1, 2},
     "북동쪽 깃발까지 가라", KIT_ANY_UNIT, KIT_DEFEAT},
    {4, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 14, 31, {1, 2},
     "헨리를 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {5, KIT_GOAL_REACH, {{36, 15, 36, 15}, KIT_NO_CELLS}, 0, 0, 0, 0, {1, 2},
     "동쪽 깃발까지 가라", KIT_ANY_UNIT, KIT_DEFEAT},
    {6, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 44, {1, 2},
     "적장 구울을 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {7, KIT_GOAL_REACH, {{24, 0, 24, 0}, KIT_NO_CELLS}, 0, 0, 0, 0, {1, 2},
     "북쪽 끝 깃발까지 가라", KIT_ANY_UNIT, KIT_DEFEAT},
    {8, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 31, {1, 2},
     "적장 뱀파이어를 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {9, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 35, {1, 2},
     "적장 오크를 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {10, KIT_GOAL_CONTACT, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 29, {1, 2},
     "적장 임프와 맞서라", "임프와 싸움이 붙으면 된다", KIT_DEFEAT},
    {11, KIT_GOAL_CLEAR, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 0, 0, {1, 2},
     "적을 모두 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {12, KIT_GOAL_REACH, {{12, 1, 12, 1}, KIT_NO_CELLS}, 0, 0, 0, 0, {1, 2},
     "북서쪽 끝 깃발까지 가라", KIT_ANY_UNIT, KIT_DEFEAT},
    {13, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 37, {1, 2},
     "적장 코볼드를 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {14, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 36, {1, 2},
     "적장 가고일을 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {15, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 42, {1, 2},
     "적장 와이번을 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {16, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 45, {1, 2},
     "적장 스켈톤을 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {17, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 28, {1, 2},
     "적장 다크카운트를 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {18, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 26, {1, 2},
     "적장 배런을 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {19, KIT_GOAL_CONTACT, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 29, {1, 2},
     "적장 임프와 맞서라", "임프와 싸움이 붙으면 된다", KIT_DEFEAT},
    {20, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 31, {1, 2},
     "적장 뱀파이어를 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {21, KIT_GOAL_REACH, {{19, 3, 19, 3}, KIT_NO_CELLS}, 0, 0, 0, 0, {1, 2},
     "북쪽 깃발까지 가라", KIT_ANY_UNIT, KIT_DEFEAT},
    {22, KIT_GOAL_REACH, {{24, 0, 24, 0}, KIT_NO_CELLS}, 0, 0, 0, 0, {1, 2},
     "북쪽 끝 깃발까지 가라", KIT_ANY_UNIT, KIT_DEFEAT},
    {23, KIT_GOAL_REACH, {{4, 6, 4, 6}, KIT_NO_CELLS}, 0, 0, 0, 0, {1, 2},
     "북서쪽 깃발까지 가라", KIT_ANY_UNIT, KIT_DEFEAT},
    {24, KIT_GOAL_CLEAR, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 0, 0, {1, 2},
     "적을 모두 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {25, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 41, {1, 2},
     "적장 미노타우로스를 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {26, KIT_GOAL_REACH, {{29, 26, 29, 26}, KIT_NO_CELLS}, 0, 0, 0, 0, {1, 2},
     "남동쪽 깃발까지 가라", KIT_ANY_UNIT, KIT_DEFEAT},
    {27, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 40, {1, 2},
     "적장 머미를 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {28, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 19, {1, 2},
     "적장 다크나이트를 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {29, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 34, {1, 2},
     "적장 오우거를 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {30, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 35, {1, 2},
     "적장 오크를 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {31, KIT_GOAL_REACH, {{36, 8, 36, 8}, KIT_NO_CELLS}, 0, 0, 0, 0, {1, 2},
     "북동쪽 깃발까지 가라", KIT_ANY_UNIT, KIT_DEFEAT},
    {32, KIT_GOAL_REACH, {{31, 4, 31, 4}, KIT_NO_CELLS}, 0, 0, 0, 0, {1, 2},
     "북동쪽 깃발까지 가라", KIT_ANY_UNIT, KIT_DEFEAT},
    {33, KIT_GOAL_REACH, {{8, 1, 9, 1}, KIT_NO_CELLS}, 0, 0, 0, 0, {1, 2},
     "북서쪽 끝 깃발까지 가라", KIT_ANY_UNIT, KIT_DEFEAT},
    {34, KIT_GOAL_REACH, {{20, 0, 24, 6}, KIT_NO_CELLS}, 0, 0, 0, 0, {1, 2},
     "북쪽 깃발 지대로 들어가라", KIT_ANY_UNIT, KIT_DEFEAT},
    {35, KIT_GOAL_REACH, {{10, 19, 10, 19}, {27, 19, 27, 19}}, 0, 0, 0, 0, {1, 2},
     "서쪽이나 동쪽의 깃발까지 가라", "아군 한 명이 두 깃발 중 한 곳에 서면 된다", KIT_DEFEAT},
    {36, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 28, {1, 2},
     "적장 다크카운트를 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {37, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 19, {1, 2},
     "적장 다크나이트를 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {38, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 15, 19, {1, 2},
     "아크바르를 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {39, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 10, 40, {1, 2},
     "적장 머미를 쓰러뜨려라", nullptr, KIT_DEFEAT},
    {40, KIT_GOAL_BOSS, {KIT_NO_CELLS, KIT_NO_CELLS}, 0, 0, 28, 46, {1, 2},
     "마인겔다를 쓰러뜨려라", "모습이 바뀌어도 끝까지 싸워라", KIT_DEFEAT},
};
// clang-format on

#undef KIT_ANY_UNIT
#undef KIT_DEFEAT
