// Palettes, fades and colour cycling, driven through the shell's window
// procedure so that every paint runs the real painter.
#include "platform/palette.h"

#include <cstring>
#include <vector>

#include "platform/files.h"
#include "tests/fixture.h"

namespace {

Palette16 flat(uint8_t v) {
    Palette16 p;
    std::memset(&p, v, sizeof p);
    return p;
}

// Palette whose colour i is (b, g, r) = (i, 15 - i, i / 2).
Palette16 ramp() {
    Palette16 p;
    for (int i = 0; i < 16; ++i) {
        p.colour[i][0] = static_cast<uint8_t>(i);
        p.colour[i][1] = static_cast<uint8_t>(15 - i);
        p.colour[i][2] = static_cast<uint8_t>(i / 2);
    }
    return p;
}

const uint8_t* entry(const uint8_t* dib, int i) { return dib + 40 + i * 4; }

class PaletteTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        gfx_palette_reset();
        // The shell paints the full-screen window only: make the test window it.
        g_hwnd_popup = wnd;
    }

    // One paint message handled by the shell's window procedure.
    void paint() {
        SysMsg m{wnd, WM_PAINT, 0, 0};
        sys_dispatch(&m);
    }

    // The colour shown at the top-left pixel of the view.
    uint32_t shown_pixel() {
        int w = 0, h = 0;
        const uint32_t* frame = sys_headless_frame(&w, &h);
        return frame ? frame[static_cast<size_t>(g_view_offset.y + 0) * w + g_view_offset.x + 16] : 0xDEADBEEF;
    }

    void set_reference_colours() {
        std::memcpy(gfx_dib_colours(g_back_dib), g_cycle_reference.data(), sizeof g_cycle_reference);
    }
};

TEST_F(PaletteTest, FadeStepsCloseTheDistanceInBothDirections) {
    uint8_t black[64] = {}, white[64];
    std::memset(white, 255, sizeof white);
    for (int e = 0; e < 16; ++e) black[e * 4 + 3] = 7;  // reserved bytes ride along
    FadeSteps up, down;
    gfx_fade_steps(black, white, &up);
    gfx_fade_steps(white, black, &down);
    const int rising[5] = {0, 112, 206, 246, 255};
    const int falling[5] = {255, 143, 49, 9, 0};
    for (int s = 0; s < 5; ++s) {
        for (int e = 0; e < 16; ++e) {
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(up.step[s][e * 4 + c], rising[s]) << s;
                EXPECT_EQ(down.step[s][e * 4 + c], falling[s]) << s;
            }
        }
        EXPECT_EQ(up.step[s][3], s < 4 ? 7 : 255) << s;
    }
}

TEST_F(PaletteTest, FadeLengthInPaints) {
    const Palette16 white = flat(15);
    for (int delay : {1, 2}) {
        SCOPED_TRACE(delay);
        gfx_palette_reset();
        gfx_set_palette16(&white);
        g_fade_state = FADE_STEADY;
        paint();
        // Fade the screen from white to black, one value per step.
        std::vector<int> values, running;
        const Palette16 black = flat(0);
        ASSERT_EQ(gfx_fade_start(&black, delay), 0);
        EXPECT_EQ(g_fade_state, FADE_RUNNING);
        EXPECT_EQ(g_fade_running, 1);
        for (int i = 0; i < 5 * delay + 1; ++i) {
            paint();
            values.push_back(entry(g_back_dib, 9)[1]);
            running.push_back(g_fade_running);
            // Each presented step is on screen and carried to the background.
            EXPECT_EQ(shown_pixel() & 0xFF, static_cast<uint32_t>(entry(g_back_dib, 0)[0]));
            EXPECT_EQ(std::memcmp(g_background_dib + 40, g_back_dib + 40, 64), 0);
        }
        std::vector<int> want_values, want_running;
        const int steps[5] = {255, 143, 49, 9, 0};
        for (int i = 1; i <= 5 * delay + 1; ++i) {
            want_values.push_back(i >= 5 * delay ? 0 : (i < delay ? 255 : steps[i / delay - 1]));
            want_running.push_back(i <= 5 * delay ? 1 : 0);
        }
        EXPECT_EQ(values, want_values);
        EXPECT_EQ(running, want_running);
        EXPECT_EQ(g_fade_state, FADE_STEADY);
    }
}

TEST_F(PaletteTest, FadeToWaitRunsOnTheTimer) {
    const Palette16 target = ramp();
    g_fade_state = FADE_STEADY;
    const uint32_t t0 = sys_headless_clock();
    gfx_fade_to_wait(&target, 2);
    EXPECT_EQ(g_fade_running, 0);
    EXPECT_EQ(g_fade_state, FADE_STEADY);
    EXPECT_GT(sys_headless_clock(), t0);
    uint8_t want[64];
    for (int i = 0; i < 16; ++i)
        for (int c = 0; c < 3; ++c)
            want[i * 4 + c] = static_cast<uint8_t>(target.colour[i][c] * 17), want[i * 4 + 3] = 0;
    EXPECT_EQ(std::memcmp(gfx_dib_colours(g_back_dib), want, 64), 0);
    EXPECT_EQ(std::memcmp(gfx_dib_colours(g_background_dib), want, 64), 0);
    // Pixel 0 shows colour 0: blue 0, green 255, red 0.
    EXPECT_EQ(shown_pixel(), 0x00FF00u);

    // The scene palette when given none.
    g_scene_palette = flat(3);
    gfx_fade_to_scene_wait(1);
    EXPECT_EQ(entry(g_back_dib, 5)[2], 3 * 17);
}

TEST_F(PaletteTest, FadeStartShortCuts) {
    const Palette16 grey = flat(8);
    g_fade_state = FADE_STEADY;
    // Delay 0: at once, in both images, no fade.
    EXPECT_EQ(gfx_fade_start(&grey, 0), 1);
    EXPECT_EQ(entry(g_back_dib, 15)[0], 8 * 17);
    EXPECT_EQ(entry(g_background_dib, 15)[0], 8 * 17);
    EXPECT_EQ(g_fade_state, FADE_STEADY);
    // The same colours again: nothing to do.
    EXPECT_EQ(gfx_fade_start(&grey, 3), 1);
    EXPECT_EQ(g_fade_running, 0);
    // Null means the default palette.
    g_default_palette = flat(2);
    gfx_set_palette16(nullptr);
    EXPECT_EQ(entry(g_back_dib, 1)[1], 2 * 17);

    // A delay-0 start in the middle of a fade ends it: no old step shows.
    const Palette16 white = flat(15), black = flat(0);
    ASSERT_EQ(gfx_fade_start(&white, 1), 0);
    paint();
    paint();
    ASSERT_EQ(g_fade_state, FADE_RUNNING);
    EXPECT_EQ(gfx_fade_start(&black, 0), 1);
    EXPECT_EQ(g_fade_state, FADE_STEADY);
    for (int i = 0; i < 4; ++i) {
        paint();
        EXPECT_EQ(entry(g_back_dib, 4)[2], 0) << i;
    }
    EXPECT_EQ(g_fade_running, 0);
}

TEST_F(PaletteTest, DisplayPaletteLayout) {
    const Palette16 base = ramp(), shown = flat(5), second = flat(15);
    std::memset(gfx_dib_colours(g_back_dib), 0x55, 1024);
    std::memset(gfx_dib_colours(g_shadow_dib), 0x55, 1024);
    // With no colour table in the load block the painter makes no palette,
    // so the reset below stays visible.
    g_load_dib.assign(1064, 0);
    g_gdi_palette = 1;
    gfx_set_scene_palettes(&base, nullptr, &shown);

    EXPECT_EQ(std::memcmp(g_shadow_dib, g_back_dib, 40), 0);
    EXPECT_EQ(g_gdi_palette, 0);
    const uint8_t* back = gfx_dib_colours(g_back_dib);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(back[i * 4], 5 * 17);
    for (int i = 64; i < 1024; ++i) ASSERT_EQ(back[i], 0) << i;
    EXPECT_EQ(std::memcmp(&g_default_palette, &base, 48), 0);
    EXPECT_EQ(std::memcmp(&g_scene_base_palette, &base, 48), 0);
    EXPECT_EQ(std::memcmp(&g_btl_palette, &base, 48), 0);
    const Palette16 zero = flat(0);
    EXPECT_EQ(std::memcmp(&g_scene_second_palette, &zero, 48), 0);

    auto check_common = [&](bool with_second) {
        const uint8_t* sh = gfx_dib_colours(g_shadow_dib);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(std::memcmp(entry(g_shadow_dib, i), "\0\0\0\0", 4), 0) << i;
        // 16..31 the base itself, then fading, 80..95 black.
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(entry(g_shadow_dib, 16 + i)[0], base.colour[i][0] * 17);
            EXPECT_EQ(entry(g_shadow_dib, 16 + i)[1], base.colour[i][1] * 17);
            const int g = base.colour[i][1] * 17;
            EXPECT_EQ(entry(g_shadow_dib, 32 + i)[1], g - g * 44 / 100);
            EXPECT_EQ(std::memcmp(entry(g_shadow_dib, 80 + i), "\0\0\0\0", 4), 0);
        }
        if (!with_second) {
            for (int i = 96 * 4; i < 176 * 4; ++i) ASSERT_EQ(sh[i], 0) << i;
        } else {
            for (int i = 0; i < 16; ++i) {
                EXPECT_EQ(std::memcmp(entry(g_shadow_dib, 96 + i), entry(g_shadow_dib, 16 + i), 4), 0);
                EXPECT_EQ(entry(g_shadow_dib, 160 + i)[2], 255);
            }
            const int b = base.colour[3][1] * 17;
            EXPECT_EQ(entry(g_shadow_dib, 112 + 3)[1], b + (255 - b) * 44 / 100);
        }
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(std::memcmp(entry(g_shadow_dib, 176 + k), g_cycle_colours[k].data(), 4), 0);
        for (int rep = 0; rep < 3; ++rep)
            for (int k = 0; k < 16; ++k)
                EXPECT_EQ(std::memcmp(entry(g_shadow_dib, 182 + rep * 16 + k), g_fixed_colours[k].data(), 4), 0);
        for (int i = 230 * 4; i < 1024; ++i) ASSERT_EQ(sh[i], 0) << i;
    };
    check_common(false);

    gfx_set_scene_palettes(&base, &second, &shown);
    EXPECT_EQ(std::memcmp(&g_scene_second_palette, &second, 48), 0);
    check_common(true);
}

TEST_F(PaletteTest, ColourCycleOrder) {
    set_reference_colours();
    g_colour_cycle_on = 1;
    g_fade_state = FADE_STEADY;
    std::vector<int> order;
    for (int step = 0; step < 14; ++step) {
        for (int p = 0; p < 4; ++p) {
            std::memset(gfx_dib_colours(g_back_dib) + 14 * 4, 0x11, 4);
            paint();
        }
        int found = -1;
        for (int k = 0; k < 6; ++k)
            if (std::memcmp(entry(g_back_dib, 14), g_cycle_colours[k].data(), 4) == 0) found = k;
        order.push_back(found);
    }
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5, 5, 4, 3, 2, 1, 0, 0, 1}));
    // Between steps colour 14 is left alone.
    std::memset(gfx_dib_colours(g_back_dib) + 14 * 4, 0x11, 4);
    paint();
    EXPECT_EQ(entry(g_back_dib, 14)[0], 0x11);
}

TEST_F(PaletteTest, ColourCycleStops) {
    set_reference_colours();
    g_colour_cycle_on = 1;
    g_fade_state = FADE_STEADY;
    g_cycle_index = 3;
    auto paints_change_colour14 = [&](int n) {
        std::memset(gfx_dib_colours(g_back_dib) + 14 * 4, 0x11, 4);
        for (int i = 0; i < n; ++i) paint();
        return entry(g_back_dib, 14)[0] != 0x11;
    };

    g_colour_cycle_block = 1;
    EXPECT_FALSE(paints_change_colour14(8));
    EXPECT_EQ(g_cycle_counter, 0);
    g_colour_cycle_block = 0;

    g_colour_cycle_on = 0;
    EXPECT_FALSE(paints_change_colour14(8));
    g_colour_cycle_on = 1;

    // Another palette: no cycling, and the index is kept.
    gfx_dib_colours(g_back_dib)[3 * 4 + 1] ^= 1;
    EXPECT_FALSE(paints_change_colour14(8));
    EXPECT_EQ(g_cycle_index, 3);
    set_reference_colours();

    // A fade: no cycling while it runs, nor at the first steady paint after it.
    g_cycle_counter = 3;
    g_fade_running = 1;
    EXPECT_FALSE(paints_change_colour14(1));
    EXPECT_EQ(g_fade_running, 0);
    EXPECT_EQ(g_cycle_counter, 3);
    EXPECT_TRUE(paints_change_colour14(1));
    EXPECT_EQ(std::memcmp(entry(g_back_dib, 14), g_cycle_colours[3].data(), 4), 0);
}

TEST_F(PaletteTest, PaletteFromPicture) {
    // A picture with 256 colours: the first 16, low 4 bits each.
    std::vector<uint8_t> pic(40 + 1024 + 4, 0);
    uint32_t colours = 256;
    std::memcpy(pic.data() + 32, &colours, 4);
    for (int i = 0; i < 1024; ++i) pic[40 + i] = static_cast<uint8_t>(i * 37);
    Palette16 out = flat(9);
    gfx_get_palette16(pic.data(), &out);
    for (int i = 0; i < 16; ++i)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(out.colour[i][c], ((i * 4 + c) * 37 % 256) & 0x0F);

    // A two-colour picture: the rest is black, nothing read past its table.
    std::vector<uint8_t> small(40 + 8 + 4, 0xFF);
    colours = 2;
    std::memcpy(small.data() + 32, &colours, 4);
    gfx_get_palette16(small.data(), &out);
    EXPECT_EQ(out.colour[1][2], 0x0F);
    EXPECT_EQ(out.colour[2][0], 0);
    EXPECT_EQ(out.colour[15][2], 0);

    // No picture: nothing changes.
    Palette16 kept = flat(4);
    gfx_get_palette16(nullptr, &kept);
    EXPECT_EQ(kept.colour[7][1], 4);
}

}  // namespace
