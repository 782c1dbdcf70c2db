// Message scripts and faces: section lookup by id, the line kinds, windows
// and faces, click waits, and scripts or files that are broken or missing.
#include "story/message.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/draw.h"
#include "platform/menu.h"
#include "tactics/units.h"
#include "tests/fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t BG = 2;      // the background picture's colour
constexpr uint8_t FACE_L = 3;  // left half of a test face
constexpr uint8_t FACE_R = 5;  // right half

// Window 0's face box at (32, 20), window 1's at (448, 200), 160 x 160.
constexpr int W0_FACE_X = 32, W0_FACE_Y = 20;
constexpr int W1_FACE_X = 448, W1_FACE_Y = 200;

void put16(Bytes& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void put32(Bytes& v, uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

// An 8-bit BMP whose left half is FACE_L and right half FACE_R, with a
// one-pixel key border.
Bytes face_bmp(int w, int h) {
    Bytes f = {'B', 'M'};
    const uint32_t off = 14 + 40 + 1024, size = static_cast<uint32_t>(w * h);
    put32(f, off + size);
    put32(f, 0);
    put32(f, off);
    put32(f, 40);
    put32(f, static_cast<uint32_t>(w));
    put32(f, static_cast<uint32_t>(h));
    put16(f, 1);
    put16(f, 8);
    put32(f, 0);
    put32(f, size);
    put32(f, 0);
    put32(f, 0);
    put32(f, 256);
    put32(f, 16);
    for (int i = 0; i < 256; ++i) {
        const uint8_t v = static_cast<uint8_t>(i < 16 ? i * 0x11 : 0);
        f.insert(f.end(), {v, v, v, 0});
    }
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
            f.push_back(edge ? GFX_KEY_COLOUR : x < w / 2 ? FACE_L : FACE_R);
        }
    return f;
}

class MessageTest : public HeadlessTest {
protected:
    TempDir data;

    void SetUp() override {
        HeadlessTest::SetUp();
        g_chapter = 1;
        g_stage_index = 6;  // stage 7: file stage07.msg
        gfx_load_ui_sheets();
        std::filesystem::create_directories(data.path / "dat");
        std::filesystem::create_directories(data.path / "bmp");
        std::snprintf(g_dat_dir, sizeof g_dat_dir, "%s\\dat\\", data.str().c_str());
        std::snprintf(g_bmp_dir, sizeof g_bmp_dir, "%s\\bmp\\", data.str().c_str());
        std::memset(gfx_dib_pixels(g_background_dib), BG, SCREEN_IMAGE_SIZE);
        gfx_restore_screen();
        sys_log_clear();
    }
    void TearDown() override {
        gfx_free_ui_sheets();
        HeadlessTest::TearDown();
    }

    void write(const std::filesystem::path& path, const Bytes& bytes) {
        FILE* f = std::fopen(path.string().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    // A script file of NUL-terminated lines.
    void script(const std::string& name, const std::vector<std::string>& lines) {
        Bytes b;
        for (const auto& l : lines) {
            b.insert(b.end(), l.begin(), l.end());
            b.push_back(0);
        }
        write(data.path / "dat" / name, b);
    }
    void face(const std::string& code, int w = 160, int h = 160) {
        write(data.path / "bmp" / ("face" + code + ".BMP"), face_bmp(w, h));
    }

    static uint8_t px(int x, int y) { return *gfx_screen_pixel(g_back_dib, x, y); }
    static bool back_equals_background() {
        return std::memcmp(gfx_dib_pixels(g_back_dib), gfx_dib_pixels(g_background_dib), SCREEN_IMAGE_SIZE) == 0;
    }
    static Bytes back_copy() {
        const uint8_t* p = gfx_dib_pixels(g_back_dib);
        return Bytes(p, p + SCREEN_IMAGE_SIZE);
    }
    // Pixels of the back image in the rectangle that differ from the background colour.
    static int drawn_in(int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += px(x, y) != BG;
        return n;
    }
    static bool same_rect(const Bytes& a, const Bytes& b, int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const size_t i = static_cast<size_t>(SCREEN_H - 1 - y) * SCREEN_W + x;
                if (a[i] != b[i]) return false;
            }
        return true;
    }
    static int boxes(const std::string& text) {
        int n = 0;
        for (const auto& l : sys_log_lines()) n += l.find("msgbox |" + text) == 0;
        return n;
    }
    static int all_boxes() {
        int n = 0;
        for (const auto& l : sys_log_lines()) n += l.rfind("msgbox |", 0) == 0;
        return n;
    }
    // Left clicks every second from now on, more than any test needs.
    void clicks(int n, uint32_t first = 1000, uint32_t step = 1000) {
        for (int i = 0; i < n; ++i) at(first + step * i, HeadlessKind::Click, 300, 200);
    }
};

// --- ends of a section --------------------------------------------------------------

TEST_F(MessageTest, EndLinesRestoreOrKeepThePicture) {
    script("stage07.msg", {"#0", ">.", "&첫 줄", "e",    //
                           "#1", ">.", "&둘째 줄", "a",  //
                           "#2", ">.", "ex", "ae", "e"});
    // "e": the whole picture comes back from the background image.
    txt_show_message(48);
    EXPECT_TRUE(back_equals_background());

    // "a": the window and its text stay on the screen.
    txt_show_message(49);
    EXPECT_GT(drawn_in(48, 240, 592, 340), 1000);  // window 1's frame and text
    EXPECT_EQ(drawn_in(0, 0, 640, 40), 0);

    // "ex" and "ae" are text lines: the section goes on to its "e".
    gfx_restore_screen();
    txt_show_message(50);
    EXPECT_TRUE(back_equals_background());
    EXPECT_EQ(all_boxes(), 0);
}

TEST_F(MessageTest, SectionWithoutEndStopsAtTheEndOfTheFile) {
    // No "e" or "a" and no terminator after the last line.
    Bytes b;
    for (std::string l : {"#0", ">.", "&끝이 없는 구역"}) {
        b.insert(b.end(), l.begin(), l.end());
        b.push_back(0);
    }
    b.insert(b.end(), {'k', 'u'});  // a last line cut off by the end of the file
    write(data.path / "dat" / "stage07.msg", b);
    txt_show_message(48);
    EXPECT_TRUE(back_equals_background());  // ends as with "e"

    // A header as the file's last two bytes has no lines at all.
    write(data.path / "dat" / "stage07.msg", Bytes{'#', '0'});
    txt_show_message(48);
    EXPECT_TRUE(back_equals_background());
    EXPECT_EQ(all_boxes(), 0);
}

// --- windows ----------------------------------------------------------------------------

TEST_F(MessageTest, BareWindowLineDrawsNoFrame) {
    script("stage07.msg", {"#0", ">", "a",  //
                           "#1", "<", "a",  //
                           "#2", "<.", "a"});
    txt_show_message(48);
    txt_show_message(49);
    EXPECT_TRUE(back_equals_background());
    // With something after it the window draws its frame.
    txt_show_message(50);
    EXPECT_GT(drawn_in(48, 60, 592, 160), 1000);
}

TEST_F(MessageTest, BareWindowLineMovesTheText) {
    script("stage07.msg", {"#0", "<", "ku가나다라", "a", "#1", ">", "가나다라", "a"});
    txt_show_message(48);
    // Window 0 writes from column 26 of its first row (y 60).
    EXPECT_GT(drawn_in(208, 60, 280, 80), 0);
    EXPECT_EQ(drawn_in(0, 80, 640, 416), 0);
    gfx_restore_screen();
    txt_show_message(49);
    // Window 1: column 6; the empty rest of the header line took row 12, so
    // the line without a prefix is on row 13.
    EXPECT_GT(drawn_in(48, 260, 120, 280), 0);
    EXPECT_EQ(drawn_in(0, 0, 640, 260), 0);
}

TEST_F(MessageTest, PagePrefixErasesOnlyItsWindow) {
    const std::string long_text = "가나다라마바사아자차카타파하가나다라마바사";
    script("stage07.msg", {"#0", "<.",        "ku" + long_text,
                           ">.", "sh아래 창", "a",  //
                           "#1", "<.",        "ku" + long_text,
                           ">.", "sh아래 창", "<",
                           "ku", "a",  //
                           "#2", "<.",        "ku",
                           ">.", "sh아래 창", "a"});
    txt_show_message(48);
    const Bytes both = back_copy();
    gfx_restore_screen();
    txt_show_message(49);
    const Bytes erased = back_copy();
    gfx_restore_screen();
    txt_show_message(50);
    const Bytes short_page = back_copy();

    // The new page of window 0 took away its long line...
    EXPECT_FALSE(same_rect(both, erased, 208, 60, 640, 80));
    EXPECT_TRUE(same_rect(short_page, erased, 0, 0, 640, 200));
    // ...and window 1 kept its text.
    EXPECT_TRUE(same_rect(both, erased, 0, 200, 640, 416));
}

TEST_F(MessageTest, TextRowsStayInsideTheWindow) {
    // Seven lines on one page: the frame holds five rows.
    script("stage07.msg", {"#0", ">.", "ku일", "이", "삼", "사", "오", "육", "칠", "a",  //
                           "#1", ">.", "ku일", "이", "삼", "사", "오", "a"});
    txt_show_message(48);
    const Bytes seven = back_copy();
    gfx_restore_screen();
    txt_show_message(49);
    EXPECT_TRUE(same_rect(seven, back_copy(), 0, 0, 640, 416));
}

// --- faces -------------------------------------------------------------------------------

TEST_F(MessageTest, UpperWindowMirrorsFacesUnlessFlagged) {
    face("01");                                                                   // face 1: mirrored in window 0
    face("02");                                                                   // face 2: flagged, drawn as it is
    face("a0");                                                                   // face 100: flagged
    face("a1");                                                                   // face 101: mirrored
    script("stage07.msg", {"#0", "<01", "a", "#1", "<02", "a", "#2", ">01", "a",  //
                           "#3", "<a0", "a", "#4", "<a1", "a"});
    struct Case {
        int id, x, y;
        uint8_t left;
    };
    const Case cases[] = {
        {48, W0_FACE_X, W0_FACE_Y, FACE_R},  // mirrored: the right half shows at the left
        {49, W0_FACE_X, W0_FACE_Y, FACE_L}, {50, W1_FACE_X, W1_FACE_Y, FACE_L},  // window 1 never mirrors
        {51, W0_FACE_X, W0_FACE_Y, FACE_L}, {52, W0_FACE_X, W0_FACE_Y, FACE_R},
    };
    for (const Case& c : cases) {
        gfx_restore_screen();
        txt_show_message(c.id);
        EXPECT_EQ(px(c.x + 10, c.y + 80), c.left) << "section " << c.id;
        EXPECT_EQ(px(c.x + 150, c.y + 80), c.left == FACE_L ? FACE_R : FACE_L) << "section " << c.id;
    }
    EXPECT_EQ(all_boxes(), 0);
}

TEST_F(MessageTest, DotFaceErasesTheOldFace) {
    face("01");
    script("stage07.msg", {"#0", ">01", ">.", "a", "#1", ">.", "a"});
    txt_show_message(48);
    const Bytes erased = back_copy();
    gfx_restore_screen();
    txt_show_message(49);
    EXPECT_TRUE(same_rect(erased, back_copy(), W1_FACE_X, W1_FACE_Y, W1_FACE_X + 160, W1_FACE_Y + 160));
    EXPECT_NE(px(W1_FACE_X + 10, W1_FACE_Y + 80), FACE_L);
}

TEST_F(MessageTest, StarFaceTakesTheUnitOfItsWindow) {
    face("10");  // character 2's face
    face("00");  // character 1's face
    UnitRecord two{}, one{};
    two.stats.char_id = 2;
    one.stats.char_id = 1;
    script("stage07.msg", {"#0", "<*", ">*", "a"});

    txt_show_message(48, {&two, &one});
    EXPECT_EQ(px(W0_FACE_X + 10, W0_FACE_Y + 80), FACE_R);  // window 0: argument 0, mirrored
    EXPECT_EQ(px(W1_FACE_X + 10, W1_FACE_Y + 80), FACE_L);  // window 1: argument 1
    EXPECT_EQ(all_boxes(), 0);

    // Missing, null or text arguments show no face and nothing breaks.
    for (auto run :
         {+[](const UnitRecord*) { txt_show_message(48); }, +[](const UnitRecord* u) { txt_show_message(48, {u}); },
          +[](const UnitRecord*) {
              txt_show_message(48, {nullptr, "글"});
          },
          +[](const UnitRecord*) {
              txt_show_message(48, {"글", "글"});
          }}) {
        gfx_restore_screen();
        run(&two);
        EXPECT_NE(px(W1_FACE_X + 10, W1_FACE_Y + 80), FACE_L);
        EXPECT_NE(px(W1_FACE_X + 10, W1_FACE_Y + 80), FACE_R);
    }
    EXPECT_EQ(all_boxes(), 0);
}

TEST_F(MessageTest, MissingFaceIsSkippedAndASmallOneIsDrawn) {
    face("07", 100, 120);  // smaller than the face box
    script("stage07.msg", {"#0", ">06", "ku얼굴 없음", "a", "#1", ">07", "a"});
    txt_show_message(48);
    EXPECT_EQ(boxes("Memory Error"), 1);
    EXPECT_EQ(all_boxes(), 1);                  // no loader box, and no shut-down
    EXPECT_GT(drawn_in(48, 240, 120, 260), 0);  // the window and its text are drawn
    const Bytes no_face = back_copy();

    // A face smaller than the box is drawn as it is, from the box's corner.
    gfx_restore_screen();
    txt_show_message(49);
    EXPECT_EQ(boxes("Memory Error"), 1);
    EXPECT_EQ(px(W1_FACE_X + 10, W1_FACE_Y + 60), FACE_L);
    EXPECT_EQ(px(W1_FACE_X + 90, W1_FACE_Y + 60), FACE_R);
    EXPECT_TRUE(same_rect(no_face, back_copy(), W1_FACE_X + 100, W1_FACE_Y, W1_FACE_X + 160, W1_FACE_Y + 160));
    EXPECT_NE(txt_load_face("07"), nullptr);

    // The game goes on: a later wait does not meet a quit.
    win_wait_units(2);
    EXPECT_EQ(txt_load_face(""), nullptr);
    EXPECT_EQ(boxes("Memory Error"), 2);
    face("08", 168, 164);
    EXPECT_NE(txt_load_face("08"), nullptr);
}

// --- arguments and prefixes ---------------------------------------------------------

TEST_F(MessageTest, ArgumentsByNumberAndKind) {
    script("stage07.msg", {"#0", ">.", ".1", "a", "#1", ">.", "/2말", "a"});
    UnitRecord unit{};
    unit.stats.char_id = 1;
    // ".1" writes argument 1 in colour 9 at column 6 of row 12.
    txt_show_message(48, {nullptr, "이름"});
    EXPECT_GT(std::count(g_back_dib + SCREEN_HEADER_SIZE, g_back_dib + SCREEN_DIB_SIZE, 9), 0);
    const Bytes with_name = back_copy();

    // Beyond the list, null, or a unit where a text belongs: nothing is written.
    gfx_restore_screen();
    txt_show_message(48);
    const Bytes empty = back_copy();
    EXPECT_FALSE(same_rect(with_name, empty, 48, 240, 200, 260));
    for (auto run : {+[](UnitRecord*) { txt_show_message(48, {"이름"}); },
                     +[](UnitRecord* u) {
                         txt_show_message(48, {u, u});
                     },
                     +[](UnitRecord*) {
                         txt_show_message(48, {nullptr, nullptr});
                     }}) {
        gfx_restore_screen();
        run(&unit);
        EXPECT_TRUE(same_rect(empty, back_copy(), 0, 0, 640, 416));
    }
    // "/2": the name of argument 2 before the quote at column + 12; a unit
    // there writes no name, the quote still follows.
    gfx_restore_screen();
    txt_show_message(49);
    const Bytes no_name = back_copy();
    EXPECT_GT(drawn_in(144, 240, 160, 260), 0);
    gfx_restore_screen();
    txt_show_message(49, {nullptr, nullptr, "이름"});
    EXPECT_FALSE(same_rect(no_name, back_copy(), 48, 240, 96, 260));
    gfx_restore_screen();
    txt_show_message(49, {nullptr, nullptr, &unit});
    EXPECT_TRUE(same_rect(no_name, back_copy(), 0, 0, 640, 416));
}

TEST_F(MessageTest, SpeakerCodes) {
    EXPECT_EQ(txt_speaker_code("ku안녕"), 1);
    EXPECT_EQ(txt_speaker_code("sl"), 29);
    EXPECT_EQ(txt_speaker_code("**"), 10);
    EXPECT_EQ(txt_speaker_code("xx"), 0);
    EXPECT_EQ(txt_speaker_code("k"), 0);
    EXPECT_EQ(txt_speaker_code(""), 0);

    // A known code draws its name; an unknown one or entry 10 only the quote.
    script("stage07.msg", {"#0", ">.", "ku말", "a", "#1", ">.", "zz말", "a", "#2", ">.", "**말", "a"});
    txt_show_message(48);
    EXPECT_GT(drawn_in(50, 240, 96, 260), 0);
    for (int id : {49, 50}) {
        gfx_restore_screen();
        txt_show_message(id);
        const Bytes b = back_copy();
        gfx_restore_screen();
        txt_show_message(48);
        EXPECT_FALSE(same_rect(b, back_copy(), 48, 240, 96, 260)) << id;
        EXPECT_TRUE(same_rect(b, back_copy(), 96, 240, 200, 260)) << id;  // quote and text as before
    }
}

// --- click waits -------------------------------------------------------------------------

TEST_F(MessageTest, ClickWaitsAsTheSectionAsks) {
    script("stage07.msg", {"#0", ">.", "kuk첫째", "k둘째", "셋째", "&K넷째", "e",  //
                           "#1", ">.", "ku첫째", "둘째", "e"});
    clicks(6);
    const uint32_t start = sys_headless_clock();
    txt_show_message(48);
    // Three waits: the call ends with the third click, at 3 s.
    const uint32_t took = sys_headless_clock() - start;
    EXPECT_GE(took, 3000u);
    EXPECT_LT(took, 4000u);

    // No 'k': no wait at all.
    const uint32_t before = sys_headless_clock();
    txt_show_message(49);
    EXPECT_LT(sys_headless_clock() - before, 500u);
}

TEST_F(MessageTest, RightClickAlsoEndsAWait) {
    script("stage07.msg", {"#0", ">.", "kuk첫째", "e"});
    at(700, HeadlessKind::RClick, 300, 200);
    clicks(1, 5000);
    const uint32_t start = sys_headless_clock();
    txt_show_message(48);
    EXPECT_LT(sys_headless_clock() - start, 2000u);
}

TEST_F(MessageTest, CursorIsHiddenWhileShownAndComesBack) {
    script("stage07.msg", {"#0", ">.", "ku말", "e"});
    g_cursor_visible = 1;
    txt_show_message(48);
    EXPECT_EQ(g_cursor_visible, 1);
    g_cursor_visible = 0;
    txt_show_message(48);
    EXPECT_EQ(g_cursor_visible, 0);
    // Also after a file that cannot be read.
    g_cursor_visible = 1;
    g_stage_index = 20;
    txt_show_message(48);
    EXPECT_EQ(g_cursor_visible, 1);
}

// --- files and sections ------------------------------------------------------------------

TEST_F(MessageTest, IdsChooseFileAndSection) {
    // Window 0 for the wrong choice, window 1 for the right one.
    script("stage07.msg", {"#a", ">.", "a", "#X", "<.", "a"});
    script("stage08.msg", {"#a", "<.", "a"});
    script("stage52.msg", {"#a", "<.", "a", "#W", "<.", "a", "#X", ">.", "a"});
    script("stage51.msg", {"#X", "<.", "a"});

    auto only_window1 = [] { return drawn_in(48, 240, 592, 340) > 1000 && drawn_in(0, 0, 640, 200) == 0; };
    txt_show_message(97);  // stage 7's own file, section 'a'
    EXPECT_TRUE(only_window1());
    gfx_restore_screen();
    txt_show_message(600);  // file 52, section 600 % 256 = 'X'
    EXPECT_TRUE(only_window1());
    gfx_restore_screen();
    g_stage_index = 7;
    txt_show_message(97);  // the same id on stage 8 means stage 8's text
    EXPECT_GT(drawn_in(48, 60, 592, 160), 1000);
    EXPECT_EQ(all_boxes(), 0);
}

TEST_F(MessageTest, SectionSearchAndHeadersInside) {
    // A '#' inside text counts as a header; "#b" inside a section is skipped.
    script("stage07.msg", {"x#c", "<.", "a", "#c", "e", "#b", ">.", "#c", "a"});
    txt_show_message(99);  // found after "x": window 0
    EXPECT_GT(drawn_in(48, 60, 592, 160), 1000);
    gfx_restore_screen();
    txt_show_message(98);  // the "#c" line inside does not end it
    EXPECT_GT(drawn_in(48, 240, 592, 340), 1000);
    gfx_restore_screen();
    txt_show_message(100);  // 'd' is in no header: nothing
    EXPECT_TRUE(back_equals_background());
    EXPECT_EQ(all_boxes(), 0);
}

TEST_F(MessageTest, MissingFileShowsItsBoxAndPlayGoesOn) {
    g_stage_index = 20;  // no stage21.msg
    txt_show_message(48);
    EXPECT_EQ(boxes("Memory Error"), 1);
    EXPECT_EQ(all_boxes(), 2);  // the loader's box, then "Memory Error"
    EXPECT_TRUE(back_equals_background());

    // Ids that name no file.
    sys_log_clear();
    txt_show_message(-1);
    txt_show_message(2560);
    g_stage_index = -5;
    txt_show_message(48);
    EXPECT_EQ(boxes("Memory Error"), 3);
    EXPECT_TRUE(back_equals_background());

    // Play goes on: the next message shows.
    g_stage_index = 6;
    script("stage07.msg", {"#0", ">.", "a"});
    txt_show_message(48);
    EXPECT_GT(drawn_in(48, 240, 592, 340), 1000);
}

TEST_F(MessageTest, BadScriptsDoNotBreakTheCall) {
    const std::string overlong(300, 'x');
    std::string korean_overlong;
    for (int i = 0; i < 150; ++i) korean_overlong += "가";
    // clang-format off
    script("stage07.msg", {"#0", ">.", overlong, "ku" + korean_overlong, overlong + "e", "a",  //
                           "#1", "%", "ku창이 없는 줄", "+", "a",                             //
                           "#2", ".", "/", "<", "<1", ">*", "/9", ".5", "a"});
    // clang-format on
    txt_show_message(48);
    EXPECT_GT(drawn_in(48, 240, 592, 340), 1000);  // the window and its text
    gfx_restore_screen();
    txt_show_message(49);  // text after '%' before any window; then a clear
    EXPECT_EQ(std::count(gfx_dib_pixels(g_back_dib), gfx_dib_pixels(g_back_dib) + SCREEN_IMAGE_SIZE, 0),
              static_cast<long>(SCREEN_IMAGE_SIZE));
    gfx_restore_screen();
    txt_show_message(50, {"하나"});
    EXPECT_EQ(boxes("Memory Error"), 0);  // "<1" is no face code
}

// --- the kit's scripts and pictures ---------------------------------------------------------

class MessageKitTest : public HeadlessTest {};

// The sections of a script file: header byte -> whether it reaches its end line.
std::vector<int> kit_sections(const std::string& path, bool* all_ended) {
    Bytes b;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF) b.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
    }
    std::vector<std::string> lines;
    std::string cur;
    for (uint8_t c : b) {
        if (c == 0) {
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += static_cast<char>(c);
        }
    }
    std::vector<int> ids;
    *all_ended = true;
    bool open = false;
    for (const auto& l : lines) {
        if (l.size() == 2 && l[0] == '#') {
            if (open) *all_ended = false;
            ids.push_back(static_cast<uint8_t>(l[1]));
            open = true;
        } else if (l == "e" || l == "a") {
            open = false;
        }
    }
    if (open) *all_ended = false;
    return ids;
}

TEST_F(MessageKitTest, ScriptsHoldEverySectionTheGameShows) {
    const std::string dat = std::string(ROWEN_KIT_DIR) + "/dat/";
    auto has = [](const std::vector<int>& ids, int id) {
        return std::find(ids.begin(), ids.end(), id & 0xFF) != ids.end();
    };
    for (int stage = 1; stage <= 40; ++stage) {
        char name[32];
        std::snprintf(name, sizeof name, "stage%02d.msg", stage);
        bool ended = false;
        const auto ids = kit_sections(dat + name, &ended);
        EXPECT_TRUE(ended) << name;
        for (int id : {48, 57, 64, 65, 80, 97, 111, 120, 122}) EXPECT_TRUE(has(ids, id)) << name << " " << id;
    }
    bool ended = false;
    const auto items = kit_sections(dat + "stage51.msg", &ended);
    EXPECT_TRUE(ended);
    for (int item = 0; item < 107; ++item) EXPECT_TRUE(has(items, item < 62 ? 321 + item : 360 + item)) << item;
    const auto shared = kit_sections(dat + "stage52.msg", &ended);
    EXPECT_TRUE(ended);
    for (int id : {567, 568, 569, 576, 577, 605, 609, 610, 611}) EXPECT_TRUE(has(shared, id)) << id;
}

TEST_F(MessageKitTest, FacesAndScreensLoad) {
    for (int ch = 0; ch < CHAR_IDS; ++ch) {
        for (int cls : {0, 2}) {
            UnitStats s{};
            s.char_id = static_cast<int16_t>(ch);
            s.class_id = static_cast<int16_t>(cls);
            const char* code = unit_face_code(&s);
            if (!code) continue;
            const HeapBlock face = txt_load_face(code);
            ASSERT_NE(face, nullptr) << code;
            int32_t w = 0, h = 0;
            EXPECT_NE(gfx_picture_bits(face.get(), &w, &h), nullptr);
            EXPECT_EQ(w, 160);
            EXPECT_EQ(h, 160);
        }
    }
    for (const char* name : {"a:gameover.gem", "a:back1.gem"}) {
        uint8_t* p = file_load_data(name);
        ASSERT_NE(p, nullptr) << name;
        int32_t w = 0, h = 0;
        gfx_picture_bits(p, &w, &h);
        EXPECT_EQ(w, std::string(name) == "a:back1.gem" ? 608 : 640);
        EXPECT_GE(h, 384);
        std::free(p);
    }
    EXPECT_EQ(sys_log_lines().size(), 0u);
}

TEST_F(MessageKitTest, KitScenesPlayWithoutErrors) {
    g_chapter = 1;
    gfx_load_ui_sheets();
    sys_log_clear();
    for (int i = 0; i < 40; ++i) at(500 + 500 * i, HeadlessKind::Click, 300, 200);
    const uint32_t start = sys_headless_clock();
    UnitRecord unit{};
    unit.stats.char_id = 1;
    g_stage_index = 6;
    txt_show_message(64);  // clear conditions
    txt_show_message(48, {"???"});
    txt_show_message(321 + 5, {"약초"});
    txt_show_message(567, {&unit, &unit});
    g_stage_index = 39;
    txt_show_message(75, {"쿠시나", "1", "2", "3", "4", "5", "6", "7", "8", "9"});
    for (const auto& l : sys_log_lines()) EXPECT_NE(l.rfind("msgbox", 0), 0u) << l;
    // Five click waits: one for the clear conditions, one for stage 7's
    // section 48, three for the ending's last section.
    const uint32_t took = sys_headless_clock() - start;
    EXPECT_GE(took, 2500u);
    EXPECT_LT(took, 3000u);
    gfx_free_ui_sheets();
}

}  // namespace
