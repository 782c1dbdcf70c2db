// The front end: the title screen with its menu (new game, continue, quit),
// the opening that plays once per run before the first title, and the
// ending epilogue that closes the last stage.
//
// Story pictures are read as frame sheets (640 x 400: four 320 x 200 frames
// TL, TR, BL, BR, each shown with its top-left corner at (160,100)) or as
// whole pictures. A picture that cannot be read, or is smaller than the part
// the step reads from it, shows "Memory Error" and its step draws nothing.
#pragma once

#include <cstdint>

// The entries of the title menu, as menu_list_select returns them.
enum TitleEntry : int32_t { TITLE_ENTRY_NEW_GAME = 0, TITLE_ENTRY_CONTINUE = 1, TITLE_ENTRY_QUIT = 2 };
constexpr int32_t TITLE_MENU_ENTRIES = 3;
// The chapter code of the quit entry.
constexpr int32_t TITLE_QUIT = 6;

// The three entries and the end marker of the title menu.
extern const char* const g_title_menu[TITLE_MENU_ENTRIES + 1];
// 1 until the opening has played in this run.
extern int32_t g_opening_pending;
// 1 once the maker logo has been shown in this run.
extern int32_t g_logo_shown;

// Runs the title; leaves its choice in GameState word 0 and g_chapter (1 new
// game, the loaded game's chapter, 6 quit).
void title_run();
// The title background: op04_a over a tiling of its own 32 x 32 block, in the
// back and background images.
void title_build_background();
// The opening sequence; both buttons pressed together skip to its end.
void title_opening();
// One scene of the opening from sheets a and b and overlay c; 1 when the
// player asked to skip at its end, else 0.
int32_t title_opening_scene(const char* a, const char* b, const char* c);
// 1 when both buttons were pressed since they were last polled.
int32_t title_skip_pressed();
// The ending epilogue (runs inside chapter 5, on stage 40's script file).
void title_ending_epilogue();

// Resets this module's state to its values at program start (tests).
void title_reset();
