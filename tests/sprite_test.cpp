// Parts sprite composer: frame numbers, placement and the view scroll, part
// and whole-sprite mirroring, the wrap and the battle band, the flat colour,
// part numbers past the sheet, and damaged files and sheets.
#include "platform/sprite.h"

#include <cstring>
#include <vector>

#include "tests/fixture.h"
#include "tests/picture.h"

namespace {

constexpr uint8_t BG = TEST_BACK_FILL;

// Sheet pixel value at (x, line): tells the position it came from; one
// pixel of every part, (3, 4), is the key.
uint8_t sheet_value(int x, int line) {
    if (x % 16 == 3 && line % 16 == 4) return 14;
    const uint8_t v = static_cast<uint8_t>((x * 7 + line * 13 + (x / 16) * 29) % 250 + 1);
    return v == 14 ? 251 : v;
}

// A parts sheet as file_load_data gives it, in a block of exactly its size.
std::vector<uint8_t> make_sheet(int w, int h) { return make_picture(w, h, 0, sheet_value); }

struct Part {
    int cx, cy, number;
    bool mirror_x = false, mirror_y = false;
};
struct Frame {
    int hw, hh;
    std::vector<Part> parts;
};

// A sprite file of the given frames, in a block of exactly its size.
std::vector<uint8_t> make_spz(const std::vector<Frame>& frames) {
    std::vector<uint8_t> f(32 + 2 * frames.size(), 0xEE);
    for (size_t i = 0; i < frames.size(); ++i) {
        const size_t at = f.size();
        f[32 + 2 * i] = static_cast<uint8_t>(at);
        f[33 + 2 * i] = static_cast<uint8_t>(at >> 8);
        const Frame& fr = frames[i];
        f.push_back(static_cast<uint8_t>(fr.parts.size()));
        f.push_back(static_cast<uint8_t>(fr.hw));
        f.push_back(static_cast<uint8_t>(fr.hh));
        for (const Part& p : fr.parts) {
            f.push_back(static_cast<uint8_t>(p.cx | (p.mirror_x ? 0x40 : 0) | (p.mirror_y ? 0x80 : 0)));
            f.push_back(static_cast<uint8_t>((p.cy << 2) | (p.number >> 8)));
            f.push_back(static_cast<uint8_t>(p.number & 255));
        }
    }
    return std::vector<uint8_t>(f.begin(), f.end());
}

class SpriteTest : public BackImageTest {
protected:
    std::vector<uint8_t> sheet = make_sheet(640, 32);  // parts 0..79

    void SetUp() override {
        BackImageTest::SetUp();
        g_btl_view_scroll = 0;
        g_flat_colour = 0;
    }
    void TearDown() override {
        g_btl_view_scroll = 0;
        BackImageTest::TearDown();
    }
    static int changed() {
        int n = 0;
        for (size_t i = 0; i < SCREEN_IMAGE_SIZE; ++i) n += gfx_dib_pixels(g_back_dib)[i] != BG;
        return n;
    }
    void draw(int x, int y, int frame, int flags, const std::vector<uint8_t>& file) {
        gfx_draw_sprite_frame(x, y, frame, flags, sheet.data(), file.data(), static_cast<uint32_t>(file.size()));
    }
    // Part p (of a 640-wide sheet) drawn at (x, top), mirrored as given,
    // flat in `flat` when it is not negative; its key pixel left alone.
    static void expect_part(int x, int top, int p, bool fx, bool fy, int flat = -1, int lines = 16) {
        const int sl = (p % 40) * 16, st = (p / 40) * 16;
        for (int k = 0; k < lines; ++k)
            for (int i = 0; i < 16; ++i) {
                const uint8_t v = sheet_value(sl + (fx ? 15 - i : i), st + (fy ? 15 - k : k));
                const uint8_t want = v == 14 ? BG : flat >= 0 ? static_cast<uint8_t>(flat) : v;
                ASSERT_EQ(px(x + i, top + k), want) << "part " << p << " at " << i << "," << k;
            }
    }
};

TEST_F(SpriteTest, FrameNumbersPlacementAndScroll) {
    // Two frames of a sprite 4 cells wide and 2 high.
    const auto file = make_spz({{2, 1, {{0, 0, 5}}}, {2, 1, {{3, 1, 41}}}});
    draw(10, 100, 2, 0, file);  // the frame count: nothing
    draw(10, 100, -1, 0, file);
    EXPECT_EQ(changed(), 0);

    // Cell (0, 0) of a sprite centred at cell 10, line 100: x (0 - 2 + 10) x 16,
    // top line 100 + (0 - 1) x 16.
    draw(10, 100, 0, 0, file);
    expect_part(128, 84, 5, false, false);
    EXPECT_EQ(changed(), 255);
    // Cell (3, 1), with the view scrolled 4 columns (2 cells) to the right.
    g_btl_view_scroll = 4;
    draw(10, 100, 1, 0, file);
    expect_part((3 - 2 + 8) * 16, 100, 41, false, false);
    EXPECT_EQ(changed(), 2 * 255);
}

TEST_F(SpriteTest, PartAndWholeSpriteMirroring) {
    // A 6 x 4 cell sprite: part 7 at (1, 0) with its pixels mirrored left to
    // right, part 9 at (4, 3) mirrored top to bottom, part 12 at (2, 2) plain.
    const auto file = make_spz({{3, 2, {{1, 0, 7, true, false}, {4, 3, 9, false, true}, {2, 2, 12}}}});
    draw(20, 150, 0, 0, file);
    expect_part((1 - 3 + 20) * 16, 150 - 32, 7, true, false);
    expect_part((4 - 3 + 20) * 16, 150 + 16, 9, false, true);
    expect_part((2 - 3 + 20) * 16, 150, 12, false, false);

    // Mirrored left to right: cell x 2 hw - 1 - cx, the part's own mirror undone.
    std::memset(gfx_dib_pixels(g_back_dib), BG, SCREEN_IMAGE_SIZE);
    draw(20, 150, 0, 1, file);
    expect_part((4 - 3 + 20) * 16, 150 - 32, 7, false, false);
    expect_part((1 - 3 + 20) * 16, 150 + 16, 9, true, true);
    expect_part((3 - 3 + 20) * 16, 150, 12, true, false);

    // Mirrored top to bottom: cell y 2 hh - 1 - cy.
    std::memset(gfx_dib_pixels(g_back_dib), BG, SCREEN_IMAGE_SIZE);
    draw(20, 150, 0, 2, file);
    expect_part((1 - 3 + 20) * 16, 150 + 16, 7, true, true);
    expect_part((4 - 3 + 20) * 16, 150 - 32, 9, false, false);
    expect_part((2 - 3 + 20) * 16, 150 - 16, 12, false, true);
    EXPECT_EQ(changed(), 3 * 255);
}

TEST_F(SpriteTest, WrapAndBandClipping) {
    // hw 0, hh 0: each part's cell x is cx + cell x and its top line y + cy x 16.
    const auto left = make_spz({{0, 0, {{0, 0, 1}}}});
    draw(-1, 100, 0, 0, left);  // cell -1 wraps to 127: x 2032, skipped
    draw(39, 100, 0, 0, left);  // x 624: the last column that is drawn
    EXPECT_EQ(changed(), 255);
    expect_part(624, 100, 1, false, false);
    draw(40, 100, 0, 0, left);   // x 640: skipped
    draw(167, 140, 0, 0, left);  // cell 167 wraps to 39
    EXPECT_EQ(changed(), 2 * 255);
    expect_part(624, 140, 1, false, false);

    // Top lines 32 and 271 are drawn; 31 and 272 are skipped whole, though
    // most of the part would fit.
    std::memset(gfx_dib_pixels(g_back_dib), BG, SCREEN_IMAGE_SIZE);
    draw(2, 31, 0, 0, left);
    draw(4, 272, 0, 0, left);
    EXPECT_EQ(changed(), 0);
    draw(2, 32, 0, 0, left);
    draw(4, 271, 0, 0, left);
    expect_part(32, 32, 1, false, false);
    expect_part(64, 271, 1, false, false);
    EXPECT_EQ(changed(), 2 * 255);
    // Far-off centres do not overflow into a drawn position.
    draw(INT32_MAX / 2, INT32_MAX - 8, 0, 0, left);
    draw(0, INT32_MIN + 8, 0, 0, left);
    EXPECT_EQ(changed(), 2 * 255);
}

TEST_F(SpriteTest, FlatColourAndPartNumbers) {
    // 15 x 256 + 1: mirrored left to right, flat in colour 15.
    const auto file = make_spz({{1, 1, {{0, 0, 3}, {1, 1, 79}}}});
    draw(10, 100, 0, 15 * 256 + 1, file);
    EXPECT_EQ(g_flat_colour, 15);
    expect_part((1 - 1 + 10) * 16, 84, 3, true, false, 15);
    expect_part((0 - 1 + 10) * 16, 100, 79, true, false, 15);
    EXPECT_EQ(changed(), 2 * 255);

    // Part numbers at or past the sheet's 80 parts draw part 0.
    std::memset(gfx_dib_pixels(g_back_dib), BG, SCREEN_IMAGE_SIZE);
    const auto past = make_spz({{0, 0, {{0, 0, 80}, {2, 0, 1023}, {4, 0, 79}}}});
    draw(2, 100, 0, 0, past);
    expect_part(32, 100, 0, false, false);
    expect_part(64, 100, 0, false, false);
    expect_part(96, 100, 79, false, false);
}

TEST_F(SpriteTest, DamagedFilesAndSheets) {
    const auto good = make_spz({{0, 0, {{0, 0, 2}, {2, 0, 3}}}, {0, 0, {{4, 0, 4}}}});
    auto drawn = [&](const std::vector<uint8_t>& f, int frame) {
        std::memset(gfx_dib_pixels(g_back_dib), BG, SCREEN_IMAGE_SIZE);
        draw(2, 100, frame, 0, f);
        return changed();
    };
    EXPECT_EQ(drawn(good, 0), 2 * 255);
    EXPECT_EQ(drawn(good, 1), 255);

    // Shorter than its header and first offset.
    EXPECT_EQ(drawn(std::vector<uint8_t>(good.begin(), good.begin() + 33), 0), 0);
    // A first offset past the end of the file: the offset table is not there.
    auto table = good;
    table[32] = 0xFF;
    table[33] = 0x7F;
    EXPECT_EQ(drawn(table, 0), 0);
    EXPECT_EQ(drawn(table, 1), 0);
    EXPECT_EQ(drawn(table, 20), 0);
    // A first offset below the table: no frames.
    auto low = good;
    low[32] = 2;
    low[33] = 0;
    EXPECT_EQ(drawn(low, 0), 0);
    // A frame whose offset lies past the end is skipped; the other draws.
    auto frame = good;
    frame[34] = 0xF0;
    frame[35] = 0xFF;
    EXPECT_EQ(drawn(frame, 1), 0);
    EXPECT_EQ(drawn(frame, 0), 2 * 255);
    // A part count larger than the file holds: the whole parts draw, the
    // cut part does not.
    auto cut = make_spz({{0, 0, {{0, 0, 2}, {2, 0, 3}}}});
    cut[34] = 200;
    cut.pop_back();
    cut = std::vector<uint8_t>(cut.begin(), cut.end());
    EXPECT_EQ(drawn(cut, 0), 255);
    expect_part(32, 100, 2, false, false);
    // No file, no sheet.
    std::memset(gfx_dib_pixels(g_back_dib), BG, SCREEN_IMAGE_SIZE);
    gfx_draw_sprite_frame(2, 100, 0, 0, sheet.data(), nullptr, 100);
    gfx_draw_sprite_frame(2, 100, 0, 0, nullptr, good.data(), static_cast<uint32_t>(good.size()));
    EXPECT_EQ(changed(), 0);

    // A sheet of 8 lines: no whole tile row, so every part is part 0, of
    // which only the 8 lines that exist are read.
    sheet = make_sheet(640, 8);
    EXPECT_EQ(drawn(good, 0), 2 * (8 * 16 - 1));
    expect_part(32, 100, 0, false, false, -1, 8);
    EXPECT_EQ(px(32, 108), BG);
    // Mirrored top to bottom (cell y -1: top line 84) they land on the
    // part's lower half.
    std::memset(gfx_dib_pixels(g_back_dib), BG, SCREEN_IMAGE_SIZE);
    draw(2, 100, 0, 2, good);
    EXPECT_EQ(px(32, 91), BG);
    EXPECT_EQ(px(32, 99), sheet_value(0, 0));
    EXPECT_EQ(px(32, 92), sheet_value(0, 7));
    EXPECT_EQ(px(32, 100), BG);
    // A sheet narrower than 640: columns outside it draw nothing.
    // Part 2 has 8 of its columns on the sheet, part 3 none.
    sheet = make_sheet(40, 16);
    const auto wide = make_spz({{0, 0, {{0, 0, 2}, {4, 0, 3}}}});
    EXPECT_EQ(drawn(wide, 0), 8 * 16 - 1);
    EXPECT_EQ(px(32, 100), sheet_value(32, 0));
    EXPECT_EQ(px(39, 115), sheet_value(39, 15));
    EXPECT_EQ(px(40, 100), BG);
}

}  // namespace
