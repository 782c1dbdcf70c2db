// The sample data kit: the files the platform layer reads exist and have the
// fields and sizes the readers rely on.
#include "tools/kit.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "battle/battle.h"
#include "story/hooks.h"
#include "story/message.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/turn.h"
#include "tactics/units.h"
#include "tests/chapter_fixture.h"
#include "tools/kit_goals.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A file of the kit, or of the marked kit (marks drawn on the pictures).
Bytes slurp(const std::string& rel, const char* kit = ROWEN_KIT_DIR) {
    Bytes b;
    FILE* f = std::fopen((std::string(kit) + "/" + rel).c_str(), "rb");
    if (!f) return b;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) b.insert(b.end(), buf, buf + n);
    std::fclose(f);
    return b;
}

uint32_t u16(const Bytes& b, size_t at) { return at + 2 <= b.size() ? b[at] | (b[at + 1] << 8) : 0; }
uint32_t u32(const Bytes& b, size_t at) { return u16(b, at) | (u16(b, at + 2) << 16); }
uint32_t be32(const Bytes& b, size_t at) {
    return at + 4 <= b.size() ? (uint32_t(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3] : 0;
}

struct Bmp {
    int w = 0, h = 0;
    Bytes px;                 // top line first
    uint8_t rgb[16][3] = {};  // the first 16 colours: red, green, blue
    int at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
    // The contrast ratio of two of its colours (1 = the same lightness, 21 =
    // black and white), from their relative luminance.
    double contrast(int a, int b) const {
        auto lum = [&](int c) {
            double l = 0;
            const double weight[3] = {0.2126, 0.7152, 0.0722};
            for (int k = 0; k < 3; ++k) {
                const double v = rgb[c][k] / 255.0;
                l += weight[k] * (v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
            }
            return l;
        };
        const double la = lum(a), lb = lum(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    }
};

// The header fields the picture reader checks, and the kit's colour rule.
::testing::AssertionResult parse_bmp(const Bytes& f, Bmp* out) {
    if (f.size() < 1078 || f[0] != 'B' || f[1] != 'M') return ::testing::AssertionFailure() << "not a BMP";
    int w = static_cast<int32_t>(u32(f, 18)), h = static_cast<int32_t>(u32(f, 22));
    if (u32(f, 2) != f.size() || u32(f, 10) != 1078 || u32(f, 14) != 40)
        return ::testing::AssertionFailure() << "file size, pixel offset or header size";
    if (w <= 0 || h <= 0 || w % 4 != 0) return ::testing::AssertionFailure() << "size " << w << "x" << h;
    if (u16(f, 26) != 1 || u16(f, 28) != 8 || u32(f, 30) != 0 || u32(f, 46) != 256)
        return ::testing::AssertionFailure() << "planes, depth, compression or colour count";
    if (u32(f, 34) != uint32_t(w * h) || f.size() != 1078 + size_t(w) * h)
        return ::testing::AssertionFailure() << "image size";
    for (int i = 0; i < 16; ++i) {
        const uint8_t* c = &f[54 + 4 * i];
        if (c[0] % 0x11 || c[1] % 0x11 || c[2] % 0x11 || c[3])
            return ::testing::AssertionFailure() << "colour " << i << " is not v x 0x11";
    }
    if (f[54] || f[55] || f[56] || f[54 + 60] != 0xFF || f[55 + 60] != 0xFF || f[56 + 60] != 0xFF)
        return ::testing::AssertionFailure() << "colour 0 must be black and 15 white";
    out->w = w;
    out->h = h;
    for (int i = 0; i < 16; ++i)
        for (int k = 0; k < 3; ++k) out->rgb[i][k] = f[54 + 4 * i + 2 - k];
    out->px.resize(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        std::copy(f.begin() + 1078 + size_t(h - 1 - y) * w, f.begin() + 1078 + size_t(h - y) * w,
                  out->px.begin() + size_t(y) * w);
    return ::testing::AssertionSuccess();
}

// An SZDD expander written from the format's description, counting matches
// and the matches that read never-written (space-filled) ring positions.
struct Szdd {
    Bytes data;
    char missing = 0;
    int matches = 0, initial_matches = 0;
};

bool szdd_expand(const Bytes& f, Szdd* z) {
    static const uint8_t magic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
    if (f.size() < 14 || !std::equal(magic, magic + 8, f.begin()) || f[8] != 'A') return false;
    z->missing = static_cast<char>(f[9]);
    const uint32_t n = u32(f, 10);
    uint8_t ring[4096];
    bool written[4096] = {};
    std::fill(ring, ring + 4096, 0x20);
    int r = 4096 - 16;
    size_t i = 14;
    auto put = [&](uint8_t c) {
        z->data.push_back(c);
        ring[r] = c;
        written[r] = true;
        r = (r + 1) & 4095;
    };
    while (z->data.size() < n && i < f.size()) {
        uint8_t flags = f[i++];
        for (int bit = 0; bit < 8 && z->data.size() < n && i < f.size(); ++bit) {
            if (flags & (1 << bit)) {
                put(f[i++]);
            } else {
                if (i + 2 > f.size()) return false;
                int pos = f[i] | ((f[i + 1] & 0xF0) << 4), len = (f[i + 1] & 0x0F) + 3;
                i += 2;
                ++z->matches;
                bool initial = false;
                for (int k = 0; k < len; ++k) {
                    int p = (pos + k) & 4095;
                    initial = initial || !written[p];
                    put(ring[p]);
                }
                if (initial) ++z->initial_matches;
            }
        }
    }
    return z->data.size() == n && i == f.size();
}

bool glyph_blank(const Bytes& fnt, size_t off, size_t n) {
    for (size_t k = 0; k < n; ++k)
        if (fnt[off + k]) return false;
    return true;
}

size_t dbcs_offset(int lead, int trail) { return static_cast<size_t>((lead - 160) * 96 + (trail - 160)) * 32; }

}  // namespace

TEST(Kit, PresentsPicture) {
    Bmp b;
    ASSERT_TRUE(parse_bmp(slurp("bmp/Presents.bmp"), &b));
    EXPECT_EQ(b.w, 640);
    EXPECT_EQ(b.h, 400);
}

// The window chips: the menu set differs from the plain one wherever there is
// frame, and the frame keeps to the outer six pixels of the side chips, so
// the battle panels' names, terrain and HP bars, which start one column left
// of their window's text area (on the second side chip), keep a margin of
// clear fill, the colour 11 that the dark hover turns into a chequer of 8.
TEST(Kit, WindowChips) {
    Bmp b;
    ASSERT_TRUE(parse_bmp(slurp("bmp/winchip.BMP"), &b));
    ASSERT_EQ(b.w, 96);
    ASSERT_EQ(b.h, 60);
    auto chip = [&](int set, int n, int x, int y) { return b.at(set * 48 + (n % 6) * 8 + x, (n / 6) * 20 + y); };
    for (int set = 0; set < 2; ++set) {
        EXPECT_EQ(chip(set, 0, 0, 0), 14) << "outer corner transparent";
        for (int y = 0; y < 20; ++y)
            for (int x = 6; x < 42; ++x) ASSERT_EQ(b.at(set * 48 + x, 20 + y), 11) << "text line at " << x << "," << y;
    }
    for (int n = 0; n < 18; ++n) {
        if (n >= 7 && n <= 10) continue;  // all fill
        bool differ = false;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 8; ++x) differ = differ || chip(0, n, x, y) != chip(1, n, x, y);
        EXPECT_TRUE(differ) << "menu chip " << n << " looks like the plain one";
    }
}

TEST(Kit, CursorSheet) {
    Bmp b;
    ASSERT_TRUE(parse_bmp(slurp("bmp/mcsrfont.BMP"), &b));
    ASSERT_EQ(b.w, 312);
    ASSERT_EQ(b.h, 24);
    for (int k = 0; k < 13; ++k) {
        int figure = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                if (b.at(24 * k + x, y) != 14) {
                    ++figure;
                    EXPECT_LE(x, 16) << "shape " << k << " reaches past its saved area";
                }
        if (k <= 6)
            EXPECT_GT(figure, 20) << "shape " << k;
        else
            EXPECT_EQ(figure, 0) << "cell " << k;
    }
    const int hot[5][2] = {{0, 0}, {0, 8}, {15, 8}, {8, 0}, {8, 15}};  // the cursor's hot-spot shifts
    for (int k = 0; k < 5; ++k) EXPECT_NE(b.at(24 * k + hot[k][0], hot[k][1]), 14) << "hot spot of shape " << k;
}

// The icons: the first row holds the cursor, the chests and the shop marker
// (0..7); the second the frame marks of kinds 0..6 that the map view draws
// over a unit in one colour (kind k: icon 2k + 16, + 1 at zoom 2). A mark
// keeps to its cell's edge and corners and leaves the middle, where the unit
// stands, untouched; it has a black rim (black stays black when drawn); and
// no two kinds share a shape.
TEST(Kit, IconsAreSzddCompressed) {
    Bytes f = slurp("bmp/iconchip.BMP");
    Szdd z;
    ASSERT_TRUE(szdd_expand(f, &z));
    EXPECT_EQ(z.missing, 'P');
    EXPECT_GT(z.matches, 100);
    EXPECT_GE(z.initial_matches, 1) << "no match reads the space-filled ring";
    EXPECT_LT(f.size(), z.data.size() / 2);
    Bmp b;
    ASSERT_TRUE(parse_bmp(z.data, &b));
    ASSERT_EQ(b.w, 512);
    ASSERT_EQ(b.h, 64);
    auto px = [&](int n, int x, int y) { return b.at((n % 16) * 32 + x, (n / 16) * 32 + y); };
    for (int n = 0; n < 8; ++n) {
        int figure = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) figure += px(n, x, y) != 14;
        EXPECT_GT(figure, 10) << "icon " << n;
    }
    for (int zoom2 = 0; zoom2 < 2; ++zoom2) {
        const int s = zoom2 ? 16 : 32, m0 = s / 4, m1 = s - 1 - s / 4;  // the middle half: the unit
        std::set<Bytes> shapes;
        for (int kind = 0; kind <= 6; ++kind) {
            const int n = 16 + 2 * kind + zoom2;
            Bytes shape;
            int lit = 0, rim = 0;
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x) {
                    const int c = px(n, x, y);
                    shape.push_back(static_cast<uint8_t>(c == 14 ? 0 : c == 0 ? 1 : 2));
                    if (c == 14) continue;
                    ASSERT_TRUE(x < s && y < s) << "icon " << n << " leaves its cell at " << x << "," << y;
                    ASSERT_FALSE(x >= m0 && x <= m1 && y >= m0 && y <= m1)
                        << "icon " << n << " covers the unit at " << x << "," << y;
                    (c == 0 ? rim : lit) += 1;
                }
            EXPECT_GT(lit, s) << "icon " << n;
            EXPECT_GT(rim, s) << "icon " << n << " has no black rim";
            EXPECT_TRUE(shapes.insert(shape).second) << "frame kind " << kind << " looks like another";
        }
    }
}

TEST(Kit, Font) {
    Bytes fnt = slurp("k.fnt");
    ASSERT_EQ(fnt.size(), 131072u);
    EXPECT_FALSE(glyph_blank(fnt, dbcs_offset(0xB0, 0xA1), 32)) << "가";
    EXPECT_FALSE(glyph_blank(fnt, dbcs_offset(0xC8, 0xFE), 32)) << "힝, the last syllable";
    EXPECT_TRUE(glyph_blank(fnt, dbcs_offset(0xAD, 0xA1), 32)) << "an unassigned code";
    EXPECT_TRUE(glyph_blank(fnt, dbcs_offset(0xA1, 0xA1), 32)) << "the full-width space";
    EXPECT_FALSE(glyph_blank(fnt, 'A' * 16, 16));
    EXPECT_TRUE(glyph_blank(fnt, ' ' * 16, 16));
    EXPECT_NE(Bytes(fnt.begin() + dbcs_offset(0xB0, 0xA1), fnt.begin() + dbcs_offset(0xB0, 0xA2)),
              Bytes(fnt.begin() + dbcs_offset(0xB0, 0xA2), fnt.begin() + dbcs_offset(0xB0, 0xA3)));
}

TEST(Kit, Music) {
    std::set<Bytes> distinct;
    for (int i = 0; i < 20; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "midi/kqm%02d.mid", i);
        Bytes f = slurp(name);
        ASSERT_GT(f.size(), 22u) << name;
        ASSERT_EQ(std::string(f.begin(), f.begin() + 4), "MThd") << name;
        EXPECT_EQ(be32(f, 4), 6u);
        EXPECT_EQ((f[8] << 8) | f[9], 0) << "format 0";
        EXPECT_EQ((f[10] << 8) | f[11], 1) << "one track";
        const int division = (f[12] << 8) | f[13];
        ASSERT_GT(division, 0);
        ASSERT_EQ(std::string(f.begin() + 14, f.begin() + 18), "MTrk");
        ASSERT_EQ(be32(f, 18), f.size() - 22) << name;
        // Walk the events: count notes, follow the tempo, find the end.
        size_t p = 22;
        int notes = 0;
        uint8_t status = 0;
        bool ended = false;
        double seconds = 0, us_per_q = 500000;
        auto at = [&](size_t k) -> uint32_t { return k < f.size() ? f[k] : 0; };
        while (p < f.size() && !ended) {
            uint32_t delta = 0, c;
            do {
                c = at(p++);
                delta = (delta << 7) | (c & 0x7F);
            } while ((c & 0x80) && p < f.size());
            seconds += delta * us_per_q / division / 1e6;
            if (at(p) & 0x80) status = static_cast<uint8_t>(at(p++));
            if (status == 0xFF) {
                uint32_t type = at(p), len = at(p + 1);
                if (type == 0x51) us_per_q = (at(p + 2) << 16) | (at(p + 3) << 8) | at(p + 4);
                if (type == 0x2F) ended = true;
                p += 2 + len;
            } else if ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) {
                p += 1;
            } else {
                if ((status & 0xF0) == 0x90 && at(p + 1) > 0) ++notes;
                p += 2;
            }
        }
        EXPECT_TRUE(ended) << name;
        EXPECT_EQ(p, f.size()) << name;
        EXPECT_GE(notes, 8) << name;
        EXPECT_GE(seconds, 2.0) << name;
        EXPECT_LE(seconds, 6.0) << name;
        distinct.insert(f);
    }
    EXPECT_EQ(distinct.size(), 20u);
}

TEST(Kit, Effects) {
    std::set<Bytes> distinct;
    for (int e = 0; e <= 58; ++e) {
        char name[32];
        std::snprintf(name, sizeof name, "wave/kq7e%02d.wav", e);
        Bytes f = slurp(name);
        ASSERT_GE(f.size(), 44u) << name;
        EXPECT_EQ(std::string(f.begin(), f.begin() + 4), "RIFF");
        EXPECT_EQ(u32(f, 4), f.size() - 8);
        EXPECT_EQ(std::string(f.begin() + 8, f.begin() + 16), "WAVEfmt ");
        EXPECT_EQ(u32(f, 16), 16u);
        EXPECT_EQ(u16(f, 20), 1u) << "PCM";
        EXPECT_EQ(u16(f, 22), 1u) << "mono";
        EXPECT_EQ(u32(f, 24), 22050u);
        EXPECT_EQ(u32(f, 28), 44100u);
        EXPECT_EQ(u16(f, 32), 2u);
        EXPECT_EQ(u16(f, 34), 16u);
        EXPECT_EQ(std::string(f.begin() + 36, f.begin() + 40), "data");
        ASSERT_EQ(u32(f, 40), f.size() - 44);
        double seconds = (f.size() - 44) / 2 / 22050.0;
        EXPECT_GE(seconds, 0.049) << name;
        EXPECT_LE(seconds, 0.401) << name;
        int peak = 0;
        for (size_t k = 44; k + 1 < f.size(); k += 2) peak = std::max(peak, std::abs(int(int16_t(u16(f, k)))));
        EXPECT_GT(peak, 10000) << name;
        distinct.insert(f);
    }
    EXPECT_EQ(distinct.size(), 59u);
}

// A picture as stored, or packed in the single-file LZ format.
::testing::AssertionResult read_picture(const std::string& rel, Bmp* out, const char* kit = ROWEN_KIT_DIR) {
    Bytes f = slurp(rel, kit);
    Szdd z;
    if (szdd_expand(f, &z)) f = z.data;
    return parse_bmp(f, out);
}

// The colour digits of a four-stripe code part (rows 1, 5, 9, 13 of its first
// pixel column; read upside down when the part is mirrored top to bottom).
int code_value(const Bmp& b, uint32_t part, bool flipped, int pair) {
    auto digit = [&](int stripe) {
        const int row = 4 * stripe + 1;
        return b.at(int(part % 40) * 16, int(part / 40) * 16 + (flipped ? 15 - row : row));
    };
    return digit(2 * pair) * 10 + digit(2 * pair + 1);
}

// Every sheet the class scripts can load (of the marked kit, whose frames
// carry their codes), with the highest frame their moves and reactions name
// on it: the fighter sheets (variant A: stand, reactions,
// fall and downed frames; classes 4 and 5 also sing on it, class 47
// transforms on it), the move sheets and the common effect sheet 99.
TEST(Kit, BattleSheetsCoverTheirFrames) {
    struct Use {
        int sheet;
        char letter;
        int highest;
    };
    std::vector<Use> uses;
    for (int c = 0; c < 49; ++c) uses.push_back({c, 'A', c == 47 ? 38 : (c == 4 || c == 5) ? 11 : 8});
    const Use moves[] = {
        {0, 'B', 18},  {1, 'B', 23},  {2, 'B', 8},   {3, 'B', 20},  {4, 'B', 9},   {5, 'B', 12},  {6, 'B', 7},
        {7, 'B', 23},  {8, 'B', 12},  {9, 'B', 21},  {10, 'B', 24}, {11, 'B', 31}, {12, 'B', 12}, {13, 'B', 29},
        {14, 'B', 45}, {14, 'C', 19}, {15, 'B', 21}, {16, 'B', 12}, {17, 'B', 15}, {18, 'B', 17}, {19, 'B', 10},
        {19, 'C', 15}, {20, 'B', 12}, {21, 'B', 23}, {22, 'B', 10}, {23, 'B', 12}, {24, 'B', 13}, {25, 'B', 9},
        {26, 'B', 20}, {27, 'B', 8},  {28, 'B', 40}, {29, 'B', 11}, {30, 'B', 19}, {31, 'B', 10}, {32, 'B', 13},
        {33, 'B', 12}, {34, 'B', 7},  {35, 'B', 11}, {36, 'B', 8},  {37, 'B', 10}, {38, 'B', 11}, {39, 'B', 16},
        {40, 'B', 26}, {41, 'B', 4},  {42, 'B', 9},  {43, 'B', 27}, {44, 'B', 11}, {45, 'B', 28}, {46, 'B', 13},
        {46, 'C', 16}, {46, 'D', 21}, {48, 'B', 26}, {48, 'C', 6},  {99, 0, 20},
    };
    uses.insert(uses.end(), std::begin(moves), std::end(moves));
    for (const Use& u : uses) {
        char name[16];
        std::snprintf(name, sizeof name, u.letter ? "CHAR_%02d%c" : "CHAR_%02d", u.sheet, u.letter);
        SCOPED_TRACE(name);
        Bmp b;
        ASSERT_TRUE(read_picture(std::string("bmp/") + name + ".BMP", &b, ROWEN_MARKED_KIT_DIR));
        ASSERT_EQ(b.w, 640);
        ASSERT_EQ(b.h % 16, 0);
        const uint32_t parts = uint32_t(b.h / 16) * 40;
        Bytes s = slurp(std::string("dat/") + name + ".SPZ", ROWEN_MARKED_KIT_DIR);
        ASSERT_GE(s.size(), 34u);
        const uint32_t frames = (u16(s, 32) - 32) / 2;
        ASSERT_GT(frames, uint32_t(u.highest));
        for (uint32_t fr = 0; fr < frames; ++fr) {
            const uint32_t at = u16(s, 32 + 2 * fr);
            ASSERT_LE(at + 3, s.size());
            const uint32_t n = s[at];
            ASSERT_LE(at + 3 + 3 * n, s.size());
            bool labelled = false;
            for (uint32_t k = 0; k < n; ++k) {
                const uint8_t* p = &s[at + 3 + 3 * k];
                const uint32_t part = ((p[1] & 3) << 8) | p[2];
                ASSERT_GT(part, 0u) << "part 0 marks a bad part number";
                ASSERT_LT(part, parts);
                EXPECT_LT(p[0] & 63, 2 * s[at + 1]);
                EXPECT_LT(p[1] >> 2, 2 * s[at + 2]);
                if ((p[0] & 63) == 0 && (p[1] >> 2) == 0) {  // the frame's code
                    labelled = true;
                    EXPECT_EQ(code_value(b, part, p[0] & 0x80, 0), int(fr)) << "frame " << fr;
                    EXPECT_EQ(code_value(b, part, p[0] & 0x80, 1), u.sheet) << "frame " << fr;
                }
            }
            EXPECT_TRUE(labelled) << "frame " << fr;
        }
    }
}

// Every backdrop kind of the marked kit: the tile picture, a grid of exactly
// 2,436 bytes whose tiles all lie on the picture, and the ruler in grid row
// 14 that names each grid column and the kind.
TEST(Kit, BattleBackdrops) {
    for (int k = 0; k < 26; ++k) {
        const std::string name = std::string("BMAP_") + char('A' + k);
        SCOPED_TRACE(name);
        Bmp b;
        ASSERT_TRUE(read_picture("bmp/" + name + ".BMP", &b, ROWEN_MARKED_KIT_DIR));
        ASSERT_EQ(b.w, 640);
        ASSERT_EQ(b.h % 16, 0);
        const Bytes g = slurp("dat/" + name + ".MPZ", ROWEN_MARKED_KIT_DIR);
        ASSERT_EQ(g.size(), 2436u);
        auto tile = [&](int row, int col) { return int16_t(u16(g, 36 + 2 * (row * 80 + col))); };
        for (int r = 0; r < 15; ++r)
            for (int c = 0; c < 80; ++c) {
                ASSERT_GE(tile(r, c), 0);
                ASSERT_LT(tile(r, c), b.h / 16 * 40);
            }
        for (int c = 0; c < 80; ++c) {
            const int t = tile(14, c);
            auto digit = [&](int stripe) { return b.at(t % 40 * 16 + 8, t / 40 * 16 + 4 * stripe + 2); };
            EXPECT_EQ(digit(0) * 10 + digit(1), c);
            EXPECT_EQ(digit(2) * 10 + digit(3), k);
        }
    }
}

// The reveal mask: eight patterns in the first 16 stored rows, each showing
// more of the new picture than the one before, the last all of it.
TEST(Kit, RevealMask) {
    Bmp b;
    ASSERT_TRUE(read_picture("bmp/LMASK.BMP", &b));
    ASSERT_EQ(b.w, 128);
    ASSERT_GE(b.h, 16);
    int last = 0;
    for (int i = 0; i < 8; ++i) {
        int shown = 0;
        for (int row = 0; row < 16; ++row)
            for (int x = 0; x < 16; ++x) shown += b.at(16 * i + x, b.h - 1 - row) != 0;
        EXPECT_GT(shown, last) << "pattern " << i;
        last = shown;
    }
    EXPECT_EQ(last, 256);
}

// The kit writes an empty save index into a folder without one, and never
// touches an index that is there, whatever the case of its name.
TEST(Kit, SaveIndexOnlyWhereNoneExists) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("rowen-kit-" + std::to_string(::getpid()));
    const auto read = [](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    Bytes used(210, 0);
    used[0] = 1;
    used[2] = 7;
    const struct {
        const char* name;  // the index already there, or null
        Bytes content;
    } cases[] = {{nullptr, {}}, {"savekq.idx", used}, {"SAVEKQ.IDX", used}, {"savekq.idx", Bytes(50, 9)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "none");
        fs::remove_all(root);
        fs::create_directories(root);
        if (c.name)
            std::ofstream(root / c.name, std::ios::binary)
                .write(reinterpret_cast<const char*>(c.content.data()), static_cast<std::streamsize>(c.content.size()));
        kit::Kit k;
        k.out = root.string();
        kit::gen_save_index(k);
        size_t files = 0;
        for (const auto& e : fs::directory_iterator(root)) files += e.is_regular_file();
        EXPECT_EQ(files, 1u);
        if (c.name)
            EXPECT_EQ(read(root / c.name), c.content);
        else
            EXPECT_EQ(read(root / "savekq.idx"), Bytes(210, 0));
    }
    fs::remove_all(root);
}

// The backdrop of the list screens, drawn at column 2 (x 16). Every line the
// save and load chooser (15 slots, text rows 3..17), the party list (its
// header on row 2, slots on rows 3..18 as far as the screen shows) and the
// bag screen (rows 3..15, the money line at y 346, the look area) writes sits
// on the one panel, colour 14: its glyphs (lines 2..17 of the text row) and
// a pixel round them cross no border. The title (y 8) and the chooser's
// prompt (row 1, y 20..39) lie above the panel's top edge, clear of every
// border line. The colours written there stand out from the ground under
// them: the prompt's 6 and the title's 15 on the border, and on the panel
// the list's white, the bag header's 8, the party header's 7 and the marks
// and kinds in 6, 9, 10 and 13.
TEST(Kit, ListScreenBackdropHoldsEveryRowOnItsPanel) {
    Bmp b;
    ASSERT_TRUE(read_picture("bmp/back1.BMP", &b));
    ASSERT_EQ(b.w, 608);
    ASSERT_EQ(b.h, 384);
    struct Span {
        const char* what;
        int x0, x1, y0, y1;  // screen pixels, inclusive
    };
    const Span panel[] = {
        {"save slots", 64, 575, 61, 358}, {"party header", 96, 567, 41, 58}, {"party slots", 64, 567, 61, 378},
        {"bag list", 40, 599, 61, 318},   {"bag money", 56, 200, 347, 364},  {"bag look", 32, 607, 240, 371},
    };
    for (const Span& s : panel)
        for (int y = s.y0; y <= s.y1; ++y)
            for (int x = s.x0; x <= s.x1; ++x) ASSERT_EQ(b.at(x - 16, y), 14) << s.what << " at " << x << "," << y;
    std::set<int> border;
    for (int y = 9; y <= 38; ++y)  // the title's and the prompt's glyphs and a line round them
        for (int x = 24; x < 600; ++x) {
            const int c = b.at(x - 16, y);
            ASSERT_NE(c, 14) << "the panel reaches the prompt row at " << x << "," << y;
            ASSERT_NE(c, 13) << "a border line through the prompt row at " << x << "," << y;
            border.insert(c);
        }
    for (int ground : border)
        for (int ink : {6, 15}) EXPECT_GE(b.contrast(ink, ground), 4.5) << "colour " << ink << " on " << ground;
    for (int ink : {6, 7, 8, 9, 10, 13, 15}) EXPECT_GE(b.contrast(ink, 14), 4.0) << "colour " << ink << " on the panel";
}

// --- the plain kit: a game, not a test card ------------------------------------------------

// No battle frame draws anything in its label row (the frame and sheet codes
// of the marked kit, also over the shadows), and every backdrop row repeats
// every ten grid columns: no ruler, no column names.
TEST(Kit, PlainBattlePicturesCarryNoMarks) {
    int sheets = 0;
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(ROWEN_KIT_DIR) / "dat")) {
        const std::string name = e.path().filename().string();
        if (name.rfind("CHAR_", 0) != 0) continue;
        SCOPED_TRACE(name);
        ++sheets;
        const Bytes s = slurp("dat/" + name);
        ASSERT_GE(s.size(), 34u);
        for (uint32_t fr = 0; fr < (u16(s, 32) - 32) / 2; ++fr) {
            const uint32_t at = u16(s, 32 + 2 * fr);
            ASSERT_LE(at + 3 + 3 * s[at], s.size());
            for (uint32_t k = 0; k < s[at]; ++k) ASSERT_GT(s[at + 3 + 3 * k + 1] >> 2, 0) << "frame " << fr;
        }
    }
    EXPECT_GE(sheets, 100);
    for (int k = 0; k < 26; ++k) {
        SCOPED_TRACE(std::string("BMAP_") + char('A' + k));
        const Bytes g = slurp(std::string("dat/BMAP_") + char('A' + k) + ".MPZ");
        ASSERT_EQ(g.size(), 2436u);
        for (int r = 0; r < 15; ++r)
            for (int c = 0; c + 10 < 80; ++c)
                ASSERT_EQ(u16(g, 36 + 2 * (r * 80 + c)), u16(g, 36 + 2 * (r * 80 + c + 10))) << r << "," << c;
    }
}

// Map tiles look like their terrain, not like their numbers: a tile set has
// one picture per terrain class it uses, and the goal flag. A unit's map
// figure is its class's walk-sheet figure facing down, and its greyed form
// is grey.
TEST(Kit, PlainMapPicturesShowTerrainAndFigures) {
    auto cell = [](const Bmp& b, int x0, int y0) {
        std::vector<uint8_t> px;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) px.push_back(static_cast<uint8_t>(b.at(x0 + x, y0 + y)));
        return px;
    };
    for (int set = 0; set < 8; ++set) {
        SCOPED_TRACE("tile set " + std::to_string(set));
        Bmp b;
        ASSERT_TRUE(read_picture(std::string("bmp/map_") + char('a' + set) + ".BMP", &b));
        std::set<std::vector<uint8_t>> pictures;
        std::set<uint32_t> classes;
        for (int t = 0; t < 120; ++t) {
            pictures.insert(cell(b, t % 20 * 32, t / 20 * 32));
            classes.insert(g_tileset_terrain[static_cast<size_t>(set)][static_cast<size_t>(t)]);
        }
        EXPECT_LE(pictures.size(), classes.size() + 1);
    }
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE("unit sheet " + std::to_string(k));
        Bmp sheet;
        ASSERT_TRUE(read_picture("bmp/mapchar" + std::to_string(k) + ".BMP", &sheet));
        const int16_t* list = g_sprite_class_lists[static_cast<size_t>(k + 1)].data();
        for (int p = 0; list[p] >= 0; ++p) {
            char name[32];
            std::snprintf(name, sizeof name, "bmp/walk%02d.BMP", list[p]);
            Bmp walk;
            ASSERT_TRUE(read_picture(name, &walk));
            EXPECT_EQ(cell(sheet, p % 20 * 32, p / 20 * 32), cell(walk, 0, 32)) << "frame " << p;
            for (uint8_t c : cell(sheet, (p + 40) % 20 * 32, (p + 40) / 20 * 32))
                ASSERT_TRUE(c == 14 || c == 0 || c == 3 || c == 12 || c == 13)
                    << "greyed frame " << p + 40 << ": " << int(c);
        }
    }
}

// The window frame and the cursors carry no numbers: the frame's edge chips
// repeat and mirror one another, and the arrows are mirror images.
TEST(Kit, PlainWindowChipsAndCursorsCarryNoNumbers) {
    Bmp chips, cursors;
    ASSERT_TRUE(read_picture("bmp/winchip.BMP", &chips));
    ASSERT_TRUE(read_picture("bmp/mcsrfont.BMP", &cursors));
    for (int set = 0; set < 2; ++set)
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 8; ++x) {
                auto chip = [&](int n, int cx) { return chips.at(set * 48 + (n % 6) * 8 + cx, (n / 6) * 20 + y); };
                for (int n : {3, 15}) ASSERT_EQ(chip(n, x), chip(n - 1, x)) << "chip " << n;
                ASSERT_EQ(chip(6, x), chip(11, 7 - x)) << "the side chips";
            }
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            auto px = [&](int k, int cx, int cy) {
                return cx >= 0 && cy >= 0 && cx < 16 && cy < 16 ? cursors.at(24 * k + cx, cy) : 14;
            };
            ASSERT_EQ(px(1, x, y), px(2, 15 - x, y)) << x << "," << y;
            ASSERT_EQ(px(3, x, y), px(4, x, 15 - y)) << x << "," << y;
            if (x >= 16 || y >= 16) {
                ASSERT_EQ(cursors.at(24 * 1 + x, y), 14);
                ASSERT_EQ(cursors.at(24 * 3 + x, y), 14);
            }
        }
}

// --- faces and speakers of the message windows ---------------------------------------

namespace {

// The lines of a script file.
std::vector<std::string> script_lines(const Bytes& file) {
    std::vector<std::string> lines(1);
    for (uint8_t c : file) {
        if (c)
            lines.back() += static_cast<char>(c);
        else
            lines.emplace_back();
    }
    lines.pop_back();
    return lines;
}

class KitFaceTest : public HeadlessTest {
protected:
    TempDir scripts;
    // Shows section 48 of a stage file that holds `lines` on a back image
    // of TEST_BACK_FILL (a colour no kit picture holds) and returns what
    // the screen shows at its end (the section keeps the picture).
    Bytes show(const std::vector<std::string>& lines) {
        Bytes file = {'#', '0', 0};
        for (const std::string& l : lines) {
            file.insert(file.end(), l.begin(), l.end());
            file.push_back(0);
        }
        std::ofstream(scripts.path / "stage01.msg", std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        std::memset(gfx_dib_pixels(g_background_dib), TEST_BACK_FILL, SCREEN_IMAGE_SIZE);
        gfx_restore_screen();
        g_stage_index = 0;
        txt_show_message(48);
        const uint8_t* px = gfx_dib_pixels(g_back_dib);
        return Bytes(px, px + SCREEN_IMAGE_SIZE);
    }
};

}  // namespace

// Every face of the kit, shown by the message reader in the upper window
// (mirrored, unless the face is one the window shows as it is) and in the
// lower one, covers only the windows' fill: nothing of it lies on a frame's
// band or outside the frames, over the map.
TEST_F(KitFaceTest, FacesStayInsideTheirWindows) {
    std::snprintf(g_dat_dir, sizeof g_dat_dir, "%s\\", scripts.str().c_str());
    gfx_load_ui_sheets();
    const Bytes frames = show({"<.", ">.", "a"});
    const uint8_t fill = frames[static_cast<size_t>(SCREEN_H - 1 - 280) * SCREEN_W + 300];  // the lower text area
    ASSERT_NE(fill, TEST_BACK_FILL);
    int faces = 0;
    for (char a : std::string("0123456789WXYZabcdefghij"))
        for (char b = '0'; b <= '9'; ++b) {
            const std::string code{a, b};
            const Bytes shown = show({"<" + code, ">" + code, "a"});
            int drawn[2] = {0, 0}, outside = 0, first_x = -1, first_y = -1;
            for (int y = 0; y < SCREEN_H; ++y)
                for (int x = 0; x < SCREEN_W; ++x) {
                    const size_t i = static_cast<size_t>(SCREEN_H - 1 - y) * SCREEN_W + x;
                    if (shown[i] == frames[i]) continue;
                    ++drawn[y < 200 ? 0 : 1];
                    if (frames[i] != fill && outside++ == 0) first_x = x, first_y = y;
                }
            EXPECT_EQ(outside, 0) << "face " << code << " leaves its window's fill at " << first_x << "," << first_y;
            EXPECT_GT(drawn[0], 1000) << "face " << code << " in the upper window";
            EXPECT_GT(drawn[1], 1000) << "face " << code << " in the lower window";
            ++faces;
        }
    EXPECT_EQ(faces, 240);
    gfx_free_ui_sheets();
}

// In the kit's scripts a character who speaks beside a face is named, by
// the speaker code of the character whose face it is, in both windows.
TEST(Kit, ScriptsNameWhoSpeaksBesideAFace) {
    int named = 0;
    for (int file = 1; file <= 52; ++file) {
        if (file > 40 && file < 51) continue;
        char name[32];
        std::snprintf(name, sizeof name, "dat/stage%02d.msg", file);
        SCOPED_TRACE(name);
        std::string face[2];  // the face code each window shows, "*" a unit's
        int window = 1;
        for (const std::string& l : script_lines(slurp(name))) {
            if (l == "e" || l == "a" || l[0] == '%') face[0] = face[1] = "";  // a section's end, the windows closed
            if (l == "e" || l == "a" || l[0] == '%' || l[0] == '#') continue;
            if (l[0] == '<' || l[0] == '>') {
                window = l[0] == '<' ? 0 : 1;
                if (l.size() >= 2) face[window] = l[1] == '.' ? "" : l.substr(1, 2);
                continue;
            }
            const std::string& shown = face[window];
            const bool pair = l.size() >= 2 && std::islower(static_cast<unsigned char>(l[0])) &&
                              std::islower(static_cast<unsigned char>(l[1]));
            const bool page = pair || (l.size() >= 2 && l[0] == l[1] && (l[0] == '*' || l[0] == '@'));
            if (!page || shown.size() != 2) continue;
            SCOPED_TRACE(l);
            const int speaker = txt_speaker_code(l.c_str());
            ASSERT_TRUE(speaker > 0 && speaker != CHAR_GENERIC) << "no name beside face " << shown;
            UnitStats s{};
            s.char_id = static_cast<int16_t>(speaker);
            const char* own = unit_face_code(&s);
            ASSERT_NE(own, nullptr);
            EXPECT_EQ(std::string(own), shown) << "window " << window;
            ++named;
        }
    }
    EXPECT_GT(named, 100);
}

// --- what the maps and the stage unit file hold ----------------------------------------

// Every unit definition of the stage unit file holds a weapon its class may
// use by the item table's class mask; a class that no weapon is open to (the
// monsters, the butler) holds a natural weapon or nothing. And every cell of
// every map, read through the game's terrain table for the tile set the
// stage or scene is shown with, is terrain a field is made of, with a name
// the terrain window shows: never the stairs (no map has storeys to climb).
TEST(Kit, UnitsHoldWhatTheirClassMayUseAndMapsAreFields) {
    auto weapon = [](int id) { return (item_get(id).flags & 7u) != 0 && (item_get(id).flags & ITEM_BAG_MASK) == 0; };
    const Bytes unt = slurp("dat/stage.unt");
    ASSERT_GE(unt.size(), 96u);
    int units = 0;
    for (int block = 0; block < 48; ++block) {
        const size_t at = u16(unt, 2 * block);
        ASSERT_LE(at + 2 + 30 * u16(unt, at), unt.size());
        for (uint32_t k = 0; k < u16(unt, at); ++k) {
            StageUnitRecord r;
            std::memcpy(&r, &unt[at + 2 + 30 * k], sizeof r);
            const int cls = r.stats.class_id, id = r.stats.weapon;
            SCOPED_TRACE("block " + std::to_string(block) + ", character " + std::to_string(r.stats.char_id) +
                         " of class " + std::to_string(cls) + " holding item " + std::to_string(id));
            ASSERT_TRUE(item_id_valid(id));
            bool open = false;
            for (int i = 1; i < ITEM_COUNT; ++i) open = open || (weapon(i) && item_usable_by_class(i, cls));
            if (open)
                EXPECT_TRUE(weapon(id) && item_usable_by_class(id, cls));
            else
                EXPECT_TRUE(id == 0 || (weapon(id) && (item_get(id).flags & ITEM_NATURAL)));
            ++units;
        }
    }
    EXPECT_GT(units, 200);

    struct Shown {
        int file, set;
    };
    std::vector<Shown> maps;
    for (int s = 0; s < 40; ++s) maps.push_back({s + 1, g_stage_tileset[static_cast<size_t>(s)]});
    // The scene maps, with the tile sets the chapter code shows them with.
    for (Shown m : {Shown{51, 4}, {52, 1}, {53, 4}, {54, 1}, {55, 1}, {56, 6}, {57, 0}, {60, 1}, {61, 1}})
        maps.push_back(m);
    for (const Shown& m : maps) {
        char name[32];
        std::snprintf(name, sizeof name, "dat/stage%02d.map", m.file);
        SCOPED_TRACE(name);
        const Bytes f = slurp(name);
        const int w = static_cast<int>(u16(f, 6)), h = static_cast<int>(u16(f, 8));
        ASSERT_EQ(f.size(), 48u + size_t(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int tile = f[48 + size_t(y) * w + x] & MAP_TILE_MASK;
                const uint32_t cls = g_tileset_terrain[size_t(m.set)][size_t(tile < MAP_TILES ? tile : 0)];
                const char* terrain = g_terrain_names[m.set][cls];
                ASSERT_NE(std::strlen(terrain), 0u) << "tile " << tile << " at " << x << "," << y;
                ASSERT_STRNE(terrain, "계단") << "tile " << tile << " at " << x << "," << y;
            }
    }
}

// --- the stages' goals ---------------------------------------------------------------

namespace {

bool in_goal(const KitStageGoal& g, int x, int y) {
    for (const KitCellArea& a : g.cells)
        if (a.x1 >= 0 && x >= a.x1 && x <= a.x2 && y >= a.y1 && y <= a.y2) return true;
    return false;
}

// The text lines of a section of a kit script, as the reader finds it.
std::vector<std::string> section_lines(const Bytes& file, uint8_t id) {
    std::vector<std::string> lines;
    for (size_t i = 0; i + 1 < file.size(); ++i) {
        if (file[i] != '#' || file[i + 1] != id) continue;
        size_t at = i + 2;
        while (at < file.size() && file[at]) ++at;  // the rest of the header line
        for (++at; at < file.size();) {
            const std::string line(reinterpret_cast<const char*>(&file[at]));
            at += line.size() + 1;
            if (line == "e" || line == "a") return lines;
            lines.push_back(line);
        }
        break;
    }
    return lines;
}

class KitGoalTest : public ChapterFixture {
protected:
    // A party unit of character 3 (not a guard, not the escort) on (x, y).
    UnitRecord* walker(int x, int y) {
        UnitRecord* u = unit_find_by_char_id(3);
        if (!u) u = unit(3, 4, 0, x, y);
        if (!u) return nullptr;
        g_occupancy.cells[u->y * MAP_SIDE + u->x] = 0;
        u->x = static_cast<int16_t>(x);
        u->y = static_cast<int16_t>(y);
        g_occupancy.cells[y * MAP_SIDE + x] = static_cast<uint8_t>(u->number);
        return u;
    }
    // The stage on its own map with its units from the kit's unit file.
    void fresh(const KitStageGoal& g) {
        reset_stage();
        g_stage_flags = {};
        play_on(g.stage - 1);
        unit_load_stage_units(g.stage - 1, 1);
    }
};

}  // namespace

// Each stage's clear conditions say what the chapter code checks: the goal
// cells (every cell of the map is tried; the cells carry the kit's flag and
// no other cell does), the escort's reach, the boss of the stage unit file by
// name, the field cleared; and the script's section 64 shows that text.
TEST_F(KitGoalTest, ClearConditionsMatchTheChapterCode) {
    keep_clicking();
    for (const KitStageGoal& g : g_kit_stage_goals) {
        SCOPED_TRACE("stage " + std::to_string(g.stage));
        ASSERT_EQ(&g - g_kit_stage_goals + 1, g.stage);

        // The text in the script, fitting the message window's 68 columns.
        char name[32];
        std::snprintf(name, sizeof name, "dat/stage%02d.msg", g.stage);
        const std::vector<std::string> lines = section_lines(slurp(name), 64);
        ASSERT_EQ(lines.size(), g.detail ? 4u : 3u);
        EXPECT_EQ(lines[0], ">.");
        EXPECT_EQ(lines[1], std::string("-") + g.goal);
        if (g.detail) {
            EXPECT_NE(lines[2].find(g.detail), std::string::npos);
        }
        EXPECT_NE(lines.back().find(g.defeat), std::string::npos);
        for (const std::string& l : lines) EXPECT_LE(l.size(), 69u) << l;
        for (int guard : g.guard) {
            EXPECT_NE(std::string(g.defeat).find(g_char_names[guard]), std::string::npos);
        }

        fresh(g);
        UnitRecord* lead = unit(1, 0, 0, 0, 39);
        ASSERT_NE(lead, nullptr);
        if (g.kind == KIT_GOAL_REACH || g.kind == KIT_GOAL_ESCORT) {
            // The flag: one tile, passable, on the goal cells only.
            const int flag = tile(g.cells[0].x1, g.cells[0].y1);
            EXPECT_NE(g_terrain_class_of_tile[flag], 0u);
            UnitRecord* escort = nullptr;
            if (g.kind == KIT_GOAL_ESCORT) {
                escort = unit_find_by_char_id(g.escort);
                ASSERT_NE(escort, nullptr);
                EXPECT_NE(std::string(g.goal).find(g_char_names[g.escort]), std::string::npos);
            }
            int goal_cells = 0;
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 40; ++x) {
                    const bool goal = in_goal(g, x, y);
                    EXPECT_EQ(tile(x, y) == flag, goal) << x << "," << y;
                    if (goal) {
                        EXPECT_EQ(g_occupancy.cells[y * MAP_SIDE + x], 0) << "a unit starts on the goal";
                    }
                    if (!goal) {
                        if (escort) {
                            escort->x = static_cast<int16_t>(x);
                            escort->y = static_cast<int16_t>(y);
                        }
                        ASSERT_EQ(scn_unit_moved(walker(x, y), x, y), 0) << x << "," << y;
                        ASSERT_EQ(g_stage_end, 0) << x << "," << y;
                        continue;
                    }
                    ++goal_cells;
                    // The escort just out of reach, then just in reach (a
                    // cell below the goal, which lies on the north edge).
                    for (int reach : {g.escort_reach + 1, g.escort_reach}) {
                        if (!escort && reach != g.escort_reach) continue;
                        fresh(g);
                        UnitRecord* u = walker(x, y);
                        if (escort) {
                            escort = unit_find_by_char_id(g.escort);
                            escort->x = static_cast<int16_t>(x);
                            escort->y = static_cast<int16_t>(y + reach);
                        }
                        const int ends = reach == g.escort_reach;
                        EXPECT_EQ(scn_unit_moved(u, x, y), 1) << x << "," << y;
                        EXPECT_EQ(g_stage_end, ends) << x << "," << y << " escort " << reach;
                    }
                    fresh(g);
                    lead = unit(1, 0, 0, 0, 39);
                    if (escort) escort = unit_find_by_char_id(g.escort);
                }
            EXPECT_GT(goal_cells, 0);
            continue;
        }
        if (g.kind == KIT_GOAL_CLEAR) {
            // Every enemy that counts (not the neutral walk-ons) falls; the
            // last one's fall ends the stage.
            std::vector<UnitRecord*> foes;
            for (int s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) {
                UnitRecord& u = g_units[static_cast<size_t>(s)];
                if (u.number != 0 && u.stats.ai_mode != AI_MODE_WALK_ON) foes.push_back(&u);
            }
            ASSERT_EQ(static_cast<int>(foes.size()), unit_count_live_enemies());
            ASSERT_GE(foes.size(), 2u);
            for (UnitRecord* f : foes) {
                EXPECT_EQ(g_stage_end, 0);
                f->stats.hp = 0;
                map_move_unit_step(f, 6);
                scn_after_battle(lead, f);
            }
            EXPECT_EQ(g_stage_end, 1);
            continue;
        }
        // Boss and contact: the one boss record, named in the goal.
        UnitRecord* boss = nullptr;
        UnitRecord* grunt = nullptr;
        int bosses = 0;
        for (int s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) {
            UnitRecord& u = g_units[static_cast<size_t>(s)];
            if (u.number == 0) continue;
            const bool boss_mode = ai_mode_is_chapter_boss(u.stats.ai_mode);
            if (boss_mode && u.stats.char_id == g.boss) {
                boss = &u;
                ++bosses;
            } else if (!boss_mode && u.stats.ai_mode != AI_MODE_WALK_ON && !grunt) {
                grunt = &u;
            }
        }
        ASSERT_EQ(bosses, 1);
        EXPECT_EQ(boss->stats.class_id, g.boss_class);
        EXPECT_NE(std::string(g.goal).find(unit_display_name(&boss->stats)), std::string::npos);
        if (g.kind == KIT_GOAL_CONTACT) {
            EXPECT_EQ(boss->stats.ai_mode, AI_MODE_BOSS_UNMET);
            EXPECT_EQ(scn_before_battle(lead, boss), 1);
            EXPECT_EQ(g_stage_end, 1);
            continue;
        }
        // An ordinary enemy's fall ends nothing.
        ASSERT_NE(grunt, nullptr);
        grunt->stats.hp = 0;
        map_move_unit_step(grunt, 6);
        scn_after_battle(lead, grunt);
        EXPECT_EQ(g_stage_end, 0);
        // The party comes near (a move: on stage 4 it calls the boss down,
        // on stage 38 the ambush wakes it), the boss meets it, then falls (on
        // stage 40 in its last form: the first form's fall brings on the next).
        scn_unit_moved(walker(20, 9), 20, 10);
        EXPECT_EQ(g_stage_end, 0);
        EXPECT_EQ(scn_before_battle(lead, boss), 0);
        EXPECT_EQ(boss->stats.ai_mode, AI_MODE_BOSS);
        EXPECT_EQ(g_stage_end, 0);
        if (g.stage == 40) boss->stats.class_id = CLASS_LAST_FORM;
        boss->stats.hp = 0;
        // A beaten unit leaves the map, but the last enemy's body (character
        // 28) stays on its cells, as the attack command leaves it.
        if (boss->stats.char_id != CHAR_LAST_ENEMY) map_move_unit_step(boss, 6);
        scn_after_battle(lead, boss);
        EXPECT_EQ(g_stage_end, 1);
    }
}

// Every stage is lost when its guards have all fallen, and only then.
TEST_F(KitGoalTest, DefeatComesWhenTheGuardsHaveFallen) {
    for (const KitStageGoal& g : g_kit_stage_goals) {
        SCOPED_TRACE("stage " + std::to_string(g.stage));
        reset_stage();
        for (int ch = 1; ch <= 8; ++ch) ASSERT_NE(unit(ch, ch, 0, ch, 1), nullptr);
        auto hp = [](int ch) -> int16_t& { return unit_find_by_char_id(ch)->stats.hp; };
        for (int ch = 1; ch <= 8; ++ch)
            if (ch != g.guard[0] && ch != g.guard[1]) hp(ch) = 0;
        EXPECT_EQ(turn_leaders_fallen(), 0) << "the others down";
        for (int guard : g.guard) {
            for (int other : g.guard) hp(other) = other == guard ? 20 : 0;
            EXPECT_EQ(turn_leaders_fallen(), 0) << "guard " << guard << " stands";
        }
        for (int guard : g.guard) hp(guard) = 0;
        EXPECT_EQ(turn_leaders_fallen(), 1);
    }
}

// --- experience for the other side's units ----------------------------------------------

namespace {

class KitExperienceTest : public LoopTest {
protected:
    void SetUp() override {
        LoopTest::SetUp();
        btl_reset();
        g_opt_battle_speed = 0;
        keep_clicking();
    }
    void TearDown() override {
        btl_reset();
        LoopTest::TearDown();
    }
    // What the earner (a party unit of the foe's level, at the start of it)
    // gets by the game's rules for a kill of the foe (kind 1), or for a
    // battle that dealt it `damage` (kind 0).
    static int gain(const UnitStats& foe, int kind, int damage) {
        UnitStats a = MapTest::stats(1, 0, 0), o = foe;
        a.level = foe.level;
        a.exp = static_cast<int16_t>((foe.level - 1) * 100);
        o.weapon = 71;  // never dropped: the spoils change nothing here
        g_btl_combatant[0] = &a;
        g_btl_combatant[1] = &o;
        g_btl_damage_total = damage;
        const int before = a.exp;
        btl_award_experience(0, kind);
        return a.exp - before;
    }
};

}  // namespace

// Every unit of the other side in the unit file is worth more beaten than
// the biggest blow that leaves it standing, and a stronger one of a class
// is worth more.
TEST_F(KitExperienceTest, BeatingAnEnemyIsWorthMoreThanHittingIt) {
    const Bytes f = slurp("dat/stage.unt");
    ASSERT_GE(f.size(), 96u);
    std::map<std::pair<int, int>, int> word_by_class_level;
    std::set<std::vector<int16_t>> tried;
    int enemies = 0;
    for (size_t b = 0; b < 48; ++b) {
        const size_t at = u16(f, 2 * b), n = u16(f, at);
        for (size_t i = 0; i < n; ++i) {
            UnitStats s;
            ASSERT_LE(at + 2 + 30 * (i + 1), f.size());
            std::memcpy(&s, &f[at + 2 + 30 * i + 4], sizeof s);
            if (s.ai_mode == AI_MODE_PLAYER) continue;
            ++enemies;
            SCOPED_TRACE("block " + std::to_string(b) + " class " + std::to_string(s.class_id) + " level " +
                         std::to_string(s.level));
            EXPECT_GT(s.exp, 0);
            auto [it, added] = word_by_class_level.emplace(std::pair{int(s.class_id), int(s.level)}, s.exp);
            EXPECT_EQ(it->second, s.exp) << "one class and level, one word";
            if (!tried.insert({s.class_id, s.level, s.max_hp, s.exp}).second) continue;
            EXPECT_GT(gain(s, 1, 0), gain(s, 0, s.max_hp - 1));
        }
    }
    EXPECT_GT(enemies, 200);
    // Within a class the word grows with the level.
    for (auto it = word_by_class_level.begin(); it != word_by_class_level.end(); ++it) {
        const auto next = std::next(it);
        if (next != word_by_class_level.end() && next->first.first == it->first.first) {
            EXPECT_GT(next->second, it->second) << "class " << it->first.first;
        }
    }
}
