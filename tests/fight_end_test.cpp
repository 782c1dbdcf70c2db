// The screen once a fight is over, for every way a fight ends: the battle
// scene and the plain exchange from the attack command and from an enemy's
// action in the enemy phase, and the three area spells. Whatever is shown
// after the fight (the closing fade, the experience and level-up windows,
// the spoils, the chapter's after-battle messages) stands over the map, and
// once control is back on the map the back and background images hold a
// fresh draw of it, without the fallen unit.
//
// The fights take place at the map's top left corner, on stage 24, whose
// after-battle hook shows three messages once the last enemy has fallen:
// the corner stays visible beside the message windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "battle/battle.h"
#include "platform/input.h"
#include "platform/palette.h"
#include "story/hooks.h"
#include "tactics/command.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/settings.h"
#include "tactics/turn.h"
#include "tactics/units.h"
#include "tests/scene_fixture.h"

namespace {

enum class Way { CommandScene, CommandPlain, EnemyScene, EnemyPlain, Flash, Eruption, Angel };
// Who falls: the one struck first, the one who struck first (to the
// counter), or nobody.
enum class Fall { Defender, Attacker, Nobody };
// What is shown after the blows: nothing, the experience windows (with a
// level-up and, after a kill, the spoils), or those and the stage's story.
enum class After { Nothing, Windows, Story };

struct Ending {
    const char* name;
    Way way;
    Fall fall;
    After after;
};

// clang-format off
const Ending ENDINGS[] = {
    {"CommandSceneTargetFalls",          Way::CommandScene, Fall::Defender, After::Nothing},
    {"CommandSceneTargetFallsWindows",   Way::CommandScene, Fall::Defender, After::Windows},
    {"CommandSceneLastEnemyFallsStory",  Way::CommandScene, Fall::Defender, After::Story},
    {"CommandSceneAttackerFalls",        Way::CommandScene, Fall::Attacker, After::Nothing},
    {"CommandSceneNobodyFalls",          Way::CommandScene, Fall::Nobody,   After::Nothing},
    {"CommandSceneNobodyFallsWindows",   Way::CommandScene, Fall::Nobody,   After::Windows},
    {"CommandPlainTargetFalls",          Way::CommandPlain, Fall::Defender, After::Nothing},
    {"CommandPlainTargetFallsWindows",   Way::CommandPlain, Fall::Defender, After::Windows},
    {"CommandPlainLastEnemyFallsStory",  Way::CommandPlain, Fall::Defender, After::Story},
    {"CommandPlainAttackerFalls",        Way::CommandPlain, Fall::Attacker, After::Nothing},
    {"CommandPlainNobodyFalls",          Way::CommandPlain, Fall::Nobody,   After::Nothing},
    {"CommandPlainNobodyFallsWindows",   Way::CommandPlain, Fall::Nobody,   After::Windows},
    {"EnemySceneTargetFalls",            Way::EnemyScene,   Fall::Defender, After::Nothing},
    {"EnemySceneEnemyFalls",             Way::EnemyScene,   Fall::Attacker, After::Nothing},
    {"EnemySceneEnemyFallsWindows",      Way::EnemyScene,   Fall::Attacker, After::Windows},
    {"EnemySceneLastEnemyFallsStory",    Way::EnemyScene,   Fall::Attacker, After::Story},
    {"EnemySceneNobodyFalls",            Way::EnemyScene,   Fall::Nobody,   After::Nothing},
    {"EnemySceneNobodyFallsWindows",     Way::EnemyScene,   Fall::Nobody,   After::Windows},
    {"EnemyPlainTargetFalls",            Way::EnemyPlain,   Fall::Defender, After::Nothing},
    {"EnemyPlainEnemyFalls",             Way::EnemyPlain,   Fall::Attacker, After::Nothing},
    {"EnemyPlainEnemyFallsWindows",      Way::EnemyPlain,   Fall::Attacker, After::Windows},
    {"EnemyPlainLastEnemyFallsStory",    Way::EnemyPlain,   Fall::Attacker, After::Story},
    {"EnemyPlainNobodyFalls",            Way::EnemyPlain,   Fall::Nobody,   After::Nothing},
    {"EnemyPlainNobodyFallsWindows",     Way::EnemyPlain,   Fall::Nobody,   After::Windows},
    {"FlashTargetFalls",                 Way::Flash,        Fall::Defender, After::Nothing},
    {"FlashTargetFallsWindows",          Way::Flash,        Fall::Defender, After::Windows},
    {"FlashLastEnemyFallsStory",         Way::Flash,        Fall::Defender, After::Story},
    {"FlashNobodyFallsWindows",          Way::Flash,        Fall::Nobody,   After::Windows},
    {"EruptionTargetFalls",              Way::Eruption,     Fall::Defender, After::Nothing},
    {"EruptionLastEnemyFallsStory",      Way::Eruption,     Fall::Defender, After::Story},
    {"EruptionNobodyFallsWindows",       Way::Eruption,     Fall::Nobody,   After::Windows},
    {"AngelTargetFalls",                 Way::Angel,        Fall::Defender, After::Nothing},
    {"AngelLastEnemyFallsStory",         Way::Angel,        Fall::Defender, After::Story},
    {"AngelNobodyFallsWindows",          Way::Angel,        Fall::Nobody,   After::Windows},
};
// clang-format on

constexpr int PARTY_SLOT = 0;
constexpr int ENEMY_SLOT = UNIT_PARTY_SLOTS;
constexpr int BYSTANDER_SLOT = UNIT_PARTY_SLOTS + 1;
constexpr int SOLDIER = 6;
constexpr int SHORT_SWORD = 38;  // reach 1; a kill with it gives spoils
constexpr int BARE_HANDS = 60;   // reach 1; bound to its holder and worth nothing: no spoils
constexpr int STAGE_24 = 23;
constexpr int STORY_FIRST = 49, STORY_LAST = 51;

bool scene(Way w) { return w == Way::CommandScene || w == Way::EnemyScene; }
bool spell(Way w) { return w == Way::Flash || w == Way::Eruption || w == Way::Angel; }
bool by_command(Way w) { return !(w == Way::EnemyScene || w == Way::EnemyPlain); }
int spell_weapon(Way w) { return w == Way::Flash ? 30 : w == Way::Eruption ? 54 : 57; }

class FightEndTest : public MapScreenTest, public ::testing::WithParamInterface<Ending> {
protected:
    UnitRecord* party = nullptr;
    UnitRecord* enemy = nullptr;

    // What the polls saw.
    int stage_messages_before = 0;
    int battle_windows = 0;    // click waits of the battle's own windows checked
    int story_moments = 0;     // polls checked once the story had begun
    int click_waits_seen = 0;  // polls that found a click wait
    bool in_fade = false;
    uint32_t last_story_look = 0;
    std::vector<bool> closing_fade;  // the last fade to the map's colours: the map under it, poll by poll
    std::vector<std::string> faults;

    void SetUp() override {
        MapScreenTest::SetUp();
        btl_reset();
        g_chapter = 4;
        g_module_index = 4;
        g_stage_index = STAGE_24;
        map_load_map_graphics(0);
        flat_map();
        gfx_set_palette16(&g_default_palette);
        g_opt_side_marks = 1;
        g_opt_battle_speed = 0;
        g_view_x = g_view_y = 0;
        map_redraw_view();
    }
    void TearDown() override {
        polling = false;
        btl_reset();
        map_free_move_range();
        MapScreenTest::TearDown();
    }

    static UnitRecord* put(int slot, int x, int y, int ch, int mode, int hp, int attack, int weapon) {
        UnitStats s = stats(ch, SOLDIER, mode, hp);
        s.attack = static_cast<int16_t>(attack);
        s.intelligence = static_cast<int16_t>(attack);
        s.weapon = static_cast<int16_t>(weapon);
        return &place_record(slot, x, y, s, 100);
    }

    // The fighters of a row: the party unit at (1, 0), the enemy in the
    // corner. The unit to fall has 5 HP against an attack (and, for the
    // spells' magic part, intelligence) of 200; every other unit has 150 HP
    // and 0. The party unit, which earns the experience, is one point short
    // of a level, or at level 60 (no window) when nothing is to be shown;
    // then a kill is worth no spoils either.
    void set_up_fight(const Ending& e) {
        const bool windows = e.after != After::Nothing;
        const int weapon = windows ? SHORT_SWORD : BARE_HANDS;
        // The party unit strikes first by the command, the enemy in its phase.
        const bool party_falls = by_command(e.way) ? e.fall == Fall::Attacker : e.fall == Fall::Defender;
        const bool enemy_falls = e.fall != Fall::Nobody && !party_falls;
        party = put(PARTY_SLOT, 1, 0, 10, 0, party_falls ? 5 : 150, enemy_falls ? 200 : 0,
                    spell(e.way) ? spell_weapon(e.way) : weapon);
        enemy = put(ENEMY_SLOT, 0, 0, 11, 3, enemy_falls ? 5 : 150, party_falls ? 200 : 0, weapon);
        party->stats.exp = 99;
        enemy->stats.exp = 40;
        if (!windows) party->stats.level = 60;
        if (spell(e.way)) party->charged = 1;
        // Another enemy, out of the fight and never acting, keeps the
        // story from starting.
        if (e.after != After::Story) put(BYSTANDER_SLOT, 15, 10, 12, AI_MODE_IDLE, 150, 0, BARE_HANDS);
        g_opt_battle_real = scene(e.way) ? 1 : 0;
        map_redraw_view();
    }

    int stage_messages() const {
        int n = 0;
        for (int id = STORY_FIRST; id <= STORY_LAST; ++id) n += count_messages(id);
        return n;
    }
    static bool fading_to_map_colours() {
        if (g_fade_state != FADE_RUNNING) return false;
        for (int i = 0; i < 16; ++i)
            for (int k = 0; k < 3; ++k)
                if (g_fade_target[static_cast<size_t>(i * 4 + k)] != g_default_palette.colour[i][k] * 17) return false;
        return true;
    }
    static bool marks_on_the_map() {
        for (uint8_t c : g_occupancy.cells)
            if (c & (OCC_MARK_A | OCC_MARK_B)) return true;
        return false;
    }

    // The windows that stand over the map after a fight: the two speaker
    // windows of a message with their faces; the battle's own windows (the
    // experience window, the level-up window and its line, the spoils, the
    // plain battle's message box and status panel; on the area spell's
    // first wait, its bouncing numbers over the attacker's surroundings).
    static std::vector<ScreenArea> message_windows() {
        return {window_area(6, 3, 68, 5), window_area(6, 12, 68, 5), {32, 20, 191, 179}, {448, 200, 607, 359}};
    }
    std::vector<ScreenArea> battle_windows_over_map(bool numbers) const {
        std::vector<ScreenArea> w = {{144, 180, 495, 259},      window_area(26, 15, 28, 3), {192, 0, 455, 279},
                                     window_area(4, 15, 18, 3), window_area(58, 15, 18, 3), {16, 160, 623, 219}};
        if (numbers) {
            int col = 0, y = 0;
            map_cell_to_screen(party->x - g_view_x, party->y - g_view_y, &col, &y);
            col = std::max(col, 12);
            y = std::max(y, 131);
            w.push_back({(col - 12) * 8, y - 131, (col + 17) * 8 - 1, y + 124});
        }
        return w;
    }

    // A fault seen by a poll, with where the picture differs from what
    // should be under it.
    void fault(const std::string& what, const uint8_t* under) {
        int x0 = SCREEN_W, y0 = SCREEN_H, x1 = -1, y1 = -1, n = 0;
        for (int y = 0; y < 384; ++y)
            for (int x = 16; x < 624; ++x) {
                const size_t i = static_cast<size_t>(SCREEN_H - 1 - y) * SCREEN_W + static_cast<size_t>(x);
                if (gfx_dib_pixels(g_back_dib)[i] == under[i]) continue;
                ++n;
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
        faults.push_back(what + " at " + std::to_string(sys_headless_clock()) + " ms: " + std::to_string(n) +
                         " pixels differ within (" + std::to_string(x0) + ", " + std::to_string(y0) + ") - (" +
                         std::to_string(x1) + ", " + std::to_string(y1) + ")");
    }

    // One look at the screen from inside whatever wait runs, and the click
    // that answers a click wait.
    void look(const Ending& e) {
        const bool click_wait = g_cursor_shape == 5 || g_cursor_shape == 6;
        if (click_wait) {
            ++click_waits_seen;
            click_view(320, 200);
        }
        const bool fade = fading_to_map_colours() && !click_wait;
        if (!fade) in_fade = false;
        // Inside the battle scene the map is not loaded: the scene's own
        // windows stand over its picture.
        if (!map_view_available()) return;
        const bool message_wait = click_wait && g_cursor_pin[0] != 0 && g_cursor_pin[0] == g_cursor_pin[2] &&
                                  g_cursor_pin[1] == g_cursor_pin[3];
        const bool story = stage_messages() > stage_messages_before;
        const uint32_t now = sys_headless_clock();
        if (story || message_wait) {
            // The story's pauses between its messages are looked at now and
            // then, every message's click wait always.
            if (!click_wait && now - last_story_look < 200) return;
            last_story_look = now;
            ++story_moments;
            const std::vector<uint8_t> map = fresh_map();
            if (pixels_differing(gfx_dib_pixels(g_back_dib), map.data(), message_windows()) != 0)
                fault(story ? "beside the story's windows" : "beside a message's windows", map.data());
            if (!map_colours_shown()) faults.push_back("a message is shown in colours other than the map's");
        } else if (click_wait) {
            // While the fighters' cells are marked (the enemy's battle), the
            // picture under a plain battle is the map drawn before it, kept
            // in the background image.
            const std::vector<uint8_t> map = fresh_map();
            const uint8_t* under = marks_on_the_map() ? gfx_dib_pixels(g_background_dib) : map.data();
            const bool numbers = spell(e.way) && battle_windows == 0;
            ++battle_windows;
            if (pixels_differing(gfx_dib_pixels(g_back_dib), under, battle_windows_over_map(numbers)) != 0)
                fault("beside the battle's windows", under);
            if (!map_colours_shown()) faults.push_back("a battle's window is shown in colours other than the map's");
        } else if (fade) {
            if (!in_fade) closing_fade.clear();
            in_fade = true;
            const std::vector<uint8_t> map = fresh_map();
            closing_fade.push_back(pixels_differing(gfx_dib_pixels(g_back_dib), map.data()) == 0);
        }
    }

    void fight(const Ending& e) {
        stage_messages_before = stage_messages();
        poll_period = 16;
        start_polling([this, &e] { look(e); });
        if (by_command(e.way)) {
            click_view(32, 16, 100);  // the enemy's cell
            menu_cmd_act(party);
        } else {
            turn_enemy_phase();
        }
        polling = false;
    }
};

TEST_P(FightEndTest, TheMapIsUnderWhatFollowsAndOnTheScreenAfterwards) {
    const Ending& e = GetParam();
    set_up_fight(e);
    const int earned_before = party->stats.exp;
    fight(e);

    // The row is what it says.
    UnitRecord* fallen = e.fall == Fall::Nobody                                                      ? nullptr
                         : (by_command(e.way) ? e.fall == Fall::Defender : e.fall == Fall::Attacker) ? enemy
                                                                                                     : party;
    EXPECT_EQ(party->stats.hp == 0, fallen == party);
    EXPECT_EQ(enemy->stats.hp == 0, fallen == enemy);
    EXPECT_EQ(party->stats.exp != earned_before, e.after != After::Nothing && party->stats.hp > 0);
    EXPECT_EQ(stage_messages(), e.after == After::Story ? 3 : 0);
    EXPECT_EQ(g_stage_end, e.after == After::Story ? 1 : 0);

    // Whatever followed the fight stood over the map.
    for (size_t i = 0; i < faults.size() && i < 5; ++i) ADD_FAILURE() << faults[i];
    if (e.after == After::Story) {
        EXPECT_GT(story_moments, 0);
    }
    // The plain battle and the area spells show their windows over the map;
    // the battle scene shows them over its own picture.
    if (e.after == After::Windows && !scene(e.way)) {
        EXPECT_GT(battle_windows, 0);
    }
    if (e.after == After::Nothing && !spell(e.way)) {
        EXPECT_EQ(click_waits_seen, 0);
    }
    if (scene(e.way) || spell(e.way)) {
        ASSERT_FALSE(closing_fade.empty()) << "no fade back to the map's colours was seen";
        for (size_t i = 0; i < closing_fade.size(); ++i)
            EXPECT_TRUE(closing_fade[i]) << "the closing fade's poll " << i << " shows something other than the map";
    }

    // Back on the map: the back and background images hold a fresh draw of
    // it in its colours; the fallen enemy has left the grid and the picture,
    // a fallen party unit stays on its cell.
    ASSERT_TRUE(map_view_available());
    const std::vector<uint8_t> map = fresh_map();
    EXPECT_EQ(pixels_differing(gfx_dib_pixels(g_back_dib), map.data()), 0);
    EXPECT_EQ(pixels_differing(gfx_dib_pixels(g_background_dib), map.data()), 0) << "a later restore";
    EXPECT_TRUE(map_colours_shown());
    EXPECT_EQ(g_occupancy.cells[0], fallen == enemy ? 0 : enemy->number);
    EXPECT_EQ(g_occupancy.cells[1], party->number);
    if (fallen == enemy) {
        EXPECT_EQ(enemy->number, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWayAFightEnds, FightEndTest, ::testing::ValuesIn(ENDINGS),
                         [](const ::testing::TestParamInfo<Ending>& i) { return std::string(i.param.name); });

}  // namespace
