// The class ids, character ids and AI modes that code singles out by name:
// branches, lookups and the classes and modes a unit is given for play. Each
// has one name here and nowhere else. Numbers in data tables (placement lists, the class
// tables, the summon rows, the move choice's one case per class) and the
// walk-on extras and looks of the cut-scenes stay numbers.
//
// The names of every class and character are g_class_names and
// g_char_names (tactics/units.cpp). Class ids above 53 have no name: the
// cut-scenes use them for the walk sheets of their extras.
#pragma once

#include <cstdint>

// --- class ids (UnitStats::class_id) ---------------------------------------------------
// The even classes 0..12 are the base classes, each promoted to the class
// after it. The support classes (their move 12 heals, raises or cheers the
// partner) are 0, 1, 4, 5, 10, 11 and 22.
constexpr int32_t CLASS_PRINCESS = 0;       // 프린세스
constexpr int32_t CLASS_HOLY_COMMANDO = 1;  // 홀리코만도
constexpr int32_t CLASS_PRINCE = 2;         // 프린스: its face code starts with "9"
constexpr int32_t CLASS_LORD = 3;           // 로드: the second leader's class from chapter 3 on
constexpr int32_t CLASS_SIREN = 4;          // 세이렌
constexpr int32_t CLASS_VALKYRIE = 5;       // 발키리
constexpr int32_t CLASS_SOLDIER = 6;        // 솔저: a class without a battle script plays its script
constexpr int32_t CLASS_SHAMAN = 10;        // 샤먼
constexpr int32_t CLASS_PRIEST = 11;        // 프리스트
constexpr int32_t CLASS_WHITE_HORSE = 12;   // 백마: shows the foal's face
constexpr int32_t CLASS_WIZARD = 13;        // 위저드
// The four elemental spirits, 15..18 in this order: the summoned spirit is
// a party unit of one of them.
constexpr int32_t CLASS_EARTH_SPIRIT = 15;  // 어스엘리멘탈
constexpr int32_t CLASS_AIR_SPIRIT = 16;    // 에어엘리멘탈: a healer
constexpr int32_t CLASS_FIRE_SPIRIT = 17;   // 파이어엘리멘탈: chases when it acts by itself
constexpr int32_t CLASS_WATER_SPIRIT = 18;  // 워터엘리멘탈
constexpr bool unit_class_is_spirit(int32_t class_id) {
    return class_id >= CLASS_EARTH_SPIRIT && class_id <= CLASS_WATER_SPIRIT;
}
constexpr int32_t CLASS_DARK_KNIGHT = 19;  // 다크나이트: the summon table's rows start here
constexpr int32_t CLASS_MONK = 22;         // 몽크
constexpr int32_t CLASS_TIAMAT = 23;       // 티어매트
constexpr int32_t CLASS_MANTICORE = 24;    // 맨티코어
constexpr int32_t CLASS_VAMPIRE = 31;      // 뱀파이어
constexpr int32_t CLASS_ORC = 35;          // 오크
constexpr int32_t CLASS_MINOTAUR = 41;     // 미노타우로스
constexpr int32_t CLASS_WYVERN = 42;       // 와이번
// The last enemy's three forms (all three named 마인): the beaten first form
// turns into the rising form for one scripted battle, and then stands as the
// last form, whose body fills five cells of the map.
constexpr int32_t CLASS_FIRST_FORM = 46;
constexpr int32_t CLASS_RISING_FORM = 47;
constexpr int32_t CLASS_LAST_FORM = 48;
// 집사: a computer-controlled unit of this class takes the player's
// commands (the prologue's escort is one).
constexpr int32_t CLASS_BUTLER = 53;

// --- character ids (UnitStats::char_id) -----------------------------------------------
constexpr int32_t CHAR_NONE = 0;  // no character: an absent fighter
// The two leaders: when both are at 0 HP the stage is lost.
constexpr int32_t CHAR_LEADER = 1;            // 쿠시나: a healer
constexpr int32_t CHAR_SECOND_LEADER = 2;     // 쉐이
constexpr int32_t CHAR_WINIA = 3;             // 위니아: her support lets a party unit that has acted act again
constexpr int32_t CHAR_BACCHUS = 4;           // 박카스
constexpr int32_t CHAR_LAPAR = 5;             // 라파르
constexpr int32_t CHAR_AARON = 6;             // 아론
constexpr int32_t CHAR_NOS = 7;               // 노스: a healer
constexpr int32_t CHAR_SUMMONER = 8;          // 루시다: the summoned spirit follows her
constexpr int32_t CHAR_SUMMONER_PARTNER = 9;  // 정령: leaves the map when the summoner falls
constexpr int32_t CHAR_GENERIC = 10;          // a generic unit, named by its class
constexpr int32_t CHAR_FOAL = 11;             // 망아지
constexpr int32_t CHAR_PAUL = 12;             // 파울: the prologue's escort; never exchanges items
constexpr int32_t CHAR_GELDA = 13;            // 겔다
constexpr int32_t CHAR_HENRY = 14;            // 헨리
constexpr int32_t CHAR_AKBAR = 15;            // 아크바르
constexpr int32_t CHAR_JIROKICHI = 26;        // 지로키치
// 마인겔다: one unit that fills several cells; it reaches one cell further.
constexpr int32_t CHAR_LAST_ENEMY = 28;

// --- AI modes (UnitStats::ai_mode) -------------------------------------------------
// 0 is the player's side; every mode above 0 is computer-controlled. The
// modes no code tells apart (10..13 and the rest) act as AI_MODE_ADVANCE.
constexpr int32_t AI_MODE_PLAYER = 0;  // the party, and the summoned spirit
// A boss not met yet: it holds its cell until a party unit fights it; that
// first contact shows the stage's messages and makes it AI_MODE_BOSS.
constexpr int32_t AI_MODE_BOSS_UNMET = 1;
// A boss met: it moves and attacks as AI_MODE_ADVANCE; its battles start the
// boss music and its fall ends the stage.
constexpr int32_t AI_MODE_BOSS = 2;
constexpr int32_t AI_MODE_HOLD = 3;         // attacks from where it stands, never moves
constexpr int32_t AI_MODE_FLEE = 4;         // moves to the reachable cell farthest from a hostile
constexpr int32_t AI_MODE_IDLE = 5;         // never acts
constexpr int32_t AI_MODE_SUMMONER = 6;     // holds its cell; with nothing in reach it tries to summon
constexpr int32_t AI_MODE_ADVANCE = 7;      // moves toward its goal and attacks what it reaches
constexpr int32_t AI_MODE_HOLD_B = 8;       // as AI_MODE_HOLD
constexpr int32_t AI_MODE_CHASE_NEAR = 9;   // its goal is the nearest hostile within 10 cells
constexpr int32_t AI_MODE_ACTS_TWICE = 14;  // advances, twice in each enemy phase
// A boss that holds its cell and, with nothing in reach, tries to summon
// while a hostile is within 20 cells.
constexpr int32_t AI_MODE_SUMMONER_BOSS = 15;
// Hidden: not drawn, not counted as an enemy; it wakes as AI_MODE_ADVANCE
// when a party unit comes within 4 cells, or when a chapter wakes it.
constexpr int32_t AI_MODE_DORMANT = 16;
constexpr int32_t AI_MODE_CHASE_FAR = 17;  // its goal is the nearest hostile within 20 cells
// Holds its cell and, with nothing in reach, tries to summon while a
// hostile is within 20 cells.
constexpr int32_t AI_MODE_SUMMONER_NEAR = 18;
// A cut-scene's walk-on: never acts, neither blocks nor is held by zones of
// control, is not counted as an enemy and is never a target.
constexpr int32_t AI_MODE_WALK_ON = 19;

// Sides by AI mode: above 0 the computer's side, else the player's.
constexpr bool ai_mode_is_computer(int32_t mode) { return mode > 0; }
// The bosses: their battles always play the animated scene, and the damage
// they take is cut to two thirds (the first form's excepted).
constexpr bool ai_mode_is_boss(int32_t mode) {
    return mode == AI_MODE_BOSS_UNMET || mode == AI_MODE_BOSS || mode == AI_MODE_SUMMONER_BOSS;
}
// The bosses the chapters meet and beat: a critical on them does half again
// as much, not three times; the enemies that leave with a beaten boss spare
// them.
constexpr bool ai_mode_is_chapter_boss(int32_t mode) { return mode == AI_MODE_BOSS_UNMET || mode == AI_MODE_BOSS; }
