// The messages each stage's scenes show (sections of the stage's own script,
// ids below 256), in the order the game shows them: the stage-start scene,
// the first turn's start, the scenes of play, and the stage's end. Data only:
// the campaign test compares the whole sequence of messages it saw the game
// show on every stage with its row.
//
// A scene of play is shown once (a boss's first contact, a form that falls,
// an ambush the stage cannot be won without), at most once (a scene that
// waits on the player's choices or on how long the stage lasts) or any number
// of times (a command the player may give again). A scene shown stands in its
// place in the sequence, with its messages in its own order; a scene that may
// be absent leaves no gap.
//
// The debug flag the campaign plays with (0x2) skips no scene.
#pragma once

#include <vector>

enum CampaignShown {
    SHOWN_ONCE,   // exactly once
    SHOWN_MAYBE,  // once or not at all
    SHOWN_ANY,    // any number of times, none included
};

struct CampaignScene {
    CampaignShown shown;
    std::vector<int> ids;  // the scene's messages, in order
};

struct CampaignStageMessages {
    int stage;                        // stage number, 1..40 (stage index + 1)
    std::vector<int> opening;         // the stage-start scene, in order
    std::vector<int> first;           // the first turn's start, in order
    std::vector<CampaignScene> play;  // the scenes of play, in order
    std::vector<int> closing;         // the stage's end, in order, last
};

// clang-format off
inline const CampaignStageMessages g_campaign_stage_messages[40] = {
    // The prologue, the escort's turn-start note, and the finale at the gate.
    // A stop on the gate row without the escort near shows 99, once a stage.
    {1, {120, 121, 122, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 97}, {98}, {{SHOWN_MAYBE, {99}}}, {100, 101, 102, 103, 104, 105}},
    {2, {48, 49, 50, 51}, {52}, {}, {53}},
    // The vision of the fourth turn comes only when the stage lasts that long.
    {3, {48, 49}, {50}, {{SHOWN_MAYBE, {52, 53, 54}}}, {51}},
    // Henri steps to the south at the first move and falls with no word.
    {4, {48, 49, 50, 51, 52, 53}, {54}, {}, {}},
    {5, {55, 56, 48, 49, 50}, {51}, {}, {52}},
    {6, {}, {48, 49}, {}, {50}},
    {7, {48, 49, 50, 51, 52, 53}, {}, {}, {54}},
    {8, {97, 98, 48, 49}, {}, {{SHOWN_ONCE, {50}}}, {51, 52}},
    {9, {97, 98, 99}, {48}, {{SHOWN_ONCE, {49}}}, {50}},
    // The first contact ends the stage.
    {10, {48, 49, 50, 51, 52, 53, 54, 55}, {}, {}, {56, 57, 97, 98}},
    {11, {48, 49, 50, 51}, {}, {}, {52}},
    {12, {}, {48}, {}, {49}},
    {13, {}, {48, 49}, {}, {50}},
    {14, {48, 49}, {51}, {{SHOWN_ONCE, {52}}}, {53}},
    // Character 11 asked to open the shop says 53 instead, as often as asked.
    {15, {}, {48}, {{SHOWN_ANY, {53}}, {SHOWN_ONCE, {49, 50}}, {SHOWN_ANY, {53}}}, {51, 52}},
    {16, {}, {48, 49, 50}, {}, {51, 52}},
    {17, {48, 49, 50}, {51}, {{SHOWN_ONCE, {52}}}, {}},
    {18, {97, 98, 99, 100}, {48, 49}, {}, {50}},
    // The first contact ends the stage.
    {19, {48, 49, 50}, {}, {}, {51, 52}},
    {20, {}, {48, 49}, {}, {50, 51}},
    // The vision.
    {21, {97, 98, 99, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111,
          65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80}, {48}, {}, {49}},
    {22, {}, {48}, {}, {49}},
    {23, {97, 98, 99}, {48}, {}, {49, 50}},
    {24, {48}, {}, {}, {49, 50, 51}},
    {25, {}, {48, 49}, {{SHOWN_ONCE, {50, 51}}}, {52}},
    // The party walks in one by one (97..104).
    {26, {48, 49, 97, 98, 99, 100, 101, 102, 103, 104, 122, 50, 51, 52, 53}, {54}, {}, {55}},
    {27, {48}, {49}, {{SHOWN_ONCE, {50}}}, {51}},
    {28, {}, {48}, {{SHOWN_ONCE, {49}}}, {}},
    {29, {48, 49}, {}, {{SHOWN_ONCE, {50}}}, {51}},
    {30, {97, 98, 99}, {}, {}, {}},
    {31, {97, 98}, {48}, {}, {49}},
    {32, {97, 98, 99, 100}, {48}, {}, {49}},
    {33, {}, {48}, {}, {49, 50}},
    {34, {}, {48}, {}, {}},
    {35, {97, 98, 99, 100}, {48, 49}, {}, {50}},
    {36, {48, 49, 50}, {}, {{SHOWN_ONCE, {51}}}, {52, 53}},
    {37, {}, {48}, {{SHOWN_ONCE, {49, 50, 51, 52}}}, {53, 54}},
    // Akbar waits in the ambush that a stop near him starts, and only the
    // ambush makes him the boss to beat.
    {38, {}, {48}, {{SHOWN_ONCE, {97, 49, 50, 51}}}, {52}},
    // The walk out: 99 for character 2 in slot 1, 100 for the leader in slot 0.
    {39, {97, 98, 99, 100}, {48}, {{SHOWN_ONCE, {49}}}, {50}},
    // The first form's fall; the last one's, then the epilogue (68..75).
    {40, {97, 98, 99, 100, 65, 66, 67}, {48}, {{SHOWN_ONCE, {49, 50}}}, {51, 52, 53, 54, 55, 56, 68, 69, 70, 71, 72, 73, 74, 75}},
};
// clang-format on
