// Waits, clicks, the pointer mapping and pin, the blinking click wait, the
// shake, the random source and the software cursor.
#include <cstring>
#include <vector>

#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/sound.h"
#include "tests/fixture.h"

namespace {

using InputTest = HeadlessTest;

TEST_F(InputTest, WaitUnitsAreTwelveMillisecondsInAChapterAndOneOnTheTitle) {
    g_chapter = 1;
    uint32_t t0 = sys_headless_clock();
    win_wait_units(60);
    uint32_t chapter = sys_headless_clock() - t0;
    EXPECT_GT(chapter, 720u);
    EXPECT_LE(chapter, 720u + 16u);
    EXPECT_EQ(g_wait_ms, 16);

    g_chapter = 0;
    t0 = sys_headless_clock();
    win_wait_units(60);
    uint32_t title = sys_headless_clock() - t0;
    EXPECT_GT(title, 60u);
    EXPECT_LE(title, 60u + 16u);

    // A wait always handles at least one message, even of zero length.
    g_wait_ms = 0;
    t0 = sys_headless_clock();
    win_wait_ms();
    EXPECT_GT(sys_headless_clock(), t0);
}

TEST_F(InputTest, AWaitLastsItsLengthFromTheCallWhateverWorkCameBefore) {
    // Work that holds the program without pumping messages (the clock's
    // sleep, as a retried picture read does) holds back the frame timer;
    // its message is then handled at the call. Every wait still lasts more
    // than its length from the call and at most one frame more, and ends on
    // a frame-timer message. Each case starts right after a frame-timer
    // message; a busy time of 0 is a wait called right there.
    struct Case {
        int32_t chapter;
        uint32_t busy_first, busy_last;
        int32_t units;
        uint32_t ms;
    };
    // clang-format off
    const Case cases[] = {
        {1, 302, 302,  1,  12},   // a unit after a long load
        {1, 300, 300,  2,  24},
        {1, 300, 315, 60, 720},   // every phase of the frame the work ends in
        {1,  15,  15,  1,  12},   // work that ends inside one frame
        {1,   0,   0,  1,  12},   // right after a frame-timer message
        {1,   0,   0,  0,   0},
        {1,  40,  40,  0,   0},
        {0, 295, 305,  1,   1},   // the title's 1 ms units
        {0, 300, 300, 10,  10},
        {0,   0,   0, 60,  60},
    };
    // clang-format on
    for (const Case& c : cases)
        for (uint32_t busy = c.busy_first; busy <= c.busy_last; ++busy) {
            SCOPED_TRACE("chapter " + std::to_string(c.chapter) + ", " + std::to_string(busy) + " ms busy, " +
                         std::to_string(c.units) + " units");
            g_chapter = c.chapter;
            win_wait_units(0);  // ends on a frame-timer message
            sys_sleep_ms(busy);
            const uint32_t call = sys_headless_clock();
            win_wait_units(c.units);
            const uint32_t end = sys_headless_clock();
            EXPECT_EQ(end, g_last_timer_tick);  // it ended on a frame-timer message
            EXPECT_GT(end - call, c.ms);
            EXPECT_LE(end - call, c.ms + 16);
        }
}

TEST_F(InputTest, PressesAddUpUntilPolledAndEachButtonKeepsItsOwn) {
    at(5, HeadlessKind::Click, 100, 100);
    at(5, HeadlessKind::Click, 200, 150);
    at(5, HeadlessKind::RClick, 50, 60);
    win_wait_units(5);  // all three presses are latched during the wait
    int32_t x = 0, y = 0;
    EXPECT_EQ(win_poll_click(1, 0, &x, &y), 1);
    EXPECT_EQ(x, 50);  // full screen: x as it is, y less the view offset
    EXPECT_EQ(y, 12);
    EXPECT_EQ(win_poll_click(0, 0, &x, &y), 2);  // the right poll left the left count alone
    EXPECT_EQ(x, 200);
    EXPECT_EQ(y, 102);
    EXPECT_EQ(win_poll_click(0, 0, &x, &y), 0);
}

TEST_F(InputTest, MouseMappingWindowedAndFullScreen) {
    sys_set_cursor_pos(wnd, 100, 100);
    int32_t x, y;
    g_fullscreen = 1;
    g_view_offset = {0, 48};
    win_get_mouse_pos(&x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 52);
    g_fullscreen = 0;
    g_chapter = 0;
    win_get_mouse_pos(&x, &y);
    EXPECT_EQ(x, 116);
    EXPECT_EQ(y, 108);
    g_chapter = 2;
    win_get_mouse_pos(&x, &y);
    EXPECT_EQ(y, 100);
    // Setting and reading back goes through the inverse mapping.
    win_set_mouse_pos(300, 200);
    win_get_mouse_pos(&x, &y);
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 200);
}

TEST_F(InputTest, PinConfinesOnlyInFullScreenWithAPointRectangle) {
    win_set_cursor_pin(100, 50, 100, 50);
    EXPECT_EQ(sys_cursor_clipped(), 1);
    int px, py;
    sys_get_cursor_pos(wnd, &px, &py);
    EXPECT_EQ(px, 84);
    EXPECT_EQ(py, 98);
    int32_t l, t, r, b;
    win_get_cursor_pin(&l, &t, &r, &b);
    EXPECT_EQ(l, 100);
    EXPECT_EQ(b, 50);
    // Each poll renews the confinement while the pin applies...
    int32_t x, y;
    win_poll_click(0, 0, &x, &y);
    EXPECT_EQ(g_cursor_clipped, 1);
    // ...and releases it otherwise.
    win_set_cursor_pin(100, 50, 120, 60);
    EXPECT_EQ(sys_cursor_clipped(), 0);
    win_poll_click(0, 0, &x, &y);
    EXPECT_EQ(g_cursor_clipped, 0);
    g_fullscreen = 0;
    win_set_cursor_pin(100, 50, 100, 50);
    EXPECT_EQ(sys_cursor_clipped(), 0);
}

TEST_F(InputTest, BlinkingWaitReportsTheButtonAndPlaysTheClick) {
    g_chapter = 1;
    at(600, HeadlessKind::Click, 10, 60);
    EXPECT_EQ(win_wait_click_blink(), 1);
    EXPECT_EQ(g_cursor_shape, 0);
    EXPECT_EQ(g_cursor_visible, 0);  // it was off before the wait
    bool clicked = false;
    for (const auto& l : sys_log_lines())
        if (l.find(effect_file(SFX_CLICK)) != std::string::npos) clicked = true;
    EXPECT_TRUE(clicked);

    // A press made before the wait started is dropped.
    g_click[0].count = 3;
    win_cursor_flag_on();
    at(100, HeadlessKind::RClick, 10, 60);
    EXPECT_EQ(win_wait_click_blink_2(), 0);
    EXPECT_EQ(g_cursor_visible, 1);
}

TEST_F(InputTest, BlinkAlternatesShapesEverySixteenTicks) {
    g_chapter = 1;
    std::vector<int32_t> shapes;
    // Record the shape at a few moments by scripted shots.
    options.on_shot = [&](const std::string&) { shapes.push_back(g_cursor_shape); };
    start();
    g_chapter = 1;
    for (uint32_t t : {100u, 400u, 700u}) {
        HeadlessEvent e;
        e.at = sys_headless_clock() + t;
        e.kind = HeadlessKind::Shot;
        e.name = "s";
        sys_headless_push(e);
    }
    at(780, HeadlessKind::Click, 10, 60);
    win_wait_click_blink();
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(shapes[0], 5);  // first phase
    EXPECT_EQ(shapes[1], 6);  // 16 ticks (256 ms) later
    EXPECT_EQ(shapes[2], 5);
}

TEST_F(InputTest, OnTheTitleEveryBlinkingWaitShowsShapeFive) {
    std::vector<int32_t> shapes;
    options.on_shot = [&](const std::string&) { shapes.push_back(g_cursor_shape); };
    start();
    g_chapter = 0;  // the tick counter stands still: no blinking
    for (int wait = 0; wait < 3; ++wait) {
        HeadlessEvent e;
        e.at = sys_headless_clock() + 300;
        e.kind = HeadlessKind::Shot;
        e.name = "s";
        sys_headless_push(e);
        at(400, HeadlessKind::Click, 10, 60);
        EXPECT_EQ(win_wait_click_blink(), 1);
    }
    EXPECT_EQ(shapes, (std::vector<int32_t>{5, 5, 5}));
}

TEST_F(InputTest, ShakeStepsOffsetTheViewAndStopRestoresIt) {
    g_view_offset.y = 48;
    gfx_shake_start(0);  // nothing to divide by: nothing happens
    EXPECT_EQ(g_shake_lock, 0);
    EXPECT_EQ(g_view_rect.bottom, 384);
    gfx_shake_start(4);
    EXPECT_EQ(g_view_rect.bottom, 416);
    EXPECT_EQ(g_shake_lock, 1);
    for (int i = 0; i < 20; ++i) {
        gfx_shake_step();
        EXPECT_GE(g_view_offset.y, 48);
        EXPECT_LT(g_view_offset.y, 52);
    }
    // A stronger shake started while this one runs (the last scene of the
    // game does so) still stops where the view rested before the first.
    while (g_view_offset.y == 48) gfx_shake_step();
    gfx_shake_start(8);
    gfx_shake_stop();
    EXPECT_EQ(g_view_offset.y, 48);
    EXPECT_EQ(g_view_rect.bottom, 384);
    EXPECT_EQ(g_shake_lock, 0);
}

TEST(Random, FollowsTheThreeGeneratorsFromTheirFixedSeeds) {
    util_random_reset();
    RandomMirror mirror;
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(util_random(), mirror.next()) << "value " << i;
    util_random_reset();
    EXPECT_EQ(util_random(), (171 * 167 % 30269) + (172 * 19960 % 30307) + (170 * 5150 % 30323));
}

TEST(Utilities, CopyAllowsOverlapAndSwapSwaps) {
    char buf[] = "abcdef";
    util_memcpy(buf + 1, buf, 4);
    EXPECT_STREQ(buf, "aabcdf");
    int16_t a = 1, b = -2;
    util_swap16(&a, &b);
    EXPECT_EQ(a, -2);
    EXPECT_EQ(b, 1);
    uint16_t y, m, d, h, mi;
    util_get_date(&y, &m, &d);
    util_get_time(&h, &mi);
    EXPECT_GE(y, 2024);
    EXPECT_TRUE(m >= 1 && m <= 12 && d >= 1 && d <= 31 && h < 24 && mi < 60);
}

class CursorTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        gfx_load_ui_sheets();
        ASSERT_NE(g_sheet_cursor, nullptr);
        for (size_t i = 0; i < SCREEN_IMAGE_SIZE; ++i)
            g_back_dib[SCREEN_HEADER_SIZE + i] = static_cast<uint8_t>(i * 31 % 13);
        win_cursor_flag_on();
    }
    void TearDown() override {
        gfx_free_ui_sheets();
        HeadlessTest::TearDown();
    }
};

TEST_F(CursorTest, DrawingAndRemovingLeavesTheBackImageAsItWas) {
    std::vector<uint8_t> before(g_back_dib, g_back_dib + SCREEN_DIB_SIZE);
    const int spots[][2] = {{300, 200}, {301, 203}, {16, 0}, {623, 383}, {624, 384}, {0, 0}, {639, 415}};
    for (int shape = 0; shape < 7; ++shape)
        for (auto& s : spots) {
            win_set_cursor_shape(shape);
            win_set_mouse_pos(s[0], s[1]);
            gfx_cursor_draw();
            bool drawn = g_cursor_saved_rect != nullptr;
            bool changed = std::memcmp(before.data(), g_back_dib, SCREEN_DIB_SIZE) != 0;
            if (s[0] == 300 && s[1] == 200) {
                EXPECT_TRUE(drawn && changed) << "shape " << shape;
            }
            gfx_cursor_restore();
            ASSERT_EQ(std::memcmp(before.data(), g_back_dib, SCREEN_DIB_SIZE), 0)
                << "shape " << shape << " at " << s[0] << "," << s[1];
        }
}

TEST_F(CursorTest, HiddenShapesAndPositionsOffTheViewDrawNothing) {
    std::vector<uint8_t> before(g_back_dib, g_back_dib + SCREEN_DIB_SIZE);
    for (int shape : {-1, 7, 12}) {
        win_set_cursor_shape(shape);
        win_set_mouse_pos(300, 200);
        gfx_cursor_draw();
        EXPECT_EQ(g_cursor_saved_rect, nullptr);
    }
    win_set_cursor_shape(0);
    win_set_mouse_pos(8, 200);  // left of the view
    gfx_cursor_draw();
    EXPECT_EQ(g_cursor_saved_rect, nullptr);
    EXPECT_LT(sys_show_count(), 0);  // full screen keeps the system pointer hidden
    g_fullscreen = 0;
    win_set_mouse_pos(8, 200);
    gfx_cursor_draw();
    EXPECT_GE(sys_show_count(), 0);  // windowed, off the view: the system pointer shows
    win_set_mouse_pos(300, 200);
    gfx_cursor_draw();
    EXPECT_LT(sys_show_count(), 0);
    gfx_cursor_restore();
    EXPECT_EQ(std::memcmp(before.data(), g_back_dib, SCREEN_DIB_SIZE), 0);
}

}  // namespace
