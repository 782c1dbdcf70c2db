// The operating-system layer: fetch order, coalescing, sticky quit, the
// virtual clock, presentation, the pointer, names and the instance lock.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <array>
#include <fstream>

#include "sys/backend.h"
#include "tests/fixture.h"

namespace {

std::vector<SysMsg> g_seen;

int32_t record_proc(SysWnd w, uint32_t msg, uint32_t wp, uint32_t lp) {
    g_seen.push_back(SysMsg{w, msg, wp, lp});
    return 0;
}

class SysTest : public ::testing::Test {
protected:
    TempDir dir;
    SysWnd w = 0;
    void SetUp() override {
        HeadlessOptions opt;
        opt.lock_dir = dir.str();
        sys_use_headless(opt);
        g_seen.clear();
        sys_register_class("rec", record_proc);
        w = sys_create_window("rec", "t", WS_POPUP, 0, 0, 640, 480);
        sys_show_window(w, 1);
    }
    void TearDown() override { sys_shutdown(); }
    SysMsg fetch() {
        SysMsg m{};
        sys_get_message(&m);
        return m;
    }
};

TEST_F(SysTest, FetchOrderIsPostedThenInputThenPaintThenTimer) {
    ASSERT_EQ(g_seen.size(), 1u);  // WM_CREATE was sent at creation
    EXPECT_EQ(g_seen[0].message, WM_CREATE);
    fetch();  // the paint of the shown window
    sys_set_timer(w, 1, 16);
    sys_headless_advance(100);  // the timer is long overdue
    sys_invalidate(w);
    sys_invalidate(w);  // two invalidations make one paint
    HeadlessEvent click;
    click.at = sys_headless_clock();
    click.kind = HeadlessKind::Down;
    click.x = 10;
    click.y = 20;
    sys_headless_push(click);
    sys_post_message(w, 2000, 1, 0);
    sys_post_message(w, 2001, 2, 0);

    EXPECT_EQ(fetch().message, 2000u);
    EXPECT_EQ(fetch().message, 2001u);
    SysMsg paint = fetch();
    EXPECT_EQ(paint.message, WM_PAINT);  // the click is not delivered until the clock is asked
    SysMsg timer = fetch();
    EXPECT_EQ(timer.message, WM_TIMER);
    EXPECT_EQ(timer.wparam, 1u);
    // The late timer did not stack up: the next one is a full period away,
    // and the click scheduled for "now" arrives before it.
    SysMsg next = fetch();
    EXPECT_EQ(next.message, WM_LBUTTONDOWN);
    EXPECT_EQ(next.lparam, sys_make_lparam(10, 20));
    uint32_t before = sys_headless_clock();
    EXPECT_EQ(fetch().message, WM_TIMER);
    EXPECT_EQ(sys_headless_clock() - before, 16u);
}

TEST_F(SysTest, FetchingAPaintClearsItsFlagAndHiddenWindowsGetNone) {
    fetch();
    sys_invalidate(w);
    EXPECT_EQ(fetch().message, WM_PAINT);
    sys_set_timer(w, 7, 16);
    EXPECT_EQ(fetch().message, WM_TIMER);  // no second paint before it
    sys_show_window(w, 0);
    sys_invalidate(w);
    EXPECT_EQ(fetch().message, WM_TIMER);
}

TEST_F(SysTest, QuitIsStickyAndNothingLeftToHappenQuits) {
    fetch();
    sys_post_message(w, 2000, 0, 0);
    sys_post_quit(3);
    SysMsg m{};
    EXPECT_EQ(sys_get_message(&m), 0);
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wparam, 3u);
    EXPECT_EQ(sys_get_message(&m), 0);  // every later fetch too
    EXPECT_EQ(m.message, WM_QUIT);

    // A fresh machine with no timer and no script cannot wait forever.
    SetUp();
    fetch();
    EXPECT_EQ(sys_get_message(&m), 0);
}

TEST_F(SysTest, RefusedCreationLeavesNoWindow) {
    sys_register_class("refuse",
                       [](SysWnd, uint32_t msg, uint32_t, uint32_t) -> int32_t { return msg == WM_CREATE ? -1 : 0; });
    EXPECT_EQ(sys_create_window("refuse", "", WS_POPUP, 0, 0, 10, 10), 0);
    EXPECT_EQ(sys_create_window("no such class", "", WS_POPUP, 0, 0, 10, 10), 0);
    EXPECT_EQ(sys_register_class("rec", record_proc), 0);  // twice refused
}

TEST_F(SysTest, PresentMapsThroughTheColourTableAndClips) {
    // A 4 x 3 image, bottom-up: row 2 in memory is line 0.
    const uint8_t bits[12] = {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 200};
    uint8_t table[1024] = {};
    table[3 * 4 + 0] = 0x11;  // colour 3: blue 11, green 22, red 33
    table[3 * 4 + 1] = 0x22;
    table[3 * 4 + 2] = 0x33;
    table[1 * 4 + 2] = 0xFF;  // colour 1: red
    int fw = 0, fh = 0;
    const uint32_t* frame = sys_window_frame(w, &fw, &fh);
    ASSERT_EQ(fw, 640);
    ASSERT_EQ(fh, 480);
    // Lines -1..3 of the image at (636, 0): lines outside the image show
    // black, columns past the window are cut.
    sys_present(w, bits, 4, 3, table, 0, -1, 8, 5, 636, 0);
    frame = sys_window_frame(w, &fw, &fh);
    EXPECT_EQ(frame[0 * 640 + 636], 0u);                    // line -1
    EXPECT_EQ(frame[1 * 640 + 636], 0x332211u);             // line 0 = memory row 2
    EXPECT_EQ(frame[1 * 640 + 639], 0u);                    // colour 200 is black in this table
    EXPECT_EQ(frame[3 * 640 + 637], 0xFF0000u);             // line 2 = memory row 0
    EXPECT_EQ(frame[4 * 640 + 636], 0u);                    // line 3: past the image
    sys_present(w, bits, 4, 3, table, 0, 0, 4, 3, -2, -1);  // off the top-left: clipped
    frame = sys_window_frame(w, &fw, &fh);
    EXPECT_EQ(frame[0], 0x000000u);  // line 1 is colour 2: black in this table
    EXPECT_EQ(frame[1 * 640 + 1], 0xFF0000u);
}

// The real window's decision: a still picture is presented once; a changed
// pixel or colour, a forced present (an expose, a resize, a closed box) and
// a switch to the other window each present again. Repeated presents
// convert only the lines that changed, and the frame stays right.
TEST_F(SysTest, AStillFrameIsPresentedOnceAndEveryChangeAgain) {
    std::vector<uint8_t> bits(640 * 400, 3);
    std::array<uint8_t, 1024> table{};
    table[3 * 4 + 2] = 0x80;  // colour 3: dark red
    table[4 * 4 + 1] = 0xFF;  // colour 4: green
    sys_register_class("other", record_proc);
    SysWnd other = sys_create_window("other", "", WS_POPUP, 0, 0, 640, 480);
    SysPresentGate gate;
    SysWnd shown = w;
    auto paint = [&] { sys_present(shown, bits.data(), 640, 400, table.data(), 16, 0, 608, 384, 16, 48); };
    auto presents = [&] {
        paint();
        const bool due = sys_gate_due(gate, shown);
        if (due) sys_gate_presented(&gate, shown);
        return due;
    };
    EXPECT_TRUE(presents());  // the first frame
    EXPECT_FALSE(presents());
    // Each change, then the shown frame at (200, 148) and the line below.
    const struct {
        const char* what;
        std::function<void()> change;
        uint32_t at, below;
    } changes[] = {
        {"pixel", [&] { bits[(399 - 100) * 640 + 200] = 4; }, 0x00FF00, 0x800000},
        {"colour", [&] { table[3 * 4 + 0] = 0x40; }, 0x00FF00, 0x800040},
        {"forced", [&] { sys_gate_force(&gate); }, 0x00FF00, 0x800040},
        {"switch to the other window",
         [&] {
             sys_show_window(other, 1);
             sys_show_window(w, 0);
             shown = other;
         },
         0x00FF00, 0x800040},
        {"switch back",
         [&] {
             sys_show_window(w, 1);
             sys_show_window(other, 0);
             shown = w;
         },
         0x00FF00, 0x800040},
    };
    for (const auto& c : changes) {
        c.change();
        EXPECT_TRUE(presents()) << c.what;
        EXPECT_FALSE(presents()) << c.what << ", painted again unchanged";
        int fw = 0, fh = 0;
        const uint32_t* frame = sys_window_frame(shown, &fw, &fh);
        EXPECT_EQ(frame[148 * 640 + 200], c.at) << c.what;
        EXPECT_EQ(frame[149 * 640 + 200], c.below) << c.what;
        EXPECT_EQ(frame[(48 + 383) * 640 + 623], c.below) << c.what;
        EXPECT_EQ(frame[(48 + 384) * 640 + 623], 0u) << c.what;  // below the view
    }
}

// A window that appears is erased: what it showed before it was hidden,
// in another mode or scene, is gone outside what the next present draws.
TEST_F(SysTest, AWindowThatAppearsIsErased) {
    std::vector<uint8_t> bits(640 * 400, 1);
    uint8_t table[1024] = {};
    table[1 * 4 + 2] = 0xFF;
    sys_present(w, bits.data(), 640, 400, table, 0, 0, 640, 400, 0, 40);
    int fw = 0, fh = 0;
    const uint32_t* frame = sys_window_frame(w, &fw, &fh);
    ASSERT_EQ(frame[44 * 640 + 10], 0xFF0000u);
    sys_show_window(w, 1);  // already shown: nothing happens
    EXPECT_EQ(frame[44 * 640 + 10], 0xFF0000u);
    sys_show_window(w, 0);
    sys_show_window(w, 1);
    EXPECT_EQ(std::count(frame, frame + fw * fh, 0u), fw * fh);
    // The same present as before draws again in full.
    sys_present(w, bits.data(), 640, 400, table, 0, 0, 640, 400, 0, 40);
    frame = sys_window_frame(w, &fw, &fh);
    EXPECT_EQ(frame[44 * 640 + 10], 0xFF0000u);
    EXPECT_EQ(frame[439 * 640 + 639], 0xFF0000u);
}

TEST_F(SysTest, PointerShowCountPositionAndConfinement) {
    EXPECT_EQ(sys_show_cursor(0), -1);
    EXPECT_EQ(sys_show_cursor(1), 0);
    sys_set_cursor_pos(w, 100, 50);
    SysRect r{10, 20, 11, 22};
    sys_clip_cursor(w, &r);
    int x = 0, y = 0;
    sys_get_cursor_pos(w, &x, &y);
    EXPECT_EQ(x, 10);  // moved into the rectangle (right and bottom exclusive)
    EXPECT_EQ(y, 21);
    EXPECT_EQ(sys_cursor_clipped(), 1);
    sys_clip_cursor(w, nullptr);
    sys_set_cursor_pos(w, 300, 200);
    sys_get_cursor_pos(w, &x, &y);
    EXPECT_EQ(x, 300);
    EXPECT_EQ(sys_cursor_clipped(), 0);
}

TEST_F(SysTest, MessageBoxesAreLoggedInUtf8) {
    sys_message_box(w, "파일을 열 수 없습니다.", "오류", MB_ICONSTOP);
    ASSERT_FALSE(sys_log_lines().empty());
    EXPECT_EQ(sys_log_lines().back(),
              "msgbox \xEC\x98\xA4\xEB\xA5\x98|\xED\x8C\x8C\xEC\x9D\xBC\xEC\x9D\x84 "
              "\xEC\x97\xB4 \xEC\x88\x98 \xEC\x97\x86\xEC\x8A\xB5\xEB\x8B\x88\xEB\x8B\xA4.");
}

TEST(SysFiles, NamesResolveCaseInsensitivelyAndDrivesAreSkipped) {
    TempDir dir;
    std::filesystem::create_directories(dir.path / "Bmp");
    std::ofstream(dir.path / "Bmp" / "presents.BMP") << "p";
    std::ofstream(dir.path / "Bmp" / "LMASK.GEM") << "m";
    std::string base = dir.str();
    EXPECT_EQ(sys_resolve_path(base + "\\bmp\\Presents.bmp"), base + "/Bmp/presents.BMP");
    EXPECT_EQ(sys_resolve_path(base + "/BMP/lmask.gem"), base + "/Bmp/LMASK.GEM");
    // Nothing matches: the path is returned as given (with '/' separators).
    EXPECT_EQ(sys_resolve_path(base + "\\bmp\\missing.bmp"), base + "/bmp/missing.bmp");
    EXPECT_STREQ(sys_skip_drive("a:gameover.gem"), "gameover.gem");
    EXPECT_STREQ(sys_skip_drive("?:stage01.map"), "stage01.map");
    EXPECT_STREQ(sys_skip_drive("gameover.gem"), "gameover.gem");
    EXPECT_STREQ(sys_skip_drive("a"), "a");
    FILE* f = sys_fopen(base + "\\BMP\\LMASK.gem", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::fgetc(f), 'm');
    std::fclose(f);
}

TEST(SysFiles, AtomicWriteReplacesWholeOrNothing) {
    TempDir dir;
    std::string p = dir.str() + "/save00.dat";
    ASSERT_EQ(sys_write_file_atomic(p, "abc", 3), 1);
    ASSERT_EQ(sys_write_file_atomic(p, "xy", 2), 1);
    std::ifstream in(p);
    std::string s;
    in >> s;
    EXPECT_EQ(s, "xy");
    EXPECT_FALSE(std::filesystem::exists(p + ".tmp"));
    EXPECT_EQ(sys_write_file_atomic(dir.str() + "/no/such/folder/x.dat", "a", 1), 0);
}

TEST(SysLock, ASecondHolderIsRefused) {
    TempDir dir;
    HeadlessOptions opt;
    opt.lock_dir = dir.str();
    sys_use_headless(opt);
    ASSERT_EQ(sys_instance_lock("Software\\QMX\\X"), 1);
    // Another process holding it looks like this: a second open file.
    int fd = open((dir.str() + "/Software_QMX_X.lock").c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    EXPECT_NE(flock(fd, LOCK_EX | LOCK_NB), 0);
    sys_instance_unlock();
    EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(sys_instance_lock("Software\\QMX\\X"), 0);
    close(fd);
    sys_shutdown();
}

TEST(SysScript, ParsesEventsAndReportsTheBadLine) {
    std::vector<HeadlessEvent> ev;
    std::string err;
    ASSERT_TRUE(sys_headless_parse_script(
        "# comment\nat 1200 click 320 200\nat 1500 rclick 10 10\n\nat 2000 key enter\nat 2500 key f12\n"
        "at 3000 shot title\nat 9000 end\n",
        &ev, &err));
    ASSERT_EQ(ev.size(), 6u);
    EXPECT_EQ(ev[0].kind, HeadlessKind::Click);
    EXPECT_EQ(ev[0].x, 320);
    EXPECT_EQ(ev[1].kind, HeadlessKind::RClick);
    EXPECT_EQ(ev[2].key, static_cast<uint32_t>(VK_RETURN));
    EXPECT_EQ(ev[3].key, static_cast<uint32_t>(VK_F12));
    EXPECT_EQ(ev[4].name, "title");
    EXPECT_EQ(ev[5].at, 9000u);
    for (const char* bad :
         {"at x click 1 2", "at 10 jump 1 2", "at 10 click 1", "at 10 key space", "at 10 shot ../x", "click 1 2"}) {
        std::vector<HeadlessEvent> e;
        EXPECT_FALSE(sys_headless_parse_script(std::string("at 1 end\n") + bad, &e, &err)) << bad;
        EXPECT_EQ(err.rfind("line 2", 0), 0u) << err;
    }
}

TEST(SysPng, WritesAReadableHeader) {
    TempDir dir;
    std::vector<uint32_t> px(3 * 2, 0x123456);
    std::string p = dir.str() + "/a.png";
    ASSERT_EQ(sys_write_png(p.c_str(), px.data(), 3, 2), 1);
    std::ifstream in(p, std::ios::binary);
    std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(d.size(), 33u);
    EXPECT_EQ(d[1], 'P');
    EXPECT_EQ(d[19], 3);  // width
    EXPECT_EQ(d[23], 2);  // height
    EXPECT_EQ(sys_write_png(p.c_str(), px.data(), 0, 2), 0);
}

}  // namespace
