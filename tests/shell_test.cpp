// The application shell: the frame timer, scene dispatch, keys, the debug
// flags, and whole runs of the program from its entry.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/menu.h"
#include "tactics/game.h"
#include "tests/fixture.h"
#include "tests/title_script.h"

namespace {

using ShellTest = HeadlessTest;

TEST_F(ShellTest, LateTimerCatchesUpByAtMostFourTicksAndAnEarlyOneRunsOne) {
    g_chapter = 1;
    struct Case {
        uint32_t late;
        int32_t ticks;
    } cases[] = {{100, 4}, {5, 1}, {0, 1}, {40, 2}, {64, 4}, {1000, 4}};
    for (const Case& c : cases) {
        g_tick_counter = 0;
        sys_headless_advance(c.late + 1);  // keep the clock moving forward
        g_last_timer_tick = sys_tick_count() - c.late;
        win_main_proc(wnd, WM_TIMER, FRAME_TIMER_ID, 0);
        EXPECT_EQ(g_tick_counter, c.ticks) << c.late << " ms late";
        EXPECT_EQ(g_last_timer_tick, sys_tick_count());
    }
    // On the title the frame ticks do not move the tick counter.
    g_chapter = 0;
    g_tick_counter = 0;
    win_main_proc(wnd, WM_TIMER, FRAME_TIMER_ID, 0);
    EXPECT_EQ(g_tick_counter, 0);
}

TEST_F(ShellTest, SceneResultsChooseTheNextSceneMessage) {
    struct Case {
        int32_t code;
        uint32_t msg;
    } cases[] = {{0, MSG_SCENE_TITLE}, {1, MSG_SCENE_GAME},  {3, MSG_SCENE_GAME}, {5, MSG_SCENE_GAME},
                 {6, MSG_SCENE_QUIT},  {-1, MSG_SCENE_QUIT}, {7, MSG_SCENE_QUIT}};
    for (const Case& c : cases) {
        g_msg_hwnd = wnd;
        win_post_scene_for(c.code);
        SysMsg m{};
        ASSERT_EQ(sys_get_message(&m), 1);
        EXPECT_EQ(m.message, c.msg) << c.code;
        EXPECT_EQ(m.hwnd, wnd);
    }
    // The repost message posts the title.
    win_main_proc(wnd, MSG_SCENE_TITLE_REPOST, 0, 0);
    SysMsg m{};
    sys_get_message(&m);
    EXPECT_EQ(m.message, static_cast<uint32_t>(MSG_SCENE_TITLE));
}

TEST(Shell, StagesMapToChapters) {
    const int32_t expect[][2] = {{-1, 1}, {0, 1},  {1, 2},  {14, 2}, {15, 3}, {20, 3},
                                 {21, 4}, {32, 4}, {33, 5}, {39, 5}, {40, 6}, {99, 6}};
    for (auto& e : expect) EXPECT_EQ(scn_part_of_stage(e[0]), e[1]) << e[0];
}

TEST(Shell, DebugFlagTextIsOneHexNumberInTheFirstTenBytes) {
    auto parse = [](const char* s) { return win_parse_debug_flags(s, static_cast<uint32_t>(std::strlen(s))); };
    EXPECT_EQ(parse("200"), 0x200u);
    EXPECT_EQ(parse("  \t1aF\n"), 0x1AFu);
    EXPECT_EQ(parse("20x0"), 0x20u);
    EXPECT_EQ(parse(""), 0u);
    EXPECT_EQ(parse("zz"), 0u);
    EXPECT_EQ(parse("0000000000ff"), 0u);  // the digits past byte 10 are never read
    EXPECT_EQ(parse("000000002ff"), 0x2Fu);
}

TEST_F(ShellTest, EnterIsALeftPressAtTheOriginAndItsReleaseLetsGo) {
    win_main_proc(wnd, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(g_click[0].count, 0);  // posted, not yet handled
    win_pump_one();
    EXPECT_EQ(g_click[0].count, 1);
    EXPECT_EQ(g_left_held, 1);
    win_main_proc(wnd, WM_KEYUP, VK_RETURN, 0);
    EXPECT_EQ(g_left_held, 0);
    // On the windowed title the origin is view position (16, 8).
    g_fullscreen = 0;
    g_chapter = 0;
    int32_t x = -1, y = -1;
    EXPECT_EQ(win_poll_click(0, 0, &x, &y), 1);
    EXPECT_EQ(x, 16);
    EXPECT_EQ(y, 8);
}

TEST_F(ShellTest, F12IsIgnoredDuringAShakeAndTheCloseBoxDoesNothing) {
    g_shake_lock = 1;
    win_main_proc(wnd, WM_KEYDOWN, VK_F12, 0);
    EXPECT_EQ(g_fullscreen, 1);
    g_shake_lock = 0;
    win_main_proc(wnd, WM_KEYDOWN, VK_F12, 0);
    EXPECT_EQ(g_fullscreen, 0);
    EXPECT_EQ(g_view_offset.x, -16);
    EXPECT_EQ(win_main_proc(wnd, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(sys_quit_posted(), 0);
}

// The main window and a separate full-screen popup, as the shell makes them.
class TwoWindowTest : public HeadlessTest {
protected:
    SysWnd popup = 0;
    void SetUp() override {
        HeadlessTest::SetUp();
        sys_register_class("test-popup", win_popup_proc);
        popup = sys_create_window("test-popup", "", WS_POPUP, 0, 0, 640, 480);
        g_hwnd_main = g_hwnd_game = wnd;
        g_hwnd_popup = popup;
        g_fullscreen = 0;
        g_screen_w = 1024;
        g_screen_h = 768;
    }
};

TEST_F(TwoWindowTest, F12BeforeTheFirstPaintStillLeadsBackToTheWindow) {
    g_first_paint_done = 0;
    win_main_proc(wnd, WM_KEYDOWN, VK_F12, 0);  // to full screen
    ASSERT_EQ(g_hwnd_game, popup);
    win_popup_proc(popup, WM_PAINT, 0, 0);  // the first paint switches again
    EXPECT_EQ(g_first_paint_done, 1);
    EXPECT_EQ(g_hwnd_main, wnd);
    win_popup_proc(popup, WM_KEYDOWN, VK_F12, 0);  // back to the window
    EXPECT_EQ(g_fullscreen, 0);
    EXPECT_EQ(g_hwnd_game, wnd);
    EXPECT_EQ(sys_window_visible(wnd), 1);
    EXPECT_EQ(sys_window_visible(popup), 0);
}

TEST_F(TwoWindowTest, MusicStartedInFullScreenLoopsAfterTheSwitchToTheWindow) {
    win_main_proc(wnd, WM_KEYDOWN, VK_F12, 0);
    ASSERT_EQ(g_hwnd_game, popup);
    ASSERT_EQ(snd_play_music(1), 1);  // its end notice goes to the popup
    win_popup_proc(popup, WM_KEYDOWN, VK_F12, 0);
    ASSERT_EQ(g_fullscreen, 0);
    auto plays = [] {
        int n = 0;
        for (const auto& l : sys_log_lines()) n += l == "midi play";
        return n;
    };
    const int before = plays();
    for (int i = 0; i < 3000 && plays() == before; ++i) win_pump_one();
    EXPECT_EQ(plays(), before + 1);  // replayed from its start
    EXPECT_EQ(g_mci_open, 1);
    EXPECT_EQ(g_mci_ignore_notify, 0);
}

// Whole runs of the program.

// The title's quit entry, answered "예", ends the program.
TEST(GameRunTest, QuittingFromTheTitleEndsTheProgramAndShotsShowThePicture) {
    GameRun g;
    int frame_w = 0;
    uint32_t centre = 0;
    g.event(300, HeadlessKind::Move, 320, 240);
    g.call_at(TITLE_PICTURE_CLICK_AT - 100, [&] {
        int w, h;
        const uint32_t* f = sys_headless_frame(&w, &h);
        frame_w = w;
        centre = f ? f[240 * w + 100] : 0;
    });
    title_script_quit(g);
    EXPECT_EQ(g.run(), 0);
    EXPECT_EQ(frame_w, 640);  // full screen after the first paint
    EXPECT_NE(centre, 0u);    // the picture is shown
    EXPECT_EQ(g_chapter, 6u);
    EXPECT_EQ(g_back_dib, nullptr);  // freed after the loop ended
    EXPECT_FALSE(g.logged("msgbox"));
    EXPECT_LT(sys_headless_clock(), TITLE_QUESTION_AT + 1000);  // ended by the quit, not the time limit
}

TEST(GameRunTest, F12SwitchesToTheWindowAndBack) {
    GameRun g;
    std::vector<int> widths;
    auto note = [&] {
        int w, h;
        sys_headless_frame(&w, &h);
        widths.push_back(w * 1000 + h);
    };
    g.call_at(200, note);
    g.event(300, HeadlessKind::Key, 0, 0, VK_F12);
    g.call_at(400, note);
    g.event(500, HeadlessKind::Key, 0, 0, VK_F12);
    g.call_at(600, note);
    title_script_quit(g);
    g.run();
    ASSERT_EQ(widths.size(), 3u);
    EXPECT_EQ(widths[0], 640480);
    EXPECT_EQ(widths[1], 608384);  // the captioned window's client area
    EXPECT_EQ(widths[2], 640480);
}

// F12 to the window on the title, a new game started there, F12 back to
// full screen: nothing of the title stays outside the game's view.
TEST(GameRunTest, SwitchingModesLeavesNothingOutsideTheView) {
    GameRun g;
    title_script_to_menu(g);
    g.event(TITLE_MENU_AT - 300, HeadlessKind::Key, 0, 0, VK_F12);
    title_script_choose(g, TITLE_ENTRY_NEW_GAME, true);
    g.event(TITLE_MENU_AT + 500, HeadlessKind::Key, 0, 0, VK_F12);
    int32_t chapter = -1, fullscreen = -1;
    long outside = -1;
    g.call_at(TITLE_MENU_AT + 1500, [&] {
        chapter = static_cast<int32_t>(g_chapter);
        fullscreen = g_fullscreen;
        int w = 0, h = 0;
        const uint32_t* f = sys_headless_frame(&w, &h);
        outside = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (f[y * w + x] && (x < 16 || x >= 624 || y < 48 || y >= 48 + 384)) ++outside;
    });
    g.event(TITLE_MENU_AT + 1600, HeadlessKind::End);
    g.run();
    EXPECT_EQ(chapter, 1);
    EXPECT_EQ(fullscreen, 1);
    EXPECT_EQ(outside, 0);
}

TEST(GameRunTest, DebugFlag200KeepsTheWindowAndASmallDesktopStartsFullScreen) {
    TempDir data;
    std::filesystem::create_directories(data.path / "bmp");
    for (const auto& f : std::filesystem::directory_iterator(std::filesystem::path(ROWEN_KIT_DIR) / "bmp")) {
        const std::string name = f.path().filename().string();
        const bool title_picture = name.rfind("op", 0) == 0 || name.rfind("qmx", 0) == 0;
        if (title_picture || name == "Presents.bmp" || name == "winchip.BMP" || name == "mcsrfont.BMP" ||
            name == "iconchip.BMP")
            std::filesystem::copy(f.path(), data.path / "bmp" / name);
    }
    std::ofstream(data.path / "deb_flag") << " 200";
    GameRun g;
    g.options.exe_dir = data.str();
    int32_t fullscreen = -1;
    g.call_at(300, [&] { fullscreen = g_fullscreen; });
    g.event(TITLE_SKIP_AT, HeadlessKind::Click, 1, 1);
    g.event(TITLE_SKIP_AT + 10, HeadlessKind::RClick, 1, 1);
    g.event(TITLE_LOGO_CLICK_AT, HeadlessKind::Key, 0, 0, VK_RETURN);  // Enter is a left click
    g.event(TITLE_PICTURE_CLICK_AT, HeadlessKind::Key, 0, 0, VK_RETURN);
    title_script_choose(g, TITLE_ENTRY_QUIT, true);
    g.call_at(TITLE_QUESTION_AT, [] { title_click_pointer(-56); });
    EXPECT_EQ(g.run(), 0);
    EXPECT_EQ(fullscreen, 0);
    EXPECT_EQ(g_debug_flags, 0x200u);
    EXPECT_EQ(g_chapter, 6u);
    EXPECT_LT(sys_headless_clock(), TITLE_QUESTION_AT + 1000);

    GameRun small;
    small.options.desktop_w = 640;
    small.options.desktop_h = 480;
    int32_t screen_h = 0;
    small.call_at(1, [&] {
        screen_h = g_screen_h;
        fullscreen = g_fullscreen;
    });
    title_script_quit(small);
    small.run();
    EXPECT_EQ(screen_h, 400);
    EXPECT_EQ(fullscreen, 1);
    EXPECT_EQ(g_chapter, 6u);
    EXPECT_LT(sys_headless_clock(), TITLE_QUESTION_AT + 1000);  // ended by its script
}

TEST(GameRunTest, AcceptingTheNewGameRunsChapterOneOnStageOne) {
    GameRun g;
    title_script_new_game(g);
    uint32_t chapter = 0;
    int32_t stage = -2;
    // Clicks through the prologue's messages until the stage itself plays.
    constexpr uint32_t PROLOGUE_MS = 40000;
    for (uint32_t t = 500; t < PROLOGUE_MS; t += 250) g.event(TITLE_MENU_AT + t, HeadlessKind::Click, 320, 248);
    g.call_at(TITLE_MENU_AT + PROLOGUE_MS, [&] {
        chapter = g_chapter;
        stage = g_stage_index;
    });
    g.event(TITLE_MENU_AT + PROLOGUE_MS + 100, HeadlessKind::End);
    g.run();
    EXPECT_EQ(chapter, 1u);
    EXPECT_EQ(stage, 0);
    char stage_track[16];
    std::snprintf(stage_track, sizeof stage_track, "kqm%02d.mid", g_stage_music[0]);
    EXPECT_TRUE(g.logged(stage_track));
    EXPECT_EQ(g_back_dib, nullptr);
}

TEST(GameRunTest, TheCloseBoxIsIgnored) {
    GameRun g;
    bool alive_after_close = false;
    g.call_at(300, [&] { sys_post_message(g_hwnd_game, WM_CLOSE, 0, 0); });
    g.call_at(800, [&] { alive_after_close = !sys_quit_posted(); });
    title_script_quit(g);
    EXPECT_EQ(g.run(), 0);
    EXPECT_TRUE(alive_after_close);
}

TEST(GameRunTest, ShutDownInsideAWaitUnwindsTheSceneBeforeAnythingIsFreed) {
    GameRun g;
    g.call_at(500, [&] { sys_post_message(g_hwnd_main, MSG_SCENE_QUIT, 0, 0); });
    g.event(600, HeadlessKind::Click, 5, 5);  // never reached
    EXPECT_EQ(g.run(), 0);
    EXPECT_EQ(g_chapter, 0u);  // the title never went on after its wait
    EXPECT_EQ(g_back_dib, nullptr);
    EXPECT_EQ(g_sheet_cursor, nullptr);
    EXPECT_TRUE(g.logged("midi close"));
    EXPECT_LT(sys_headless_clock(), 600u);
}

// A picture the program cannot go on without ends it with code 1 and its
// file named on standard error; the other start-up pictures are there.
TEST(GameRunTest, AMissingOrUnreadablePictureEndsTheProgramAsAFailure) {
    const char* const start_up[] = {"Presents.bmp", "winchip.BMP", "mcsrfont.BMP", "iconchip.BMP"};
    const struct {
        const char* file;
        bool corrupt;  // there, but not a picture
    } cases[] = {{"Presents.bmp", false},
                 {"Presents.bmp", true},
                 {"winchip.BMP", false},
                 {"mcsrfont.BMP", false},
                 {"iconchip.BMP", false}};
    for (const auto& c : cases) {
        TempDir data;
        std::filesystem::create_directories(data.path / "bmp");
        for (const char* name : start_up)
            if (std::strcmp(name, c.file) != 0)
                std::filesystem::copy(std::filesystem::path(ROWEN_KIT_DIR) / "bmp" / name, data.path / "bmp" / name);
        if (c.corrupt) std::ofstream(data.path / "bmp" / c.file) << "not a picture";
        GameRun g;
        g.options.exe_dir = data.str();
        title_script_quit(g);
        testing::internal::CaptureStderr();
        const int code = g.run();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(code, 1) << c.file;
        EXPECT_EQ(err, "rowenbel: missing or unreadable data file: " + data.str() + "/bmp/" + c.file + "\n") << c.file;
        EXPECT_TRUE(g.logged("msgbox")) << c.file;
        EXPECT_EQ(g_chapter, 0u) << c.file;  // the title never ran
        EXPECT_EQ(g_back_dib, nullptr);
    }
}

TEST(GameRunTest, ASecondInstanceEndsAtOnceSayingWhy) {
    GameRun g;
    std::string lock = g.lock_dir.str() + "/Software_QMX_MARDOSKE_EXEC.lock";
    int fd = open(lock.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);  // the first instance
    testing::internal::CaptureStderr();
    EXPECT_EQ(g.run(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "rowenbel: the game is already running\n");
    EXPECT_EQ(g_hwnd_main, 0);  // no window was made
    EXPECT_TRUE(g.log.empty());
    close(fd);
}

// The headless driver makes the folder its shots go to, which holds only the
// shots; its instance lock is kept in the data folder, one run at a time.
TEST(GameRunTest, TheHeadlessDriverMakesItsShotsFolderAndLeavesOnlyShotsThere) {
    TempDir dir;
    const std::filesystem::path data = dir.path / "data";
    std::filesystem::create_directories(data);
    for (const char* item : {"dat", "bmp", "midi", "wave", "k.fnt"})
        std::filesystem::create_symlink(std::filesystem::path(ROWEN_KIT_DIR) / item, data / item);
    const std::filesystem::path script = dir.path / "script.txt";
    std::ofstream(script) << "at 100 shot first\nat 200 end\n";
    auto drive = [&](const std::filesystem::path& shots) {
        const std::string command = std::string(ROWEN_KIT_DIR) + "/game-headless --script " + script.string() +
                                    " --data " + data.string() + " --shots " + shots.string() + " > /dev/null 2>&1";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        std::vector<std::string> files;
        for (const auto& f : std::filesystem::directory_iterator(shots)) files.push_back(f.path().filename().string());
        return files;
    };
    EXPECT_EQ(drive(dir.path / "not" / "yet"), std::vector<std::string>{"first.png"});
    // While another instance holds the lock, a run ends at once: no shots.
    const std::string lock = (data / "Software_QMX_MARDOSKE_EXEC.lock").string();
    const int fd = open(lock.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_TRUE(drive(dir.path / "second").empty());
    close(fd);
}

}  // namespace
