// The title screen and its menu, the opening and the ending, run on the
// headless machine with the kit's pictures (or a copy with a picture swapped).
#include "story/title.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/draw.h"
#include "platform/menu.h"
#include "story/hooks.h"
#include "tactics/game.h"
#include "tactics/save.h"
#include "tactics/units.h"
#include "tests/fixture.h"
#include "tests/picture.h"
#include "tests/title_script.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// Pixel (x, line) of a picture block as the loader hands it out.
uint8_t picture_pixel(const uint8_t* picture, int x, int line) {
    int32_t w = 0, h = 0;
    const uint8_t* bits = gfx_picture_bits(picture, &w, &h);
    return bits[static_cast<size_t>(h - 1 - line) * w + x];
}

// Pixel (x, line) of one of the kit's pictures.
uint8_t kit_pixel(const char* name, int x, int line) {
    uint8_t* p = file_load_data(name);
    EXPECT_NE(p, nullptr) << name;
    if (!p) return 0xFF;
    const uint8_t v = picture_pixel(p, x, line);
    std::free(p);
    return v;
}

uint8_t back_pixel(int x, int line) { return *gfx_screen_pixel(g_back_dib, x, line); }

class TitleTest : public HeadlessTest {
protected:
    TempDir saves;

    // Writes the save index with the given (slot, stage) entries and, for
    // each, a slot file of a stage in progress on that stage.
    void write_saves(std::initializer_list<std::pair<int, int32_t>> slots) {
        std::array<SaveIndexEntry, SAVE_SLOTS> index{};
        for (auto [slot, stage] : slots) {
            g_units = {};
            std::memset(&g_occupancy, 0, sizeof g_occupancy);
            g_stage_index = stage;
            ASSERT_EQ(map_load_stage_map(stage), 1);
            UnitStats lead{};
            lead.char_id = CHAR_LEADER;
            lead.level = 1;
            lead.max_hp = lead.hp = 20;
            lead.weapon = 38;
            ASSERT_NE(unit_place_new(5, 5, &lead), nullptr);
            SaveFile f;
            save_pack_state(&f);
            char name[16];
            std::snprintf(name, sizeof name, "save%02d.dat", slot);
            std::ofstream(saves.path / name, std::ios::binary).write(reinterpret_cast<const char*>(&f), sizeof f);
            index[static_cast<size_t>(slot)] = {1, static_cast<uint16_t>(stage), 2026, 12, 9, 6, 0};
        }
        g_units = {};
        g_stage_index = -1;
        std::ofstream(saves.path / "savekq.idx", std::ios::binary)
            .write(reinterpret_cast<const char*>(index.data()), SAVE_INDEX_SIZE);
    }
    // Clicks the chooser's row of a slot from the given delay on, every
    // 200 ms for two seconds (the chooser is open at some point in between).
    void click_slot_row(uint32_t from, int slot) {
        for (uint32_t t = from; t < from + 2000; t += 200) at(t, HeadlessKind::Click, 300, (3 + slot) * 20 + 10 + 48);
    }
    std::vector<std::pair<std::string, std::function<void()>>> calls;

    void SetUp() override {
        options.exe_dir = ROWEN_KIT_DIR;
        options.lock_dir = lock_dir.str();
        options.time_limit = 200000;
        options.on_shot = [this](const std::string& n) {
            for (auto& [name, f] : calls)
                if (name == n) f();
        };
        start();
        gfx_load_ui_sheets();
        g_chapter = 0;
        g_stage_index = -1;
        g_view_offset = {0, 40};
        g_view_rect.bottom = 392;
        // The saves lie beside the program: a folder of their own.
        std::filesystem::create_symlink(std::filesystem::path(ROWEN_KIT_DIR) / "k.fnt", saves.path / "k.fnt");
        std::snprintf(g_exe_dir, sizeof g_exe_dir, "%s", saves.str().c_str());
        write_saves({});
        // Straight to the title screen unless a test wants the opening.
        g_opening_pending = 0;
        g_logo_shown = 1;
        g_game_state_record = {};
    }
    void TearDown() override {
        gfx_free_ui_sheets();
        HeadlessTest::TearDown();
    }

    // Calls f at an offset from now, from inside whatever wait runs then.
    void call_at(uint32_t delay, std::function<void()> f) {
        std::string name = "call" + std::to_string(calls.size());
        calls.emplace_back(name, std::move(f));
        HeadlessEvent e;
        e.at = sys_headless_clock() + delay;
        e.kind = HeadlessKind::Shot;
        e.name = name;
        sys_headless_push(e);
    }
    void click_entry(uint32_t delay, int entry) {
        int x, y;
        title_entry_to_window(entry, false, &x, &y);
        at(delay, HeadlessKind::Click, x, y);
    }
    // Runs the title; false when the time limit cut it short.
    bool run_title() {
        try {
            title_run();
            return true;
        } catch (const WinQuit&) {
            return false;
        }
    }
    bool logged(const std::string& part) {
        for (const auto& l : sys_log_lines())
            if (l.find(part) != std::string::npos) return true;
        return false;
    }
    int count_logged(const std::string& line) {
        int n = 0;
        for (const auto& l : sys_log_lines()) n += l == line;
        return n;
    }
    // Points the picture folder at a copy of the kit's pictures whose names
    // start with one of the prefixes.
    TempDir pictures;
    void use_picture_copy(std::initializer_list<const char*> prefixes) {
        for (const auto& f : std::filesystem::directory_iterator(std::filesystem::path(ROWEN_KIT_DIR) / "bmp")) {
            const std::string name = f.path().filename().string();
            for (const char* p : prefixes)
                if (name.rfind(p, 0) == 0) std::filesystem::copy(f.path(), pictures.path / name);
        }
        std::snprintf(g_bmp_dir, sizeof g_bmp_dir, "%s\\", pictures.str().c_str());
    }
};

// ---- the skip test -----------------------------------------------------------

TEST_F(TitleTest, OnlyBothButtonsTogetherSkip) {
    g_click[0].count = 1;
    EXPECT_EQ(title_skip_pressed(), 0);
    EXPECT_EQ(g_click[0].count, 0);  // the left press is used up

    g_click[1].count = 1;
    EXPECT_EQ(title_skip_pressed(), 0);
    EXPECT_EQ(g_click[1].count, 1);  // the right button is polled only after a left press

    g_click[0].count = 2;
    EXPECT_EQ(title_skip_pressed(), 1);
    EXPECT_EQ(g_click[0].count, 0);
    EXPECT_EQ(g_click[1].count, 0);
}

// ---- the title screen and its menu ---------------------------------------------

TEST_F(TitleTest, NewGameStartsChapterOneAndOnlyAClickEndsThePictureWait) {
    g_game_state_record.word[GS_SPARE] = 9;
    g_game_state_record.word[GS_RESUME] = 1;
    int32_t menu_before_click = -1, menu_after_click = -1;
    // The tick counter standing at any value does not end the wait.
    call_at(300, [] { g_tick_counter = 10000; });
    call_at(1500, [&] { menu_before_click = g_menu_chip_set; });
    at(1600, HeadlessKind::Click, 320, 200);
    call_at(2000, [&] { menu_after_click = g_menu_chip_set; });
    click_entry(2400, TITLE_ENTRY_NEW_GAME);
    ASSERT_TRUE(run_title());
    EXPECT_EQ(menu_before_click, 0);
    EXPECT_EQ(menu_after_click, 1);
    EXPECT_EQ(g_chapter, 1u);
    EXPECT_EQ(g_game_state_record.word[GS_CHAPTER], 1u);
    EXPECT_EQ(g_game_state_record.word[GS_RESUME], 0u);
    EXPECT_EQ(g_game_state_record.word[GS_SPARE], 0u);
    EXPECT_EQ(g_game_state, &g_game_state_record);
    EXPECT_EQ(g_stage_index, -1);
    EXPECT_TRUE(logged("kqm19.mid"));
    EXPECT_EQ(g_music_track, -1);
    EXPECT_EQ(g_mci_open, 0);
    EXPECT_FALSE(logged("msgbox"));
}

TEST_F(TitleTest, QuitAnsweredYesEndsAndNoOrCancelGoesBackToTheMenu) {
    // 예: chapter code 6.
    at(400, HeadlessKind::Click, 320, 200);
    click_entry(800, TITLE_ENTRY_QUIT);
    call_at(1300, [] { title_click_pointer(-56); });
    ASSERT_TRUE(run_title());
    EXPECT_EQ(g_chapter, 6u);
    EXPECT_EQ(g_game_state_record.word[GS_CHAPTER], 6u);
    EXPECT_EQ(g_mci_open, 0);

    // 아니오 (where the pointer starts) or a right click: back to the menu
    // without rebuilding the picture, so the next click chooses at once.
    for (bool right : {false, true}) {
        g_chapter = 0;
        at(400, HeadlessKind::Click, 320, 200);
        click_entry(800, TITLE_ENTRY_QUIT);
        if (right)
            at(1300, HeadlessKind::RClick, 320, 200);
        else
            call_at(1300, [] { title_click_pointer(0); });
        click_entry(1900, TITLE_ENTRY_NEW_GAME);
        ASSERT_TRUE(run_title()) << right;
        EXPECT_EQ(g_chapter, 1u) << right;
    }
}

TEST_F(TitleTest, CancelledLoadRebuildsTheTitleScreenBeforeTheMenu) {
    uint8_t shown = 0, expected = 0;
    int32_t offset_y = 0;
    at(400, HeadlessKind::Click, 320, 200);
    click_entry(800, TITLE_ENTRY_CONTINUE);
    bool chooser_open = false;
    call_at(1150, [&] { chooser_open = g_view_offset.y == 48; });
    at(1200, HeadlessKind::RClick, 300, 200);  // the save chooser is cancelled
    call_at(1600, [&] {
        offset_y = g_view_offset.y;
        shown = back_pixel(10, 10);  // the tiled corner of the title background
        expected = *gfx_screen_pixel(g_background_dib, 10, 10);
    });
    click_entry(1800, TITLE_ENTRY_NEW_GAME);  // ends the picture's click wait only
    click_entry(2400, TITLE_ENTRY_NEW_GAME);
    ASSERT_TRUE(run_title());
    EXPECT_TRUE(chooser_open);
    EXPECT_EQ(offset_y, 40);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(shown, kit_pixel("b:op04_a.gem", 480 + 10, 64 + 10));
    EXPECT_EQ(count_logged("midi open " + std::string(g_midi_dir) + "kqm19.mid"), 1);  // still playing
    EXPECT_EQ(g_chapter, 1u);
}

TEST_F(TitleTest, ALoadedGameGoesOnInItsChapter) {
    struct Case {
        int slot;
        int32_t stage;
        uint32_t chapter;
    } cases[] = {{0, 0, 1}, {3, 1, 2}, {4, 20, 3}, {7, 21, 4}, {14, 39, 5}};
    for (const Case& c : cases) {
        write_saves({{c.slot, c.stage}});
        g_game_state_record = {};
        g_stage_index = -1;
        at(400, HeadlessKind::Click, 320, 200);
        click_entry(800, TITLE_ENTRY_CONTINUE);
        click_slot_row(1000, c.slot);
        ASSERT_TRUE(run_title()) << c.stage;
        EXPECT_EQ(g_chapter, c.chapter) << c.stage;
        EXPECT_EQ(g_game_state_record.word[GS_CHAPTER], c.chapter);
        EXPECT_EQ(g_game_state_record.word[GS_RESUME], 1u);
        EXPECT_EQ(g_stage_index, c.stage);
        EXPECT_EQ(g_view_offset.y, 48);
        EXPECT_EQ(g_music_track, -1);
        // What is left of the clicks must not reach the next case.
        sys_headless_advance(2500);
        g_click[0].count = g_click[1].count = 0;
    }
    EXPECT_FALSE(logged("msgbox"));
}

TEST_F(TitleTest, TheBackgroundTilesItsOwnBlockUnderColour14) {
    gfx_clear_screen();
    title_build_background();
    uint8_t* picture = file_load_data("b:op04_a.gem");
    ASSERT_NE(picture, nullptr);
    for (int y : {0, 31, 40, 200}) {
        for (int x : {0, 33, 250, 639}) {
            const uint8_t own = picture_pixel(picture, x, y);
            const uint8_t tile = picture_pixel(picture, 480 + x % 32, 64 + y % 32);
            EXPECT_EQ(back_pixel(x, y), own == GFX_KEY_COLOUR ? tile : own) << x << "," << y;
        }
    }
    EXPECT_EQ(back_pixel(5, 399), picture_pixel(picture, 5, 399));  // the ground is the picture's own
    std::free(picture);
    // Whole tiles meet the bottom edge of the image.
    EXPECT_EQ(std::memcmp(gfx_dib_pixels(g_back_dib), gfx_dib_pixels(g_background_dib), SCREEN_IMAGE_SIZE), 0);
}

TEST_F(TitleTest, ATitlePictureTooSmallForItsBlockIsRefused) {
    use_picture_copy({"op04_b"});
    write_bmp(pictures.path / "op04_a.BMP", make_picture(256, 64, 0, [](int, int) { return uint8_t{5}; }));
    gfx_fill_rect(0, 0, 639, 415, 3);
    title_build_background();
    EXPECT_TRUE(logged("msgbox |Memory Error"));
    EXPECT_EQ(sys_quit_posted(), 0);
    EXPECT_EQ(back_pixel(100, 100), 3);  // nothing drawn
    EXPECT_EQ(*gfx_screen_pixel(g_background_dib, 100, 100), 3);
}

// ---- the opening -----------------------------------------------------------------

TEST_F(TitleTest, AnOpeningSceneSlidesWipesSweepsAndLaysItsOverlay) {
    g_click[0].count = 0;
    g_click[1].count = 0;
    at(300, HeadlessKind::Click, 10, 10);  // left alone never skips
    EXPECT_EQ(title_opening_scene("op05_a.gem", "op05_b.gem", "op05_c.gem"), 0);
    // b's frame TR ends in the top-right corner, under the overlay's blue.
    EXPECT_EQ(back_pixel(400, 100), kit_pixel("op05_b.gem", 320 + 80, 100));
    EXPECT_EQ(back_pixel(300, 150), 0);  // cleared by the slide
    // The wiped rows are b's lower rows; the band leaves its white as colour 7.
    EXPECT_EQ(back_pixel(100, 230), kit_pixel("op05_b.gem", 100, 230));
    ASSERT_EQ(kit_pixel("op05_b.gem", 100, 350), 15);
    EXPECT_EQ(back_pixel(100, 350), 7);
    // The overlay's own figure lies on top.
    EXPECT_EQ(back_pixel(70, 60), kit_pixel("op05_c.gem", 70, 60));
    EXPECT_NE(back_pixel(70, 60), 8);
    // The scene fades to its sheet a's colours and out again.
    uint8_t* a = file_load_data("op05_a.gem");
    Palette16 colours{};
    gfx_get_palette16(a, &colours);
    std::free(a);
    EXPECT_EQ(std::memcmp(&g_default_palette, &colours, sizeof colours), 0);
    EXPECT_EQ(gfx_dib_colours(g_back_dib)[4 * 15], 0);

    // Both buttons pressed during a scene report a skip at its end.
    at(300, HeadlessKind::RClick, 10, 10);
    at(400, HeadlessKind::Click, 10, 10);
    EXPECT_EQ(title_opening_scene("op06_a.gem", "op06_b.gem", "op06_c.gem"), 1);
    EXPECT_FALSE(logged("msgbox"));
}

TEST_F(TitleTest, TheOpeningPlaysToItsEndUnlessBothButtonsArePressed) {
    use_kit_folders(ROWEN_MARKED_KIT_DIR);  // the frames are told apart by their colours
    const uint32_t t0 = sys_headless_clock();
    std::vector<uint8_t> centre;
    for (uint32_t t = 0; t < 40000; t += 50)
        call_at(t, [&] {
            const uint8_t v = back_pixel(168, 108);
            if (centre.empty() || centre.back() != v) centre.push_back(v);
        });
    for (uint32_t t = 100; t < 30000; t += 2000) at(t, HeadlessKind::Click, 10, 10);
    title_opening();
    const uint32_t whole = sys_headless_clock() - t0;
    EXPECT_GT(whole, 20000u);
    EXPECT_EQ(g_view_rect.left, 0);
    EXPECT_EQ(g_view_rect.right, 640);
    EXPECT_EQ(g_view_rect.bottom, 400);
    EXPECT_EQ(std::memcmp(&g_scene_base_palette, &g_story_palette, sizeof g_story_palette), 0);
    EXPECT_EQ(std::memcmp(&g_scene_second_palette, &g_white_palette, sizeof g_white_palette), 0);
    EXPECT_EQ(g_music_track, -1);
    EXPECT_FALSE(logged("msgbox"));
    // The first sheet's frames TL and TR alternate, then the stills show in turn.
    auto seen_in_order = [&](std::initializer_list<uint8_t> want) {
        size_t i = 0;
        for (uint8_t v : centre)
            if (i < want.size() && v == want.begin()[i]) ++i;
        return i == want.size();
    };
    const uint8_t tl = kit_pixel("d:op01_a.gem", 8, 8), tr = kit_pixel("d:op01_a.gem", 328, 8);
    const uint8_t s1 = kit_pixel("op10_a.gem", 8, 8), s2 = kit_pixel("op10_b.gem", 8, 8);
    EXPECT_TRUE(seen_in_order({tl, tr, tl, tr, s1, s2}));

    // Both buttons before the first skip check: straight to the end.
    const uint32_t t1 = sys_headless_clock();
    at(100, HeadlessKind::Click, 10, 10);
    at(150, HeadlessKind::RClick, 10, 10);
    title_opening();
    EXPECT_LT(sys_headless_clock() - t1, 1000u);
    EXPECT_EQ(std::memcmp(&g_scene_base_palette, &g_story_palette, sizeof g_story_palette), 0);
}

TEST_F(TitleTest, OpeningPicturesTooSmallAreRefusedAndTheirStepSkipped) {
    use_picture_copy({"Presents", "op", "vis21a"});
    // A still where a sheet is read, a sheet where the tall vision is read, a
    // strip of five frames where six are read.
    std::filesystem::copy_file(pictures.path / "op10_a.BMP", pictures.path / "op05_a.BMP",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(pictures.path / "op10_c.BMP", pictures.path / "vis21a.BMP",
                               std::filesystem::copy_options::overwrite_existing);
    write_bmp(pictures.path / "op03_c.BMP", make_picture(160, 16, 0, [](int, int) { return uint8_t{4}; }));
    title_opening();
    EXPECT_EQ(count_logged("msgbox |Memory Error"), 3);
    EXPECT_EQ(sys_quit_posted(), 0);
    EXPECT_EQ(std::memcmp(&g_scene_base_palette, &g_story_palette, sizeof g_story_palette), 0);

    // Refused on its own: the scene draws nothing and takes no time.
    gfx_fill_rect(0, 0, 639, 415, 3);
    const uint32_t t0 = sys_headless_clock();
    EXPECT_EQ(title_opening_scene("op05_a.gem", "op05_b.gem", "op05_c.gem"), 0);
    EXPECT_LT(sys_headless_clock() - t0, 50u);
    EXPECT_EQ(back_pixel(200, 150), 3);
}

TEST_F(TitleTest, AMissingOpeningPictureShowsItsBoxesAndShutsDown) {
    use_picture_copy({"op05_a"});
    EXPECT_THROW(title_opening_scene("op05_a.gem", "op05_b.gem", "op05_c.gem"), WinQuit);
    EXPECT_TRUE(logged("op05_b"));
    EXPECT_TRUE(logged("msgbox |Memory Error"));
}

TEST_F(TitleTest, TheOpeningPlaysOncePerRunAndTheLogoOnce) {
    g_opening_pending = 1;
    g_logo_shown = 0;
    at(100, HeadlessKind::Click, 10, 10);
    at(150, HeadlessKind::RClick, 10, 10);
    at(1300, HeadlessKind::Click, 10, 10);  // the logo
    at(2100, HeadlessKind::Click, 10, 10);  // the title picture
    click_entry(2600, TITLE_ENTRY_NEW_GAME);
    ASSERT_TRUE(run_title());
    EXPECT_EQ(g_opening_pending, 0);
    EXPECT_EQ(g_logo_shown, 1);
    EXPECT_TRUE(logged("kqm00.mid"));
    EXPECT_EQ(g_chapter, 1u);

    // The next visit goes straight to the title picture.
    const uint32_t t0 = sys_headless_clock();
    g_chapter = 0;
    at(400, HeadlessKind::Click, 10, 10);
    click_entry(800, TITLE_ENTRY_NEW_GAME);
    ASSERT_TRUE(run_title());
    EXPECT_EQ(g_chapter, 1u);
    EXPECT_LT(sys_headless_clock() - t0, 1500u);
}

// ---- the ending ------------------------------------------------------------------

TEST_F(TitleTest, TheEpilogueShowsItsEightPicturesWithTheirMessagesThenTheLastPicture) {
    g_chapter = 5;
    g_stage_index = 39;
    g_view_offset = {0, 48};
    g_view_rect.bottom = 384;
    std::vector<uint8_t> corner;
    for (uint32_t t = 0; t < 60000; t += 50)
        call_at(t, [&] {
            const uint8_t v = back_pixel(165, 25);
            if (corner.empty() || corner.back() != v) corner.push_back(v);
        });
    bool waiting_at_first_text = false;
    // Time alone does not end the first text's wait, though ticks move here.
    call_at(5000, [&] { waiting_at_first_text = !logged("message 68") && g_tick_counter > 100; });
    for (uint32_t t = 6000; t < 60000; t += 600) at(t, HeadlessKind::Click, 10, 10);
    title_ending_epilogue();
    EXPECT_TRUE(waiting_at_first_text);

    std::vector<std::string> messages;
    for (const auto& l : sys_log_lines())
        if (l.rfind("message ", 0) == 0) messages.push_back(l);
    EXPECT_EQ(messages, (std::vector<std::string>{"message 68", "message 69", "message 70", "message 71", "message 72",
                                                  "message 73", "message 74", "message 75"}));
    EXPECT_TRUE(logged("kqm18.mid"));
    EXPECT_EQ(g_music_track, -1);
    EXPECT_FALSE(logged("msgbox"));

    // Each picture in turn at (160,20), then the last one over the whole view.
    char name[16];
    std::vector<uint8_t> want;
    for (int i = 0; i < 8; ++i) {
        std::snprintf(name, sizeof name, "f:ed_0%d.gem", i);
        want.push_back(kit_pixel(name, 5, 5));
    }
    size_t i = 0;
    for (uint8_t v : corner)
        if (i < want.size() && v == want[i]) ++i;
    EXPECT_EQ(i, want.size());
    EXPECT_EQ(back_pixel(165, 25), kit_pixel("b:vis40b.gem", 165, 25));
    EXPECT_EQ(back_pixel(600, 390), kit_pixel("b:vis40b.gem", 600, 390));
    uint8_t* last = file_load_data("b:vis40b.gem");
    Palette16 colours{};
    gfx_get_palette16(last, &colours);
    std::free(last);
    EXPECT_EQ(gfx_dib_colours(g_back_dib)[4 * 15 + 2], colours.colour[15][2] * 17);  // shown at once
}

}  // namespace

// ---- whole runs -----------------------------------------------------------------

namespace {

// A data folder like the kit's, without one picture (or none): links to the
// kit's files, the pictures one by one.
struct KitWithout {
    TempDir dir;
    explicit KitWithout(const char* missing) {
        namespace fs = std::filesystem;
        const fs::path kit(ROWEN_KIT_DIR);
        for (const char* d : {"dat", "midi", "wave", "k.fnt"}) fs::create_symlink(kit / d, dir.path / d);
        fs::create_directory(dir.path / "bmp");
        for (const auto& f : fs::directory_iterator(kit / "bmp"))
            if (!missing || f.path().filename() != missing)
                fs::create_symlink(f.path(), dir.path / "bmp" / f.path().filename());
    }
};

}  // namespace

// A fresh install: the kit comes with an empty save index, so "이어서"
// opens the chooser with fifteen empty slots and no box.
TEST(TitleRunTest, ContinueOnAFreshKitOpensTheEmptyChooserWithoutABox) {
    GameRun g;
    title_script_to_menu(g);
    title_script_choose(g, TITLE_ENTRY_CONTINUE);
    bool chooser_open = false;
    g.call_at(TITLE_MENU_AT + 1500, [&] {
        chooser_open = g_hit_rects[14].id == 14 && g_hit_rects[15].id == HIT_RECT_FREE;
        for (const SaveIndexEntry& e : g_save_index) chooser_open = chooser_open && e.used == 0;
    });
    g.event(TITLE_MENU_AT + 1600, HeadlessKind::End);
    g.run();
    EXPECT_TRUE(chooser_open);
    EXPECT_FALSE(g.logged("msgbox"));
}

// The shut-down arriving in the first wait after a story picture is read
// (while the picture's colours are set, while it is panned, or posted by
// the picture read just before it) unwinds the title and the opening with
// every block they hold freed.
TEST(TitleRunTest, AShutDownInsideAStoryPictureWaitLeavesNoBlockBehind) {
    const struct {
        const char* picture;  // the shut-down comes once this one is read
        const char* missing;  // or from this one being missing
        bool opening;         // the opening plays (else both buttons skip it)
    } cases[] = {
        {"presents.BMP", nullptr, true},  // an opening still's colours
        {"vis21a.BMP", nullptr, true},    // the pan
        {"qmx.BMP", nullptr, false},      // the logo
        {nullptr, "op04_a.BMP", false},   // the title picture, the quit posted by the missing background
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture ? c.picture : c.missing);
        KitWithout data(c.missing);
        GameRun g;
        g.options.exe_dir = data.dir.str();
        if (!c.opening) {
            g.event(TITLE_SKIP_AT, HeadlessKind::Click, 320, 200);
            g.event(TITLE_SKIP_AT + 10, HeadlessKind::RClick, 320, 200);
            g.event(TITLE_LOGO_CLICK_AT, HeadlessKind::Click, 320, 200);
        }
        bool posted = false;
        if (c.picture) {
            // Polled every millisecond: the first poll after the read falls
            // into the wait that follows it.
            g.call_at(1, [&] {
                if (!posted && std::strstr(g_load_path, c.picture)) {
                    posted = true;
                    sys_post_message(g_hwnd_game, MSG_SCENE_QUIT, 0, 0);
                    return;
                }
                HeadlessEvent e;
                e.at = sys_headless_clock() + 1;
                e.kind = HeadlessKind::Shot;
                e.name = "call0";
                sys_headless_push(e);
            });
        }
        g.run();
        if (c.picture)
            EXPECT_TRUE(posted);
        else
            EXPECT_TRUE(g.logged(c.missing));
        EXPECT_EQ(g_back_dib, nullptr);
#if defined(__SANITIZE_ADDRESS__)
        EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
    }
}
