// Scripted input that takes a whole run (GameRun) through the title with the
// kit's pictures: both buttons skip the opening at its first skip check, a
// click ends the logo, another the title picture, and then a menu entry is
// chosen. The times hold for the kit's title pictures and music.
#pragma once

#include "story/title.h"
#include "tests/fixture.h"

// Both buttons before the opening's first skip check.
constexpr uint32_t TITLE_SKIP_AT = 200;
// The logo is faded in and waits from about 1,300 ms.
constexpr uint32_t TITLE_LOGO_CLICK_AT = 1500;
// The title picture waits from about 2,000 ms.
constexpr uint32_t TITLE_PICTURE_CLICK_AT = 2300;
// The menu is open from about 2,450 ms.
constexpr uint32_t TITLE_MENU_AT = 2800;
// The quit question is open by then.
constexpr uint32_t TITLE_QUESTION_AT = 3300;

// Window position of the middle of a title menu entry: the menu lies on text
// rows 15..17, columns 28..51; the title's view is 40 lines down in full
// screen, and (16, 8) up and left of the window in a window.
inline void title_entry_to_window(int entry, bool windowed, int* x, int* y) {
    *x = 320;
    *y = (15 + entry) * 20 + 10;
    if (windowed) {
        *x -= 16;
        *y -= 8;
    } else {
        *y += 40;
    }
}

// Clicks at the pointer moved by dx, 10 ms from now (the pointer stands on
// the default choice of the open prompt).
inline void title_click_pointer(int dx) {
    int x, y;
    sys_get_cursor_pos(g_hwnd_game, &x, &y);
    HeadlessEvent e;
    e.at = sys_headless_clock() + 10;
    e.kind = HeadlessKind::Click;
    e.x = x + dx;
    e.y = y;
    sys_headless_push(e);
}

// Up to the open menu.
inline void title_script_to_menu(GameRun& g) {
    g.event(TITLE_SKIP_AT, HeadlessKind::Click, 320, 200);
    g.event(TITLE_SKIP_AT + 10, HeadlessKind::RClick, 320, 200);
    g.event(TITLE_LOGO_CLICK_AT, HeadlessKind::Click, 320, 200);
    g.event(TITLE_PICTURE_CLICK_AT, HeadlessKind::Click, 320, 200);
}

inline void title_script_choose(GameRun& g, int entry, bool windowed = false) {
    int x, y;
    title_entry_to_window(entry, windowed, &x, &y);
    g.event(TITLE_MENU_AT, HeadlessKind::Click, x, y);
}

// A new game: chapter 1 starts a little after TITLE_MENU_AT.
inline void title_script_new_game(GameRun& g, bool windowed = false) {
    title_script_to_menu(g);
    title_script_choose(g, TITLE_ENTRY_NEW_GAME, windowed);
}

// Quit: "게임 종료", then "예" on the question, whose pointer starts on
// "아니오" seven columns to the right.
inline void title_script_quit(GameRun& g, bool windowed = false) {
    title_script_to_menu(g);
    title_script_choose(g, TITLE_ENTRY_QUIT, windowed);
    g.call_at(TITLE_QUESTION_AT, [] { title_click_pointer(-56); });
}
