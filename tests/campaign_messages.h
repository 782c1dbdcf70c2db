// The messages each stage's scenes show (sections of the stage's own script,
// ids below 256), by where the stages' scenes show them: the stage-start
// scene, the first turn's start, the events a stage cannot be won without,
// and its end. Data only: the campaign test compares the messages it saw the
// game show on every stage with these rows.
//
// The debug flag the campaign plays with (0x2) skips no scene.
#pragma once

#include <vector>

struct CampaignStageMessages {
    int stage;                  // stage number, 1..40 (stage index + 1)
    std::vector<int> opening;   // the stage-start scene, in order
    std::vector<int> first;     // the first turn's start, in order
    std::vector<int> play;      // shown in play, every one before the stage is won: a boss's first
                                // contact, a form that falls, an ambush on the way to the boss
    std::vector<int> closing;   // the stage's end, in order, last
    std::vector<int> optional;  // shown in play or not, as the player plays
};

// clang-format off
inline const CampaignStageMessages g_campaign_stage_messages[40] = {
    // The prologue, the escort's turn-start note, and the finale at the gate.
    // A stop on the gate row without the escort near shows 99 once.
    {1, {120, 121, 122, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 97}, {98}, {}, {100, 101, 102, 103, 104, 105}, {99}},
    {2, {48, 49, 50, 51}, {52}, {}, {53}, {}},
    // The vision of the fourth turn (52..54) comes only when the stage lasts that long.
    {3, {48, 49}, {50}, {}, {51}, {52, 53, 54}},
    // Henri steps to the south at the first move and falls with no word.
    {4, {48, 49, 50, 51, 52, 53}, {54}, {}, {}, {}},
    {5, {55, 56, 48, 49, 50}, {51}, {}, {52}, {}},
    {6, {}, {48, 49}, {}, {50}, {}},
    {7, {48, 49, 50, 51, 52, 53}, {}, {}, {54}, {}},
    {8, {97, 98, 48, 49}, {}, {50}, {51, 52}, {}},
    {9, {97, 98, 99}, {48}, {49}, {50}, {}},
    // The first contact ends the stage.
    {10, {48, 49, 50, 51, 52, 53, 54, 55}, {}, {}, {56, 57, 97, 98}, {}},
    {11, {48, 49, 50, 51}, {}, {}, {52}, {}},
    {12, {}, {48}, {}, {49}, {}},
    {13, {}, {48, 49}, {}, {50}, {}},
    {14, {48, 49}, {51}, {52}, {53}, {}},
    {15, {}, {48}, {49, 50}, {51, 52}, {}},
    {16, {}, {48, 49, 50}, {}, {51, 52}, {}},
    {17, {48, 49, 50}, {51}, {52}, {}, {}},
    {18, {97, 98, 99, 100}, {48, 49}, {}, {50}, {}},
    // The first contact ends the stage.
    {19, {48, 49, 50}, {}, {}, {51, 52}, {}},
    {20, {}, {48, 49}, {}, {50, 51}, {}},
    // The vision.
    {21, {97, 98, 99, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111,
          65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80}, {48}, {}, {49}, {}},
    {22, {}, {48}, {}, {49}, {}},
    {23, {97, 98, 99}, {48}, {}, {49, 50}, {}},
    {24, {48}, {}, {}, {49, 50, 51}, {}},
    {25, {}, {48, 49}, {50, 51}, {52}, {}},
    // The party walks in one by one (97..104).
    {26, {48, 49, 97, 98, 99, 100, 101, 102, 103, 104, 122, 50, 51, 52, 53}, {54}, {}, {55}, {}},
    {27, {48}, {49}, {50}, {51}, {}},
    {28, {}, {48}, {49}, {}, {}},
    {29, {48, 49}, {}, {50}, {51}, {}},
    {30, {97, 98, 99}, {}, {}, {}, {}},
    {31, {97, 98}, {48}, {}, {49}, {}},
    {32, {97, 98, 99, 100}, {48}, {}, {49}, {}},
    {33, {}, {48}, {}, {49, 50}, {}},
    {34, {}, {48}, {}, {}, {}},
    {35, {97, 98, 99, 100}, {48, 49}, {}, {50}, {}},
    {36, {48, 49, 50}, {}, {51}, {52, 53}, {}},
    {37, {}, {48}, {49, 50, 51, 52}, {53, 54}, {}},
    // Akbar waits in the ambush that a stop near him starts (97, 49..51),
    // and only the ambush makes him the boss to beat.
    {38, {}, {48}, {97, 49, 50, 51}, {52}, {}},
    // The walk out: 99 for character 2 in slot 1, 100 for the leader in slot 0.
    {39, {97, 98, 99, 100}, {48}, {49}, {50}, {}},
    // The first form's fall (49, 50); the last one's, then the epilogue (68..75).
    {40, {97, 98, 99, 100, 65, 66, 67}, {48}, {49, 50}, {51, 52, 53, 54, 55, 56, 68, 69, 70, 71, 72, 73, 74, 75}, {}},
};
// clang-format on
