// Window and menu toolkit: saved rectangles at the image's edges, the
// prompt's layout, choices, cancel and restore, the mouse loop's hover and
// click rules, the list menu's placement at the screen edges, and the
// interface sheets.
#include "platform/menu.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/sound.h"
#include "platform/text.h"
#include "tests/fixture.h"
#include "tests/picture.h"

namespace {

constexpr uint8_t BG = 253;
// Window chip n is drawn in colour CHIP + n, its menu variant in MENU_CHIP + n.
constexpr uint8_t CHIP = 20;
constexpr uint8_t MENU_CHIP = 40;

using Image = std::vector<uint8_t>;

Image back_pixels() { return Image(gfx_dib_pixels(g_back_dib), gfx_dib_pixels(g_back_dib) + SCREEN_IMAGE_SIZE); }
uint8_t px(int x, int y) { return *gfx_screen_pixel(g_back_dib, x, y); }
uint8_t px(const Image& img, int x, int y) { return img[static_cast<size_t>(SCREEN_H - 1 - y) * SCREEN_W + x]; }

// A window chip sheet like "a:winchip.gem": 96 x 60, 8 x 20 chips, each
// filled with one colour that tells the chip.
std::vector<uint8_t> make_chip_sheet() {
    return make_picture(96, 60, 0, [](int x, int line) {
        const int c = x / 8, r = line / 20;
        return static_cast<uint8_t>(c < 6 ? CHIP + r * 6 + c : MENU_CHIP + r * 6 + c - 6);
    });
}

class MenuTest : public HeadlessTest {
protected:
    std::vector<uint8_t> chips = make_chip_sheet();
    std::vector<Image> shots;
    std::vector<int> shot_chip_set;
    std::vector<std::pair<int, int>> shot_mouse;

    void SetUp() override {
        options.on_shot = [this](const std::string&) {
            shots.push_back(back_pixels());
            shot_chip_set.push_back(g_menu_chip_set);
            int x, y;
            win_get_mouse_pos(&x, &y);
            shot_mouse.emplace_back(x, y);
        };
        HeadlessTest::SetUp();
        snd_reset();
        menu_reset();
        txt_font_reset();  // the kit's font
        std::memset(gfx_dib_pixels(g_back_dib), BG, SCREEN_IMAGE_SIZE);
        g_sheet_winchip = chips.data();
        sys_log_clear();
    }
    void TearDown() override {
        g_sheet_winchip = nullptr;
        menu_reset();
        txt_font_reset();
        HeadlessTest::TearDown();
    }
    // Events in view coordinates (the test window shows the view 48 lines down).
    void click(uint32_t delay, int x, int y) { at(delay, HeadlessKind::Click, x, y + 48); }
    void rclick(uint32_t delay, int x, int y) { at(delay, HeadlessKind::RClick, x, y + 48); }
    void move(uint32_t delay, int x, int y) { at(delay, HeadlessKind::Move, x, y + 48); }
    void shot(uint32_t delay) { at(delay, HeadlessKind::Shot); }
    // The top left of the menu-variant frame in a shot: its first chip-0 pixel.
    static std::pair<int, int> frame_corner(const Image& img) {
        for (int y = 0; y < SCREEN_H; ++y)
            for (int x = 0; x < SCREEN_W; ++x)
                if (px(img, x, y) == MENU_CHIP) return {x, y};
        return {-1, -1};
    }
};

TEST_F(MenuTest, SavedRectsClipToTheImage) {
    // Over the top left corner: only the 24 x 20 part inside is kept.
    SavedRect* s = gfx_save_rect(-2, -10, 5, 30);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->x, 0);
    EXPECT_EQ(s->y, 0);
    EXPECT_EQ(s->w, 24);
    EXPECT_EQ(s->h, 20);
    // Over the bottom right corner.
    SavedRect* t = gfx_save_rect(78, 400, 4, 30);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->x, 624);
    EXPECT_EQ(t->y, 400);
    EXPECT_EQ(t->w, 16);
    EXPECT_EQ(t->h, 16);
    // Wholly outside: nothing kept, nothing put back.
    SavedRect* u = gfx_save_rect(90, 500, 3, 3);
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(static_cast<int64_t>(u->w) * u->h, 0);

    std::memset(gfx_dib_pixels(g_back_dib), 7, SCREEN_IMAGE_SIZE);
    gfx_restore_rect(0, 0, s);  // a flag of 0 or more puts nothing back
    EXPECT_EQ(px(0, 0), 7);
    gfx_restore_rect(-1, 0, s);  // put back, still owned
    EXPECT_EQ(px(0, 0), BG);
    EXPECT_EQ(px(23, 19), BG);
    EXPECT_EQ(px(24, 19), 7);
    EXPECT_EQ(px(23, 20), 7);
    gfx_restore_rect_free(s);
    gfx_restore_rect_free(t);
    gfx_restore_rect_free(u);
    gfx_restore_rect_free(nullptr);
    gfx_restore_rect(-1, 0, nullptr);
    EXPECT_EQ(px(624, 400), BG);
    EXPECT_EQ(px(639, 415), BG);
    EXPECT_EQ(px(623, 415), 7);
    // Everything else keeps the 7 it was given.
    int changed = 0;
    Image now = back_pixels();
    for (size_t i = 0; i < now.size(); ++i) changed += now[i] != 7;
    EXPECT_EQ(changed, 24 * 20 + 16 * 16);
}

TEST_F(MenuTest, PromptLayoutOfTwoChoices) {
    // " 예 " is 4 columns and " 아니오 " 8: the text is 12 columns wide,
    // centred at column 34 on row 9.
    SavedRect* saved = menu_prompt_keep(-1, -1, "{ 예 }{ 아니오 }");
    ASSERT_NE(saved, nullptr);
    Image shown = back_pixels();

    // The frame: columns 32..47, lines 160..219, chips by line.
    const int first[3] = {0, 6, 12};
    for (int line = 0; line < 3; ++line) {
        const int y = 160 + line * 20;
        EXPECT_EQ(px(shown, 32 * 8, y), CHIP + first[line]);
        EXPECT_EQ(px(shown, 33 * 8, y), CHIP + first[line] + 1);
        for (int c = 0; c < 12; ++c) EXPECT_EQ(px(shown, (34 + c) * 8, y), CHIP + first[line] + 2 + c % 2) << c;
        EXPECT_EQ(px(shown, 46 * 8, y), CHIP + first[line] + 4);
        EXPECT_EQ(px(shown, 47 * 8, y + 19), CHIP + first[line] + 5);
    }
    for (int y = 150; y < 230; ++y) {
        EXPECT_EQ(px(shown, 32 * 8 - 1, y), BG);
        EXPECT_EQ(px(shown, 48 * 8, y), BG);
    }
    for (int x = 250; x < 400; ++x) {
        EXPECT_EQ(px(shown, x, 159), BG);
        EXPECT_EQ(px(shown, x, 220), BG);
    }

    // The text is the braces-free text at column 34, row 9.
    gfx_restore_rect_free(saved);
    EXPECT_EQ(back_pixels(), Image(SCREEN_IMAGE_SIZE, BG));
    menu_draw_window(34, 9, 12, 1);
    txt_draw_string(34, 9, " 예  아니오 ", 15);
    EXPECT_EQ(back_pixels(), shown);
    std::memset(gfx_dib_pixels(g_back_dib), BG, SCREEN_IMAGE_SIZE);

    // The choices: columns 34..37 and 38..45 of lines 180..199. Clicks just
    // outside them are ignored.
    click(20, 271, 190);
    click(40, 272, 179);
    click(60, 272, 200);
    click(80, 303, 199);
    EXPECT_EQ(menu_prompt(-1, -1, "{ 예 }{ 아니오 }", 0), 0);
    click(20, 368, 190);
    click(40, 304, 180);
    EXPECT_EQ(menu_prompt(-1, -1, "{ 예 }{ 아니오 }", 0), 1);
    click(20, 367, 199);
    EXPECT_EQ(menu_prompt(-1, -1, "{ 예 }{ 아니오 }", 0), 1);
    EXPECT_EQ(effect_plays(SFX_CLICK), 3);
}

TEST_F(MenuTest, PromptCancelDefaultAndRestore) {
    // A back image and window chips with colours 8 and 11, where the hover
    // pattern works.
    std::fill(chips.begin() + 1064, chips.end(), 11);
    for (size_t i = 0; i < SCREEN_IMAGE_SIZE; ++i) gfx_dib_pixels(g_back_dib)[i] = static_cast<uint8_t>(i % 3 ? 11 : 8);
    win_set_mouse_pos(100, 300);
    const Image before = back_pixels();

    // The pointer goes to the default choice; a right click cancels with the
    // click sound; the image and the pointer are as they were.
    shot(100);
    rclick(150, 500, 300);
    EXPECT_EQ(menu_prompt(-1, 9, "저장하겠습니까? { 예 }{ 아니오 }", 1), -1);
    EXPECT_EQ(effect_plays(SFX_CLICK), 1);
    EXPECT_EQ(back_pixels(), before);
    int x, y;
    win_get_mouse_pos(&x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 300);
    ASSERT_EQ(shot_mouse.size(), 1u);
    // "저장하겠습니까? " is 16 columns, the text 28: column 26; " 아니오 "
    // spans columns 46..53.
    EXPECT_EQ(shot_mouse[0], std::make_pair((46 * 8 + 54 * 8 - 1) / 2, (180 + 199) / 2));
    // The hovered choice shows the dark highlight (11 turned to 8 on a
    // checkerboard), the other choice does not.
    const Image& open = shots[0];
    int hover_46 = 0, hover_42 = 0;
    for (int k = 0; k < 20; ++k)
        for (int i = 0; i < 8; ++i) {
            hover_46 += px(open, 46 * 8 + i, 180 + k) == 8;
            hover_42 += px(open, 42 * 8 + i, 180 + k) == 8;
        }
    EXPECT_GT(hover_46, 0);
    EXPECT_EQ(hover_42, 0);

    // With the sound-effect setting off nothing is played.
    g_sfx_enabled = 0;
    click(30, 380, 190);
    EXPECT_EQ(menu_prompt(-1, 9, "저장하겠습니까? { 예 }{ 아니오 }", 1), 1);
    EXPECT_EQ(effect_plays(SFX_CLICK), 1);
    EXPECT_EQ(back_pixels(), before);
}

TEST_F(MenuTest, PromptTextBoundsAndForms) {
    // An unmatched "{" runs to the end of the text: " 아니오" is columns 38..44.
    click(20, 360, 190);
    click(40, 359, 190);
    EXPECT_EQ(menu_prompt(-1, -1, "{ 예 }{ 아니오", 0), 1);

    // Text past the prompt's buffer is cut: the braces after it make no
    // choice, so the prompt waits for any click (a right one gives 0, where
    // a choice prompt would give -1).
    std::string longer(120, 'A');
    longer += "{ 예 }";
    rclick(50, 300, 300);
    EXPECT_EQ(menu_prompt(2, 9, longer.c_str(), 0), 0);
    EXPECT_EQ(back_pixels(), Image(SCREEN_IMAGE_SIZE, BG));

    // The first 103 bytes are kept, the 104th is not; a double-byte
    // character is kept whole or not at all. "/g" takes no room, so the
    // width, and with it the centred window, shows what was kept.
    std::string pairs;
    for (int i = 0; i < 51; ++i) pairs += "/g";
    struct Edge {
        std::string text;
        int width;
    } edges[] = {{pairs + "AB", 1}, {pairs + "가", 0}, {pairs.substr(2) + "가", 2}};
    for (const Edge& e : edges) {
        SavedRect* s = menu_prompt_keep(-1, 9, e.text.c_str());
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->x, ((80 - e.width) / 2 - 2) * 8) << e.text.size();
        EXPECT_EQ(s->w, (e.width + 5) * 8) << e.text.size();
        gfx_restore_rect_free(s);
    }

    // "*" shows the window and returns at once, leaving it on the screen.
    const uint32_t t0 = sys_headless_clock();
    EXPECT_EQ(menu_prompt(-1, -1, "*턴1：쿠시나일행의 행동", 0), 0);
    EXPECT_EQ(sys_headless_clock(), t0);
    EXPECT_NE(back_pixels(), Image(SCREEN_IMAGE_SIZE, BG));
}

// Hover callbacks of the test table, in call order.
std::vector<std::pair<int, int>> g_calls;
void record_a(int32_t selected, const HitRect*) { g_calls.emplace_back(0, selected); }
void record_b(int32_t selected, const HitRect*) { g_calls.emplace_back(1, selected); }
void record_c(int32_t selected, const HitRect*) { g_calls.emplace_back(2, selected); }

TEST_F(MenuTest, MouseLoopHoverAndClicks) {
    g_calls.clear();
    menu_clear_hit_rects();
    menu_set_hit_rect(0, 100, 100, 50, 20, record_a);  // 100..149 x 100..119
    menu_set_hit_rect(1, 100, 120, 50, 20, record_b);  // 100..149 x 120..139
    menu_set_hit_rect(2, 100, 100, 50, 40, record_c);  // under both: never found first
    menu_set_hit_rect(3, 200, 200, 10, 10, record_c);
    menu_set_hit_rect(100, 0, 0, 640, 416, record_c);  // no such entry: ignored
    g_hit_rects[3].id = HIT_RECT_FREE;                 // a free entry is never hit

    win_set_mouse_pos(300, 300);
    move(20, 120, 110);     // enter entry 0
    move(40, 120, 125);     // over to entry 1
    click(60, 205, 205);    // the free entry: ignored, entry 1 left
    click(80, 300, 300);    // outside every entry: ignored
    rclick(100, 300, 310);  // cancel not allowed: ignored
    click(120, 149, 139);   // entry 1's last pixel
    EXPECT_EQ(menu_run(0, nullptr, 4), 1);
    const std::vector<std::pair<int, int>> want = {{0, 1}, {0, 0}, {1, 1}, {1, 0}, {1, 1}, {1, 0}};
    EXPECT_EQ(g_calls, want);
    EXPECT_EQ(effect_plays(SFX_CLICK), 1);
    EXPECT_EQ(g_cursor_visible, 0);  // as it was before the loop

    // With cancel allowed a right click leaves with -1 and the click sound;
    // the hovered entry is told it was left.
    g_calls.clear();
    win_cursor_flag_on();
    win_set_mouse_pos(300, 300);
    move(20, 120, 105);
    rclick(40, 500, 10);
    EXPECT_EQ(menu_run(1, nullptr, 2), -1);
    const std::vector<std::pair<int, int>> want2 = {{0, 1}, {0, 0}};
    EXPECT_EQ(g_calls, want2);
    EXPECT_EQ(effect_plays(SFX_CLICK), 2);
    EXPECT_EQ(g_cursor_visible, 1);
}

TEST_F(MenuTest, ListMenuPlacementAtTheEdges) {
    const char* ten[] = {"0123456789", "abcdefghij", "ABCDEFGHIJ", nullptr};
    // Column 70 with items 10 bytes long moves to column 63 (frame at 61);
    // row 5 stays.
    shot(30);
    click(50, 503, 100);  // left of the items: ignored
    click(70, 504, 100);
    EXPECT_EQ(menu_list_select(70, 5, ten, -1, 1), 0);
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(frame_corner(shots[0]), std::make_pair(61 * 8, 80));
    EXPECT_EQ(shot_chip_set[0], 1);
    EXPECT_EQ(g_menu_chip_set, 0);
    EXPECT_EQ(back_pixels(), Image(SCREEN_IMAGE_SIZE, BG));

    // Row 21 or more: row 19 - n. Row 17: its bottom would reach row 19, so
    // row 18 - n. Column and row below 4 and 1 are raised to them. -1 centres.
    struct Case {
        int col, row, x, y;
    } cases[] = {{10, 25, 10, 16}, {10, 17, 10, 15}, {0, 0, 4, 1}, {-1, -1, 35, 8}};
    for (const Case& c : cases) {
        shots.clear();
        shot(30);
        click(50, c.x * 8 + 79, c.y * 20 + 59);  // the last pixel of item 2
        EXPECT_EQ(menu_list_select(c.col, c.row, ten, -1, 0), 2) << c.col << "," << c.row;
        ASSERT_EQ(shots.size(), 1u);
        EXPECT_EQ(frame_corner(shots[0]), std::make_pair((c.x - 2) * 8, (c.y - 1) * 20)) << c.col << "," << c.row;
    }
    EXPECT_EQ(back_pixels(), Image(SCREEN_IMAGE_SIZE, BG));
}

TEST_F(MenuTest, ListMenuStaysOnTheScreen) {
    // 19 items 75 bytes wide cannot fit: the menu starts at column 4, row 1
    // instead of above and left of the image.
    std::vector<std::string> texts(19, std::string(75, 'W'));
    std::vector<const char*> list;
    for (const auto& t : texts) list.push_back(t.c_str());
    list.push_back(nullptr);
    shot(30);
    click(50, 32, 20);
    EXPECT_EQ(menu_list_select(-1, -1, list.data(), -1, 0), 0);
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(frame_corner(shots[0]), std::make_pair(16, 0));
    EXPECT_EQ(back_pixels(), Image(SCREEN_IMAGE_SIZE, BG));

    // The start item brings the pointer to its centre; right click cancels.
    const char* three[] = {" 턴 종료 ", " 확대맵 ", " 축소맵 ", nullptr};
    shot_mouse.clear();
    shot(30);
    rclick(50, 0, 0);
    EXPECT_EQ(menu_list_select(20, 5, three, 2, 1), -1);
    ASSERT_EQ(shot_mouse.size(), 1u);
    EXPECT_EQ(shot_mouse[0], std::make_pair((20 * 8 + 29 * 8 - 1) / 2, (7 * 20 + 8 * 20 - 1) / 2));
    EXPECT_EQ(effect_plays(SFX_CLICK), 2);
    // An empty list has nothing to choose and returns at once.
    const char* none[] = {nullptr};
    EXPECT_EQ(menu_list_select(-1, -1, none, -1, 0), -1);
}

TEST_F(MenuTest, UiSheetsLoadFromTheKit) {
    g_sheet_winchip = nullptr;
    std::memset(gfx_dib_pixels(g_background_dib), 3, SCREEN_IMAGE_SIZE);
    gfx_load_ui_sheets();
    ASSERT_NE(g_sheet_winchip, nullptr);
    ASSERT_NE(g_sheet_cursor, nullptr);
    ASSERT_NE(g_sheet_icons, nullptr);
    DibInfoHeader h;
    std::memcpy(&h, g_sheet_winchip, sizeof h);
    EXPECT_EQ(h.width, 96);
    EXPECT_EQ(h.height, 60);
    EXPECT_EQ(back_pixels(), Image(SCREEN_IMAGE_SIZE, 3));  // the screen restored
    gfx_free_ui_sheets();
    EXPECT_EQ(g_sheet_icons, nullptr);

    // Missing sheets: a memory box for each.
    TempDir empty;
    std::snprintf(g_bmp_dir, sizeof g_bmp_dir, "%s\\", empty.str().c_str());
    sys_log_clear();
    gfx_load_ui_sheets();
    EXPECT_EQ(g_sheet_winchip, nullptr);
    int boxes = 0;
    for (const auto& l : sys_log_lines()) boxes += l == "msgbox |Memory Error";
    EXPECT_EQ(boxes, 3);
}

}  // namespace
