// The whole campaign as a player plays it: one game from the title's "처음
// 부터" through stages 1 to 40 and the ending back to the title, run by the
// real program on the headless machine. The test only reads the game's
// state; everything it does is input: clicks on units, the unit command
// menu, the map menu, the system menu, the slot chooser and the settings
// dialog, and right clicks that answer the message and picture waits. The
// party's strength comes from the debug flag file beside the program.
//
// For CI's time the game is played in five parts, one a chapter, each run
// as its own program: a part ends by saving the next chapter's first stage
// through the system menu, and the next part loads that save from the
// title's "이어서". CTest runs them in order (see CMakeLists.txt).
//
// The small player, every player phase, for each party unit in slot order:
// an enemy it can reach this turn is attacked (the stage's boss first),
// else it walks toward the stage's goal (the goal cells, the boss, or the
// nearest enemy), else it ends its action; then it ends the turn. On the
// first turn of a stage it only ends the turn, so every stage sees at least
// one enemy phase before it is won.
//
// What a player would notice is watched as well: in every enemy phase in
// which an enemy has the party within its reach, an enemy walks or fights,
// and the messages the game shows on a stage (the log names each one) are
// those of its scenes, in their order, each as often as its scene shows it
// (tests/campaign_messages.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <queue>
#include <string>
#include <vector>

#include "platform/input.h"
#include "platform/menu.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "story/hooks.h"
#include "story/title.h"
#include "tactics/command.h"
#include "tactics/game.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/move.h"
#include "tactics/pick.h"
#include "tactics/save.h"
#include "tactics/turn.h"
#include "tactics/units.h"
#include "tests/campaign_messages.h"
#include "tests/fixture.h"
#include "tools/kit_goals.h"

#ifndef ROWEN_CAMPAIGN_DIR
#define ROWEN_CAMPAIGN_DIR "campaign"
#endif

namespace {

namespace fs = std::filesystem;

// ---- the stages' goals: the kit's table (tools/kit_goals.h) -------------------------

bool reach_goal(const KitStageGoal& g) { return g.kind == KIT_GOAL_REACH || g.kind == KIT_GOAL_ESCORT; }
bool boss_goal(const KitStageGoal& g) { return g.kind == KIT_GOAL_BOSS || g.kind == KIT_GOAL_CONTACT; }

// The first stage number of chapters 1..5, and 41 for the end.
constexpr int FIRST_STAGE[7] = {0, 1, 2, 16, 22, 34, 41};

// ---- positions --------------------------------------------------------------------

// The player looks at the game every frame; right clicks that answer waits
// come at most this often.
constexpr uint32_t POLL_MS = 16;
constexpr uint32_t NUDGE_MS = 150;
// The player opens the map menu by a right click here (view position).
constexpr int MENU_AT_X = 200, MENU_AT_Y = 100;
// The map menu there: column 27, rows 5..10; the system menu opened from
// its " 시스템 " row: column 34, rows 10..13.
constexpr int MAP_MENU_X = 260, END_TURN_Y = 110, SYSTEM_Y = 210;
constexpr int SYS_MENU_X = 300, LOAD_Y = 210, SAVE_Y = 230, SETTINGS_Y = 250;
// The settings dialog's first choice of rows 0..2 (고속모드, 간이모드, 고속모드).
constexpr int SETTING_X = 320, MOVE_FAST_Y = 130, BATTLE_PLAIN_Y = 170, SPEED_FAST_Y = 210;

int cell_px() { return g_cell_w8 * 8; }

// View position of the middle of a map cell.
void cell_to_view(int x, int y, int* vx, int* vy) {
    *vx = 16 + (x - g_view_x) * cell_px() + cell_px() / 2;
    *vy = (y - g_view_y) * g_cell_h + g_cell_h / 2;
}

bool in_view(int x, int y) {
    return x >= g_view_x && x < g_view_x + g_view_cols && y >= g_view_y && y < g_view_y + g_view_rows;
}

// The cell can be picked by a click on its middle: in the view and off the
// edges that scroll (the picks of modes 0 and 1).
bool pickable(int x, int y) {
    if (!in_view(x, y) || !map_on_map(x, y)) return false;
    int px, py;
    cell_to_view(x, y, &px, &py);
    const int left = 16 + (g_view_x > 0 ? cell_px() / 2 : 0), top = g_view_y > 0 ? g_cell_h / 2 : 0;
    const int right = 640 - 16 - (g_view_x + g_view_cols < map_width() ? 16 : 0);
    const int bottom = g_view_y + g_view_rows < map_height() ? 368 : 384;
    return px >= left && px < right && py >= top && py < bottom;
}

bool cursor_on(int x, int y) { return g_cell_cursor_x == x - g_view_x && g_cell_cursor_y == y - g_view_y; }

uint8_t occ(int x, int y) { return g_occupancy.cells[y * MAP_SIDE + x]; }
UnitRecord* unit_on(int x, int y) {
    const int n = occ(x, y) & OCC_UNIT_MASK;
    return n >= 1 && n <= UNIT_SLOTS ? &g_units[static_cast<size_t>(n - 1)] : nullptr;
}
bool marked(int x, int y) { return (g_map.cells[y * MAP_SIDE + x] & MAP_MARK) != 0; }

bool on_grid(const UnitRecord& u) {
    return u.number != 0 && map_on_map(u.x, u.y) && (occ(u.x, u.y) & OCC_UNIT_MASK) == u.number;
}
// An enemy the player's attack can pick: on the enemy side, standing,
// neither dormant nor a walk-on.
bool foe(const UnitRecord* u) {
    return u && u->number != 0 && ai_mode_is_computer(u->stats.ai_mode) && u->stats.hp > 0 &&
           u->stats.ai_mode != AI_MODE_DORMANT && u->stats.ai_mode != AI_MODE_WALK_ON;
}

// The enemies a unit standing on (x, y) reaches with its weapon: the cells
// at the distances its flags name.
std::vector<UnitRecord*> foes_in_reach(const UnitRecord& u, int x, int y) {
    const uint32_t flags = item_get(u.stats.weapon).flags;
    std::vector<UnitRecord*> found;
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx) {
            const int r = std::abs(dx) + std::abs(dy);
            if (r < 1 || r > 3 || !(flags & (1u << (r - 1))) || !map_on_map(x + dx, y + dy)) continue;
            UnitRecord* t = unit_on(x + dx, y + dy);
            if (foe(t) && std::find(found.begin(), found.end(), t) == found.end()) found.push_back(t);
        }
    return found;
}

// A party unit standing with HP on the cell: one the enemies fight.
bool party_on(int x, int y) {
    const UnitRecord* t = map_on_map(x, y) ? unit_on(x, y) : nullptr;
    return t && t->number <= UNIT_PARTY_SLOTS && t->stats.hp > 0;
}

// Whether an enemy phase must see this enemy walk or fight. It is ready to
// act (standing, not yet acted, neither idle, dormant nor a walk-on), and
// its weapon reaches a party unit from where it stands, or it walks by its
// AI mode (not a boss not met yet, a holder or a summoner), strikes from
// beside, and can step beside a party unit within its 20 movement points
// (by its class's terrain costs, over cells no unit holds) while its plan
// cannot run out of its 19 candidates (few healing cells and party units
// about it). Free to choose, such an enemy waits until the party comes that
// near; the final boss, who reaches further, is left out.
bool must_act(const UnitRecord& e) {
    const int mode = e.stats.ai_mode;
    if (!on_grid(e) || e.stats.hp <= 0 || e.acted != 0 || mode == AI_MODE_IDLE || mode == AI_MODE_DORMANT ||
        mode == AI_MODE_WALK_ON || e.stats.char_id == 28)
        return false;
    const uint32_t flags = item_get(e.stats.weapon).flags;
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx) {
            const int r = std::abs(dx) + std::abs(dy);
            if (r >= 1 && r <= 3 && (flags & (1u << (r - 1))) && party_on(e.x + dx, e.y + dy)) return true;
        }
    for (int still : {AI_MODE_BOSS_UNMET, AI_MODE_HOLD, AI_MODE_SUMMONER, AI_MODE_HOLD_B, AI_MODE_SUMMONER_BOSS,
                      AI_MODE_SUMMONER_NEAR})
        if (mode == still) return false;
    if (!(flags & 1u) || e.stats.char_id == 1 || e.stats.char_id == 7 || e.stats.class_id == 16) return false;
    int listed = 0;
    for (int y = e.y - 20; y < e.y + 20; ++y)
        for (int x = e.x - 20; x < e.x + 20; ++x)
            if (map_on_map(x, y)) {
                const int t = map_terrain_class_at(x, y);
                listed += unit_on(x, y) ? party_on(x, y) : map_terrain_heal_percent(t) > 0;
            }
    if (listed > 19) return false;
    int costs[11];
    unit_get_move_costs(&e, costs);
    const int w = map_width();
    std::vector<int> d(static_cast<size_t>(w * map_height()), 99);
    using Item = std::pair<int, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> q;
    d[static_cast<size_t>(e.y * w + e.x)] = 0;
    q.push({0, e.y * w + e.x});
    static constexpr int DIRECTIONS[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
    while (!q.empty()) {
        const auto [cost, i] = q.top();
        q.pop();
        if (cost > d[static_cast<size_t>(i)]) continue;
        const int x = i % w, y = i / w;
        if (cost > 0 && std::any_of(std::begin(DIRECTIONS), std::end(DIRECTIONS),
                                    [&](const int* k) { return party_on(x + k[0], y + k[1]); })) {
            // Beside the party: the plan lists it from here, with a point to spare.
            if (cost < 20 && map_terrain_class_at(x, y) > 0) return true;
            continue;
        }
        for (const auto& k : DIRECTIONS) {
            const int nx = x + k[0], ny = y + k[1];
            if (!map_on_map(nx, ny) || unit_on(nx, ny)) continue;
            const int next = cost + costs[std::clamp(map_terrain_class_at(nx, ny), 0, 10)];
            const size_t j = static_cast<size_t>(ny * w + nx);
            if (next <= 20 && next < d[j]) {
                d[j] = next;
                q.push({next, static_cast<int>(j)});
            }
        }
    }
    return false;
}

// ---- the program's folder ----------------------------------------------------------

bool read_save(const fs::path& dir, int slot, SaveFile* out) {
    char name[32];
    std::snprintf(name, sizeof name, "save%02d.dat", slot);
    std::ifstream in(dir / name, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(out), sizeof *out)) return false;
    return in.gcount() == static_cast<std::streamsize>(sizeof *out);
}

// The fields of a party record that a hand-over carries and a stage's
// placement leaves alone.
bool same_member(const UnitRecord& a, const UnitRecord& b) {
    UnitStats sa = a.stats, sb = b.stats;
    sa.hp = sb.hp = 0;
    return a.number == b.number && a.equipped_slot == b.equipped_slot && a.victories == b.victories &&
           std::memcmp(a.items, b.items, sizeof a.items) == 0 && std::memcmp(&sa, &sb, sizeof sa) == 0;
}

// ---- the player ---------------------------------------------------------------------

class Campaign {
public:
    // Part 1 starts a new game; part n > 1 loads slot n - 1. Parts 1..4
    // end by saving slot n on the next chapter's first stage.
    explicit Campaign(int part) : part_(part), dir_(ROWEN_CAMPAIGN_DIR) {}

    // The program's folder as a player sets it up: the data kit, the empty
    // save index it comes with, and the debug flag file "2".
    void install() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
        fs::create_directories(dir_);
        for (const char* item : {"dat", "bmp", "midi", "wave", "k.fnt"})
            fs::create_symlink(fs::path(ROWEN_KIT_DIR) / item, dir_ / item);
        fs::copy_file(fs::path(ROWEN_KIT_DIR) / "savekq.idx", dir_ / "savekq.idx");
        std::ofstream(dir_ / "deb_flag") << "2\n";
    }

    void run() {
        if (part_ > 1) {
            ASSERT_TRUE(read_save(dir_, part_ - 1, &loaded_file_)) << "no save from the part before";
        }
        HeadlessOptions opt;
        opt.exe_dir = dir_.string();
        opt.lock_dir = lock_.str();
        opt.time_limit = 30u * 60u * 1000u;  // a stuck game fails rather than hangs
        opt.on_shot = [this](const std::string& name) {
            if (name != "poll" || done_) return;
            headless_at(POLL_MS, HeadlessKind::Shot, 0, 0, 0, "poll");
            poll();
        };
        HeadlessEvent first;
        first.kind = HeadlessKind::Shot;
        first.name = "poll";
        opt.script.push_back(first);
        sys_use_headless(opt);
        // A fresh program, also when the parts run one after the other in
        // one test process: the random source and the cell cursor as at start.
        reset_game_globals();
        util_random_reset();
        g_cell_cursor_x = g_cell_cursor_y = -1;
        win_main(1, 0, "", 1);
        log = sys_log_lines();
        virtual_ms = sys_headless_clock();
        sys_shutdown();
        EXPECT_TRUE(done_) << "the part did not reach its end: stage " << stage_ << ", turn " << g_turn;
    }

    bool logged(const std::string& line) const { return std::find(log.begin(), log.end(), line) != log.end(); }

    // What was seen: stages in the order they started (or resumed from a
    // save) and were won, chapters whose start was checked against the
    // party handed over, stages saved and loaded.
    std::vector<int> started, resumed, won, handed, saved, loaded;
    std::vector<int> recoveries;  // stages where a flow of the player timed out
    // The messages of the stage's own script shown on each stage (index
    // stage - 1), in order.
    std::array<std::vector<int>, GAME_STAGES> shown;
    int blackouts = 0;        // frames that cut to black after the final blow
    int must_act_phases = 0;  // enemy phases that had an enemy that must act
    int frames_watched = 0;
    std::vector<std::string> log;
    uint32_t virtual_ms = 0;

private:
    // What the player waits for after its last input.
    enum class Flow {
        None,       // the free pick, or whatever the game does meanwhile
        TitleMenu,  // the title menu's choice was clicked
        UnitMenu,   // a unit was clicked: its command menu comes
        MovePick,   // "  행동  " was chosen: the range shows
        AfterMove,  // the destination was clicked: the walk, an event or the ring
        RingPick,
        MapMenu,
        EndTurnAsk,
        SysMenu,
        Chooser,
        Overwrite,
        Settings,
    };
    enum class Task { None, EndTurn, Save, Load, Settings };
    enum class Check { None, Saved, Loaded };

    int part_;
    fs::path dir_;
    TempDir lock_;
    bool done_ = false;
    Flow flow_ = Flow::None;
    Task task_ = Task::None;
    Check check_ = Check::None;
    bool loading_ = false;
    uint32_t flow_at_ = 0, busy_until_ = 0, last_nudge_ = 0, hover_at_ = 0;
    int stage_ = 0, index_seen_ = -1;
    bool armed_ = false, enemy_seen_ = false;
    // The enemy phase watched: its turn as the banner shows it, the first
    // enemy that had to act in it, and whether an enemy walked or fought.
    int enemy_turn_ = 0;
    std::string must_acter_;
    bool enemies_acted_ = false;
    // Each slot as the last look in an enemy phase saw it.
    struct Look {
        int16_t number, x, y, hp;
    };
    std::array<Look, UNIT_SLOTS> looks_{};
    int looked_ = 0;  // the stage of the last look in an enemy phase, 0 none
    size_t log_seen_ = 0;
    int slot_ = -1;  // the slot the chooser is to take
    int acting_ = -1, dest_x_ = 0, dest_y_ = 0, start_x_ = 0, start_y_ = 0;
    bool decided_ = false;
    UnitRecord* target_ = nullptr;
    int phase_turn_ = -1;
    std::vector<int> skipped_;  // slots given up for this phase
    int settings_step_ = 0;
    bool settings_done_ = false, ch1_saved_ = false, ch1_loaded_ = false;
    SaveFile loaded_file_{};
    // The party, bag and gold as the last stage of a chapter left them.
    std::vector<UnitRecord> party_end_;
    std::array<BagEntry, BAG_ENTRIES> bag_end_{};
    uint32_t gold_end_ = 0;
    bool ending_from_ = false;  // the final blow was struck
    int last_frame_ = 0;        // 1 a picture, -1 black, 0 between

    static uint32_t now() { return sys_headless_clock(); }
    // Input at a view position; the next input waits `settle` ms for the
    // game to take this one.
    void input(HeadlessKind kind, int x, int y, uint32_t settle) {
        headless_at(4, kind, x + g_view_offset.x, y + g_view_offset.y);
        busy_until_ = now() + settle;
    }
    void click(int x, int y, uint32_t settle) { input(HeadlessKind::Click, x, y, settle); }
    // The map menu opens beside the pointer.
    void open_map_menu() { input(HeadlessKind::RClick, MENU_AT_X, MENU_AT_Y, 80); }
    // A right click where the pointer is.
    void rclick(uint32_t settle) {
        int x, y;
        pointer(&x, &y);
        input(HeadlessKind::RClick, x, y, settle);
    }
    void point(int x, int y) { input(HeadlessKind::Move, x, y, 0); }
    void pointer(int* x, int* y) const {
        sys_get_cursor_pos(g_hwnd_game, x, y);
        *x -= g_view_offset.x;
        *y -= g_view_offset.y;
    }
    bool pointer_on_cell(int x, int y) const {
        int vx, vy, mx, my;
        cell_to_view(x, y, &vx, &vy);
        pointer(&mx, &my);
        return mx == vx && my == vy;
    }
    // Points at a cell; true once a pick shows its cell cursor there.
    bool hover(int x, int y) {
        if (pointer_on_cell(x, y)) return cursor_on(x, y);
        int vx, vy;
        cell_to_view(x, y, &vx, &vy);
        point(vx, vy);
        hover_at_ = now();
        return false;
    }
    void click_cell(int x, int y, uint32_t settle) {
        int vx, vy;
        cell_to_view(x, y, &vx, &vy);
        click(vx, vy, settle);
    }
    // Right clicks, not too often, answer whatever waits for a click (the
    // banners, the title card, pictures, questions the player declines).
    void nudge() {
        if (now() - last_nudge_ < NUDGE_MS) return;
        last_nudge_ = now();
        rclick(40);
    }
    void set_flow(Flow f) {
        flow_ = f;
        flow_at_ = now();
    }
    bool late(uint32_t ms) const { return now() - flow_at_ > ms; }
    // A flow that did not reach its next state in time: counted, and the
    // player goes on from what it sees (nudges cancel a pick left open).
    void give_up() {
        recoveries.push_back(stage_);
        if (acting_ >= 0) skipped_.push_back(acting_);
        acting_ = -1;
        decided_ = false;
        task_ = Task::None;
        set_flow(Flow::None);
    }
    void finish() {
        done_ = true;
        headless_at(20, HeadlessKind::End);
    }

    static bool chooser_open() {
        return g_hit_rects[0].id == 0 && g_hit_rects[0].x1 == 64 && g_hit_rects[0].y1 == 60 &&
               g_hit_rects[14].id == 14 && g_hit_rects[14].y1 == 340 && g_hit_rects[14].x2 == 575;
    }
    static bool settings_open() {
        return g_hit_rects[0].id == 0 && g_hit_rects[0].x1 == 296 && g_hit_rects[0].y1 == 120 &&
               g_hit_rects[5].id == 5 && g_hit_rects[5].y1 == 160;
    }
    bool in_stage() const {
        return g_chapter >= 1 && g_chapter <= 5 && stage_ == g_stage_index + 1 &&
               static_cast<int>(g_chapter) == scn_chapter_of_stage(stage_ - 1);
    }
    const KitStageGoal& goal() const { return g_kit_stage_goals[stage_ - 1]; }
    UnitRecord& actor() { return g_units[static_cast<size_t>(acting_)]; }

    // ---- what the test watches --------------------------------------------------------

    void observe() {
        watch_enemies();
        // The party as the last stage of a chapter leaves it, up to the
        // hand-over.
        if (stage_ >= 1) {
            const int chapter = scn_chapter_of_stage(stage_ - 1);
            if (stage_ == FIRST_STAGE[chapter + 1] - 1 && static_cast<int>(g_chapter) == chapter) {
                party_end_.assign(g_units.begin(), g_units.begin() + UNIT_PARTY_SLOTS);
                std::memcpy(bag_end_.data(), g_bag.data(), sizeof bag_end_);
                gold_end_ = g_gold;
            }
        }
        // The game loop counts on to the next stage only after a stage is
        // won; a load sets the index too.
        if (g_stage_index != index_seen_) {
            if (!loading_ && index_seen_ >= 0 && g_stage_index == index_seen_ + 1) stage_won(index_seen_ + 1);
            index_seen_ = g_stage_index;
        }
        const int stage = g_stage_index + 1;
        if (g_chapter >= 1 && g_chapter <= 5 && stage >= 1 && stage <= GAME_STAGES &&
            static_cast<int>(g_chapter) == scn_chapter_of_stage(stage - 1) && stage != stage_) {
            stage_ = stage;
            armed_ = enemy_seen_ = false;
            (loading_ ? resumed : started).push_back(stage);
            if (!loading_ && stage == FIRST_STAGE[g_chapter] && !party_end_.empty()) check_hand_over();
        }
        if (in_stage() && !loading_) {
            if (g_turn > 30 && !done_) {
                ADD_FAILURE() << "stage " << stage_ << " is not won after 30 turns";
                finish();
            }
            enemy_seen_ |= g_turn >= 1 || g_enemy_phase == 1;
            // The end flag of the stage before stays set until the title card.
            if (!g_stage_end) armed_ = true;
            if (g_stage_end && armed_) stage_won(stage_);
        }
        watch_messages();
        if (ending_from_) watch_frame();
    }

    void stage_won(int stage) {
        if (std::find(won.begin(), won.end(), stage) != won.end()) return;
        won.push_back(stage);
        EXPECT_TRUE(enemy_seen_) << "stage " << stage << " was won before an enemy phase";
    }

    // The test looks at every slot at each poll in an enemy phase and once
    // after it. Between two looks an enemy on another cell walked, and an
    // enemy whose HP changed, or a party unit whose HP fell, was in a fight
    // (only enemies start fights there; party units heal at their own
    // phase's start); a stage that ended was ended by an enemy's act. At the
    // first look of a phase, before anyone acts, the test notes an enemy that
    // must act; a phase that had one and ends with no enemy's act is a fault.
    void watch_enemies() {
        if (looked_ && (g_stage_index + 1 != looked_ || g_stage_end)) enemies_acted_ = true;
        if (looked_ && !enemies_acted_)
            for (int s = 0; s < UNIT_SLOTS; ++s) {
                const UnitRecord& u = g_units[static_cast<size_t>(s)];
                const Look& was = looks_[static_cast<size_t>(s)];
                if (was.number == 0 || was.number != u.number) continue;
                if (s >= UNIT_PARTY_SLOTS ? was.x != u.x || was.y != u.y || was.hp != u.stats.hp : u.stats.hp < was.hp)
                    enemies_acted_ = true;
            }
        const int phase_of = looked_;
        looked_ = in_stage() && !loading_ && g_enemy_phase == 1 && !g_stage_end ? stage_ : 0;
        if (phase_of && looked_ != phase_of) enemy_phase_ended(phase_of);
        if (!looked_) return;
        const bool first = phase_of == 0;
        if (first) {
            enemy_turn_ = g_turn + 1;
            must_acter_.clear();
            enemies_acted_ = false;
        }
        for (int s = 0; s < UNIT_SLOTS; ++s) {
            const UnitRecord& u = g_units[static_cast<size_t>(s)];
            looks_[static_cast<size_t>(s)] = {u.number, u.x, u.y, u.stats.hp};
            if (first && must_acter_.empty() && s >= UNIT_PARTY_SLOTS && must_act(u))
                must_acter_ = "the enemy of class " + std::to_string(u.stats.class_id) + " (character " +
                              std::to_string(u.stats.char_id) + ") at (" + std::to_string(u.x) + "," +
                              std::to_string(u.y) + ")";
        }
    }

    void enemy_phase_ended(int stage) {
        if (must_acter_.empty()) return;
        ++must_act_phases;
        if (!enemies_acted_)
            ADD_FAILURE() << "stage " << stage << ", turn " << enemy_turn_
                          << ": no enemy walked or fought in the enemy phase, though " << must_acter_
                          << " had the party within its reach";
    }

    // The log names each message the game shows; it counts for the stage the
    // game is on at the look after it.
    void watch_messages() {
        const std::vector<std::string>& lines = sys_log_lines();
        if (lines.size() < log_seen_) {
            ADD_FAILURE() << "the log dropped lines the test had not read";
            log_seen_ = 0;
        }
        for (; log_seen_ < lines.size(); ++log_seen_) {
            int id = 0;
            if (std::sscanf(lines[log_seen_].c_str(), "message %d", &id) == 1 && id < 256 && g_stage_index >= 0 &&
                g_stage_index < GAME_STAGES)
                shown[static_cast<size_t>(g_stage_index)].push_back(id);
        }
    }

    // The chapter's start restored the party it was handed: the records,
    // bag and gold that the chapter before ended with.
    void check_hand_over() {
        const int chapter = static_cast<int>(g_chapter);
        ChapterHandOver h;
        std::memcpy(&h, g_save_buffer.data(), sizeof h);
        int members = 0;
        for (int s = 0; s < UNIT_PARTY_SLOTS; ++s) {
            const UnitRecord& live = g_units[static_cast<size_t>(s)];
            EXPECT_TRUE(same_member(party_end_[static_cast<size_t>(s)], live)) << "chapter " << chapter << ", " << s;
            EXPECT_TRUE(same_member(h.units[s], live)) << "chapter " << chapter << ", " << s;
            members += live.number != 0;
        }
        EXPECT_GE(members, 3) << "chapter " << chapter;
        EXPECT_EQ(std::memcmp(bag_end_.data(), g_bag.data(), sizeof bag_end_), 0) << "chapter " << chapter;
        EXPECT_EQ(gold_end_, g_gold) << "chapter " << chapter;
        handed.push_back(chapter);
    }

    // After the final blow the screen may fade to black, and a scene that
    // loads a map turns a white screen black at once, but the screen never
    // cuts from a picture straight to black. Within the view, a frame is a
    // picture when 2% to 98% of it is bright, black when less than 1% of it
    // is lit.
    void watch_frame() {
        int w = 0, h = 0;
        const uint32_t* f = sys_headless_frame(&w, &h);
        if (!f || w != 640 || h < 48 + 384) return;
        int lit = 0, bright = 0, n = 0;
        for (int i = 48 * w; i < (48 + 384) * w; i += 13, ++n) {
            const uint32_t p = f[i];
            // Any channel at 32 or more is lit, at 128 or more bright.
            lit += (p & 0xE0E0E0u) != 0;
            bright += (p & 0x808080u) != 0;
        }
        const int kind = bright * 50 >= n && bright * 50 <= 49 * n ? 1 : lit * 100 < n ? -1 : 0;
        if (kind == -1 && last_frame_ == 1) {
            ++blackouts;
            ADD_FAILURE() << "the screen cut to black at " << now() << " ms (stage " << stage_ << ", chapter "
                          << g_chapter << ")";
        }
        last_frame_ = kind;
        ++frames_watched;
    }

    // ---- the player -------------------------------------------------------------------

    void poll() {
        observe();
        if (done_ || now() < busy_until_) return;
        // A click wait (a message, a status or experience window).
        if (g_cursor_shape == 5 || g_cursor_shape == 6) {
            rclick(40);
            return;
        }
        if (g_chapter == 0) {
            title();
            return;
        }
        if (flow_ == Flow::TitleMenu) set_flow(Flow::None);
        switch (flow_) {
            case Flow::None: free_pick(); break;
            case Flow::UnitMenu: unit_menu(); break;
            case Flow::MovePick: move_pick(); break;
            case Flow::AfterMove: after_move(); break;
            case Flow::RingPick: ring_pick(); break;
            case Flow::MapMenu: map_menu(); break;
            case Flow::EndTurnAsk: answer_yes(MAP_MENU_X, END_TURN_Y); break;
            case Flow::Overwrite: answer_yes(300, (3 + slot_) * 20 + 10); break;
            case Flow::SysMenu: sys_menu(); break;
            case Flow::Chooser: chooser(); break;
            case Flow::Settings: settings(); break;
            case Flow::TitleMenu: break;
        }
    }

    void title() {
        if (stage_ == GAME_STAGES && g_menu_chip_set == 1) {
            finish();  // the title menu after the ending
        } else if (g_opening_pending) {
            // Both buttons skip the opening.
            click(320, 60, 200);
            headless_at(8, HeadlessKind::RClick, 320, 100);
        } else if (flow_ == Flow::TitleMenu) {
            if (chooser_open()) chooser();
        } else if (g_menu_chip_set == 1) {
            // "처음 부터" on row 15, "이어서" on row 16.
            click(320, part_ == 1 ? 310 : 330, 300);
            slot_ = part_ - 1;
            set_flow(Flow::TitleMenu);
        } else {
            nudge();  // the logo and the title picture wait for a click
        }
    }

    // The slot chooser: the slot's row.
    void chooser() {
        if (!chooser_open()) {
            if (late(3000)) give_up();
            return;
        }
        click(300, (3 + slot_) * 20 + 10, 300);
        if (task_ == Task::Save) {
            check_ = Check::Saved;
            if (g_save_index[static_cast<size_t>(slot_)].used) {
                // "덮어써도 좋습니까?" (a part run again): "예".
                set_flow(Flow::Overwrite);
                return;
            }
        } else {
            check_ = Check::Loaded;
            loading_ = true;
        }
        task_ = Task::None;
        set_flow(Flow::None);
    }

    // What the part does at the free pick before its units act.
    Task part_task() const {
        if (part_ == 1 && stage_ == 1 && !settings_done_) return Task::Settings;
        if (part_ == 1 && stage_ == 1 && g_turn >= 1 && !ch1_saved_) return Task::Save;
        if (part_ == 1 && stage_ == 1 && ch1_saved_ && !ch1_loaded_) return Task::Load;
        if (part_ <= 4 && stage_ == FIRST_STAGE[part_ + 1]) return Task::Save;
        return Task::None;
    }

    // The next party unit to act in this phase, or -1. On a stage's first
    // turn nobody acts: the enemies move before the stage can be won.
    int next_unit() {
        if (phase_turn_ != g_turn) {
            phase_turn_ = g_turn;
            skipped_.clear();
        }
        if (g_turn == 0) return -1;
        for (int s = 0; s < UNIT_PARTY_SLOTS; ++s) {
            const UnitRecord& u = g_units[static_cast<size_t>(s)];
            if (!on_grid(u) || u.stats.ai_mode != AI_MODE_PLAYER || !menu_command_offered(&u, CMD_ACT)) continue;
            if (std::find(skipped_.begin(), skipped_.end(), s) == skipped_.end()) return s;
        }
        return -1;
    }

    // The turn loop's free pick, known by the cell cursor that follows the
    // pointer; until it runs, nudges answer whatever waits.
    void free_pick() {
        if (g_menu_chip_set == 1) {
            rclick(120);  // a menu a nudge opened
            return;
        }
        if (!in_stage() || g_stage_end || g_enemy_phase || g_move_range) {
            nudge();
            return;
        }
        const int s = next_unit();
        UnitRecord* u = s >= 0 ? &g_units[static_cast<size_t>(s)] : nullptr;
        const bool unit_shown = u && pickable(u->x, u->y);
        const int px = unit_shown ? u->x : g_view_x + g_view_cols / 2;
        const int py = unit_shown ? u->y : g_view_y + g_view_rows / 2;
        if (!hover(px, py)) {
            // The pick shows its cursor within a pass; else something else waits.
            if (pointer_on_cell(px, py) && now() - hover_at_ >= 48) nudge();
            return;
        }
        if (check_ == Check::Saved) check_saved();
        if (check_ == Check::Loaded) check_loaded();
        if (done_) return;
        task_ = part_task();
        if (task_ == Task::None && !u) task_ = Task::EndTurn;
        if (task_ != Task::None) {
            open_map_menu();
            set_flow(Flow::MapMenu);
        } else if (!unit_shown) {
            scroll_toward(u->x, u->y);
        } else {
            acting_ = s;
            start_x_ = u->x;
            start_y_ = u->y;
            click_cell(u->x, u->y, 40);
            set_flow(Flow::UnitMenu);
        }
    }

    // A click on the view's edge scrolls it one step toward the cell.
    void scroll_toward(int x, int y) {
        if (x < g_view_x)
            click(20, 200, 130);
        else if (x >= g_view_x + g_view_cols - 1)
            click(620, 200, 130);
        else if (y < g_view_y)
            click(320, 4, 130);
        else
            click(320, 376, 130);
    }

    void unit_menu() {
        if (g_menu_chip_set == 1) {
            // The command menu's first entry, "  행동  ", is under the pointer.
            int mx, my;
            pointer(&mx, &my);
            click(mx, my, 80);
            decided_ = false;
            set_flow(Flow::MovePick);
        } else if (late(2000)) {
            give_up();
        }
    }

    bool preferred(const UnitRecord* t) const { return boss_goal(goal()) && t->stats.char_id == goal().boss; }

    // Path costs to the stage's goal for the unit's class, units ignored:
    // from the goal cells, else from the boss, else from every enemy.
    std::vector<int> goal_distances(const UnitRecord& u) const {
        const int w = map_width(), h = map_height();
        std::vector<int> d(static_cast<size_t>(w * h), 1 << 20);
        using Item = std::pair<int, int>;
        std::priority_queue<Item, std::vector<Item>, std::greater<Item>> q;
        auto source = [&](int x, int y) {
            if (!map_on_map(x, y)) return;
            d[static_cast<size_t>(y * w + x)] = 0;
            q.push({0, y * w + x});
        };
        const KitStageGoal& g = goal();
        if (reach_goal(g)) {
            for (const KitCellArea& a : g.cells)
                if (a.x1 >= 0)
                    for (int y = a.y1; y <= a.y2; ++y)
                        for (int x = a.x1; x <= a.x2; ++x) source(x, y);
        } else {
            for (int pass = 0; pass < 2 && q.empty(); ++pass)
                for (int s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) {
                    const UnitRecord& e = g_units[static_cast<size_t>(s)];
                    if (foe(&e) && on_grid(e) && (pass == 1 || preferred(&e))) source(e.x, e.y);
                }
        }
        int costs[11];
        unit_get_move_costs(&u, costs);
        static constexpr int DIRECTIONS[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
        while (!q.empty()) {
            const auto [dist, i] = q.top();
            q.pop();
            if (dist > d[static_cast<size_t>(i)]) continue;
            const int x = i % w, y = i / w;
            const int enter = costs[std::clamp(map_terrain_class_at(x, y), 0, 10)];
            if (enter >= MOVE_COST_BLOCKED) continue;
            for (const auto& k : DIRECTIONS) {
                const int nx = x + k[0], ny = y + k[1];
                if (!map_on_map(nx, ny)) continue;
                const size_t j = static_cast<size_t>(ny * w + nx);
                if (dist + enter < d[j]) {
                    d[j] = dist + enter;
                    q.push({d[j], static_cast<int>(j)});
                }
            }
        }
        return d;
    }

    // The range shows. Attack an enemy listed from where the unit stands;
    // else walk to the cell from which it reaches the boss, else an enemy,
    // else the cell nearest the goal; else stay.
    void decide(const UnitRecord& u) {
        decided_ = true;
        target_ = nullptr;
        for (UnitRecord* t : foes_in_reach(u, u.x, u.y))
            if (!marked(t->x, t->y) && pickable(t->x, t->y) && (!target_ || preferred(t))) target_ = t;
        if (target_) {
            dest_x_ = target_->x;
            dest_y_ = target_->y;
            return;
        }
        const std::vector<int> d = goal_distances(u);
        const int w = map_width();
        auto dist = [&](int x, int y) { return d[static_cast<size_t>(y * w + x)]; };
        // Standing on a goal cell that has not ended the stage (stage 1
        // without the escort near), the unit moves on: to another goal cell,
        // else off them, to step on again.
        int best = reach_goal(goal()) && dist(u.x, u.y) == 0 ? 1 << 20 : dist(u.x, u.y);
        int best_rank = 0;
        dest_x_ = u.x;
        dest_y_ = u.y;
        for (int y = g_view_y; y < g_view_y + g_view_rows; ++y)
            for (int x = g_view_x; x < g_view_x + g_view_cols; ++x) {
                if (!pickable(x, y) || marked(x, y) || unit_on(x, y)) continue;
                int rank = 0;
                for (UnitRecord* t : foes_in_reach(u, x, y)) rank = std::max(rank, preferred(t) ? 2 : 1);
                if (rank > best_rank || (rank == best_rank && dist(x, y) < best)) {
                    best_rank = rank;
                    best = dist(x, y);
                    dest_x_ = x;
                    dest_y_ = y;
                }
            }
    }

    void move_pick() {
        if (!g_move_range || g_menu_chip_set == 1) {
            if (late(2000)) give_up();
            return;
        }
        if (!decided_) decide(actor());
        if (!pick(dest_x_, dest_y_)) return;
        if (target_ || (dest_x_ == start_x_ && dest_y_ == start_y_))
            acted();
        else
            set_flow(Flow::AfterMove);
    }

    // Points at the cell and clicks it once the pick's cursor shows there;
    // true when clicked.
    bool pick(int x, int y) {
        if (!hover(x, y)) {
            if (late(3000)) give_up();
            return false;
        }
        click_cell(x, y, 60);
        return true;
    }

    // The unit's action is given: a battle with target_ runs, or it ends.
    void acted() {
        if (target_ && stage_ == GAME_STAGES && target_->stats.char_id == CHAR_LAST_ENEMY &&
            target_->stats.class_id == CLASS_LAST_FORM)
            ending_from_ = true;
        acting_ = -1;
        set_flow(Flow::None);
    }

    // The walk, then an event that ends the action or the ring pick.
    void after_move() {
        if (!g_move_range) {
            acting_ = -1;
            set_flow(Flow::None);
        } else if (actor().x == dest_x_ && actor().y == dest_y_ && g_cell_cursor_x != -1) {
            set_flow(Flow::RingPick);
            ring_pick();
        } else if (late(60000)) {
            give_up();
        }
    }

    // The enemies the ring reaches have their cells marked: the boss first,
    // else the first; none, the unit's own cell.
    void ring_pick() {
        target_ = nullptr;
        for (int s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) {
            UnitRecord& t = g_units[static_cast<size_t>(s)];
            if (foe(&t) && map_on_map(t.x, t.y) && (occ(t.x, t.y) & OCC_MARK_B) && (!target_ || preferred(&t)))
                target_ = &t;
        }
        if (pick(target_ ? target_->x : actor().x, target_ ? target_->y : actor().y)) acted();
    }

    // The map menu, opened at MENU_AT.
    void map_menu() {
        if (g_menu_chip_set != 1) {
            if (late(1500)) give_up();
            return;
        }
        if (task_ == Task::EndTurn) {
            click(MAP_MENU_X, END_TURN_Y, 80);
            set_flow(Flow::EndTurnAsk);
        } else {
            click(MAP_MENU_X, SYSTEM_Y, 120);
            set_flow(Flow::SysMenu);
        }
    }

    // A question puts the pointer on its "아니오"; "예" is left of it.
    void answer_yes(int clicked_x, int clicked_y) {
        int mx, my;
        pointer(&mx, &my);
        if (g_menu_chip_set == 0 && (mx != clicked_x || my != clicked_y)) {
            click(mx - 48, my, 100);
            task_ = Task::None;
            set_flow(Flow::None);
        } else if (late(2000)) {
            give_up();
        }
    }

    void sys_menu() {
        if (g_menu_chip_set != 1) {
            if (late(2000)) give_up();
            return;
        }
        switch (task_) {
            case Task::Save:
                slot_ = part_ == 1 && stage_ == 1 ? 0 : part_;
                click(SYS_MENU_X, SAVE_Y, 300);
                set_flow(Flow::Chooser);
                break;
            case Task::Load:
                slot_ = 0;
                click(SYS_MENU_X, LOAD_Y, 300);
                set_flow(Flow::Chooser);
                break;
            case Task::Settings:
                click(SYS_MENU_X, SETTINGS_Y, 200);
                settings_step_ = 0;
                set_flow(Flow::Settings);
                break;
            default: give_up(); break;
        }
    }

    // Moves without the walk, plain battles and the fast battle speed: a
    // player's choice that keeps the campaign's time low (the bosses still
    // fight in the animated scene).
    void settings() {
        if (!settings_open()) {
            if (late(2000)) give_up();
            return;
        }
        static constexpr int SETTING_Y[3] = {MOVE_FAST_Y, BATTLE_PLAIN_Y, SPEED_FAST_Y};
        if (settings_step_ < 3) {
            click(SETTING_X, SETTING_Y[settings_step_++], 60);
            return;
        }
        EXPECT_EQ(g_opt_move_anim, 0);
        EXPECT_EQ(g_opt_battle_real, 0);
        EXPECT_EQ(g_opt_battle_speed, 0);
        rclick(300);
        settings_done_ = true;
        task_ = Task::None;
        set_flow(Flow::None);
    }

    // Back on the map after a save: the slot holds the stage as it stands.
    void check_saved() {
        check_ = Check::None;
        const int slot = part_ == 1 && stage_ == 1 ? 0 : part_;
        SaveFile f{};
        ASSERT_TRUE(read_save(dir_, slot, &f)) << "slot " << slot;
        EXPECT_EQ(f.word[SW_STAGE], g_stage_index) << "slot " << slot;
        EXPECT_EQ(f.word[SW_GOLD], g_gold & 0xFFFFu) << "slot " << slot;
        for (int s = 0; s < UNIT_SLOTS; ++s)
            EXPECT_EQ(std::memcmp(&f.units[s], &g_units[static_cast<size_t>(s)], sizeof(UnitRecord)), 0)
                << "slot " << slot << " unit " << s;
        saved.push_back(stage_);
        if (slot == 0)
            ch1_saved_ = true;
        else
            finish();
    }

    // The first free pick after a load: the stage resumed as it was saved.
    void check_loaded() {
        check_ = Check::None;
        loading_ = false;
        SaveFile f = loaded_file_;
        if (part_ == 1) {
            ASSERT_TRUE(read_save(dir_, 0, &f));
            ch1_loaded_ = true;
        }
        EXPECT_EQ(f.word[SW_STAGE], g_stage_index);
        EXPECT_EQ(f.word[SW_GOLD], g_gold & 0xFFFFu);
        EXPECT_EQ(f.word[SW_TURN], g_turn);
        for (int s = 0; s < UNIT_SLOTS; ++s)
            EXPECT_EQ(std::memcmp(&f.units[s], &g_units[static_cast<size_t>(s)], sizeof(UnitRecord)), 0)
                << "unit " << s;
        EXPECT_EQ(std::memcmp(f.bag, g_bag.data(), sizeof f.bag), 0);
        loaded.push_back(stage_);
    }
};

std::vector<int> range(int first, int last) {
    std::vector<int> v;
    for (int s = first; s <= last; ++s) v.push_back(s);
    return v;
}

bool has(const std::vector<int>& v, int x) { return std::find(v.begin(), v.end(), x) != v.end(); }

std::string numbers(const std::vector<int>& v) {
    std::string t;
    for (int x : v) t += (t.empty() ? "" : " ") + std::to_string(x);
    return "{" + t + "}";
}

// A stage's messages as a pattern: scenes in order, each a run of messages
// with how often it may stand there.
struct ShownRun {
    std::vector<int> ids;
    int least, most;
};

std::vector<ShownRun> expected_runs(const CampaignStageMessages& row, bool from_start, bool to_end) {
    std::vector<ShownRun> runs;
    auto once = [&](const std::vector<int>& ids) {
        if (!ids.empty()) runs.push_back({ids, 1, 1});
    };
    if (from_start) {
        once(row.opening);
        once(row.first);
    }
    // A part that does not win the stage stops at its first free pick.
    if (!to_end) return runs;
    for (const CampaignScene& scene : row.play)
        runs.push_back({scene.ids, scene.shown == SHOWN_ONCE ? 1 : 0, scene.shown == SHOWN_ANY ? 1 << 20 : 1});
    once(row.closing);
    return runs;
}

std::string pattern_text(const std::vector<ShownRun>& runs) {
    std::string t;
    for (const ShownRun& r : runs) {
        std::string ids;
        for (int id : r.ids) ids += (ids.empty() ? "" : " ") + std::to_string(id);
        t += (t.empty() ? "" : " ") + (r.least == 1 ? ids : "(" + ids + (r.most == 1 ? ")?" : ")*"));
    }
    return "{" + t + "}";
}

// Whether shown[at..] is the runs from `run` on; `reached` keeps the most
// messages any way of reading them matched, so that the first one out of
// place can be named.
bool runs_match(const std::vector<ShownRun>& runs, size_t run, const std::vector<int>& shown, size_t at,
                size_t* reached) {
    *reached = std::max(*reached, at);
    if (run == runs.size()) return at == shown.size();
    const ShownRun& r = runs[run];
    size_t next = at;
    for (int times = 0;; ++times) {
        if (times >= r.least && runs_match(runs, run + 1, shown, next, reached)) return true;
        if (times == r.most) return false;
        for (int id : r.ids) {
            if (next == shown.size() || shown[next] != id) return false;
            *reached = std::max(*reached, ++next);
        }
    }
}

// What is wrong with the messages a stage showed, against its row of the
// table, or nothing. from_start: the part saw the stage start (its scene and
// first turn); to_end: the part saw it won.
std::string message_fault(int stage, const std::vector<int>& shown, bool from_start, bool to_end) {
    const std::vector<ShownRun> runs = expected_runs(g_campaign_stage_messages[stage - 1], from_start, to_end);
    size_t reached = 0;
    if (runs_match(runs, 0, shown, 0, &reached)) return "";
    const std::string where = reached < shown.size() ? "message " + std::to_string(shown[reached]) + " at position " +
                                                           std::to_string(reached + 1) + " is out of place"
                                                     : "messages are missing after its last one";
    return where + ": the game showed " + numbers(shown) + " where its scenes show " + pattern_text(runs);
}

// The checks every part makes: the stages it resumed, started and won, in
// order, the hand-over it crossed, its save and its load, and the messages
// of every stage it played.
void expect_part(const Campaign& c, int chapter) {
    const int first = FIRST_STAGE[chapter], next = FIRST_STAGE[chapter + 1];
    EXPECT_EQ(c.resumed, chapter == 1 ? std::vector<int>{} : std::vector<int>{first});
    EXPECT_EQ(c.started, chapter == 1 ? range(1, 2) : chapter == 5 ? range(first + 1, 40) : range(first + 1, next));
    EXPECT_EQ(c.won, range(first, next - 1));
    EXPECT_EQ(c.handed, chapter == 5 ? std::vector<int>{} : std::vector<int>{chapter + 1});
    EXPECT_EQ(c.loaded, std::vector<int>{first});
    if (chapter < 5) {
        ASSERT_FALSE(c.saved.empty());
        EXPECT_EQ(c.saved.back(), next);
    }
    EXPECT_EQ(c.recoveries, std::vector<int>{});
    std::vector<int> played = c.resumed;
    played.insert(played.end(), c.started.begin(), c.started.end());
    for (int stage : played) {
        const std::string fault =
            message_fault(stage, c.shown[static_cast<size_t>(stage - 1)], has(c.started, stage), has(c.won, stage));
        if (!fault.empty()) ADD_FAILURE() << "stage " << stage << ": " << fault;
    }
    // From chapter 2 on the party meets enemies that must act: a part that
    // saw none did not watch its enemy phases.
    if (chapter > 1) {
        EXPECT_GT(c.must_act_phases, 0);
    }
    EXPECT_FALSE(c.logged("headless: time limit reached; quitting"));
    std::printf("campaign chapter %d: %u ms of game time, %d enemy phases with an enemy that must act\n", chapter,
                c.virtual_ms, c.must_act_phases);
}

}  // namespace

TEST(Campaign, ChapterOneFromANewGame) {
    Campaign c(1);
    c.install();
    c.run();
    expect_part(c, 1);
    EXPECT_EQ(c.saved, (std::vector<int>{1, 2}));
}

TEST(Campaign, ChapterTwo) {
    Campaign c(2);
    c.run();
    expect_part(c, 2);
}

TEST(Campaign, ChapterThree) {
    Campaign c(3);
    c.run();
    expect_part(c, 3);
}

TEST(Campaign, ChapterFour) {
    Campaign c(4);
    c.run();
    expect_part(c, 4);
}

TEST(Campaign, ChapterFiveToTheEndingAndBackToTheTitle) {
    Campaign c(5);
    c.run();
    expect_part(c, 5);
    // The epilogue's messages and music, and no cut to black from the final
    // blow to the title.
    for (int id = 68; id <= 75; ++id) EXPECT_TRUE(c.logged("message " + std::to_string(id))) << id;
    EXPECT_TRUE(std::any_of(c.log.begin(), c.log.end(), [](const std::string& l) {
        return l.rfind("midi open", 0) == 0 && l.find("kqm18.mid") != std::string::npos;
    }));
    EXPECT_GT(c.frames_watched, 100);
    EXPECT_EQ(c.blackouts, 0);
    EXPECT_EQ(g_last_stage, GAME_STAGES);
}
