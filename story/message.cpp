// Message scripts and faces: the script interpreter behind every story
// scene, stage goal, item text, shop talk and spell announcement, and the
// face pictures of its speaker windows.
#include "story/message.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/heap.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "sys/sys.h"
#include "tactics/units.h"

const std::array<uint8_t, TXT_FACES> g_face_flags = [] {
    std::array<uint8_t, TXT_FACES> flags{};
    for (int32_t n : {2, 71, 82, 100, 112, 122, 132, 138}) flags[static_cast<size_t>(n)] = 1;
    return flags;
}();

const char g_speaker_codes[TXT_SPEAKER_CODES][3] = {
    "ku", "sh", "wi", "bu", "la", "al", "no", "lu", "el", "**",  //
    "po", "pw", "ge", "he", "ak", "ti", "ma", "lk", "ji", "nu",  //
    "le", "**", "**", "**", "**", "zi", "**", "**", "sl",
};

namespace {

// Where each window puts its face and text: face box at (face column,
// face y in pixels), text from (text column, first row); the frame is
// drawn round 68 columns by 5 rows at (6, first row).
struct WindowLayout {
    int32_t face_col;
    int32_t face_y;
    int32_t text_col;
    int32_t first_row;
};
constexpr WindowLayout WINDOWS[2] = {{4, 20, 26, 3}, {56, 200, 6, 12}};
constexpr int32_t FRAME_COL = 6;
constexpr int32_t FRAME_COLS = 68;
constexpr int32_t TEXT_ROWS = 5;
constexpr int32_t TEXT_AREA_H = 100;
constexpr int32_t FACE_BOX_COLS = 20;
constexpr int32_t CENTRE_COLS = 68;
constexpr int32_t SPEAKER_INDENT = 14;
constexpr int32_t ENTRY_WITHOUT_CODE = 10;

// Saves an area of the back image; "Memory Error" and null when it cannot.
SavedArea save_area(int32_t col, int32_t y, int32_t wcols, int32_t h) {
    SavedArea area(gfx_save_rect(col, y, wcols, h));
    if (!area) util_memory_error();
    return area;
}

void put_back(const SavedArea& area) {
    if (area) gfx_restore_rect(-1, 0, area.get());
}

// The state of one call. Saved areas are dropped without being put back when
// the call ends, also when a quit unwinds it; the cursor comes back then too.
struct MessageRun {
    std::initializer_list<MsgArg> args;
    int32_t window = 1;
    int32_t row = WINDOWS[1].first_row;
    int32_t indent = 0;
    SavedArea text_area[2];
    SavedArea face_box[2];
    bool window1_face = false;
    bool fade_pending = false;
    bool cursor_was_shown = false;

    ~MessageRun() {
        if (cursor_was_shown) win_cursor_flag_on();
    }

    const WindowLayout& layout() const { return WINDOWS[window]; }

    // Argument n when it is given and of the kind asked for, else null.
    const UnitRecord* unit_arg(int32_t n) const {
        if (n < 0 || static_cast<size_t>(n) >= args.size()) return nullptr;
        return args.begin()[n].unit;
    }
    const char* text_arg(int32_t n) const {
        if (n < 0 || static_cast<size_t>(n) >= args.size()) return nullptr;
        return args.begin()[n].text;
    }

    void select_window(const char* line);
    void text_line(const char* line);
    void click_wait();
};

void draw_face(int32_t window, const char* code, const WindowLayout& w) {
    const HeapBlock face = txt_load_face(code);
    if (!face) return;
    const int32_t n = txt_face_number(code);
    const bool unmirrored = n >= 0 && g_face_flags[static_cast<size_t>(n)] == 1;
    if (window == 1 || unmirrored)
        gfx_blit_image_keyed(w.face_col, w.face_y, face.get());
    else
        gfx_blit_image_keyed_mirror(w.face_col, w.face_y, face.get());
}

void MessageRun::select_window(const char* line) {
    window = line[0] == '<' ? 0 : 1;
    const WindowLayout& w = layout();
    if (line[1] == 0) return;

    // The face: '*' the face of the unit given as argument `window`, '.' none,
    // else a two-character code.
    char code[3] = {0, 0, 0};
    if (line[1] == '*') {
        if (const UnitRecord* unit = unit_arg(window)) {
            if (const char* c = unit_face_code(&unit->stats)) {
                code[0] = c[0];
                code[1] = c[1];
            }
        }
    } else if (line[1] == '.') {
        put_back(face_box[window]);
    } else if (line[2] != 0) {
        code[0] = line[1];
        code[1] = line[2];
    }
    const bool has_face = code[0] != 0;

    win_wait_units(0);
    if (!text_area[window]) {
        menu_draw_window(FRAME_COL, w.first_row, FRAME_COLS, TEXT_ROWS);
        text_area[window] = save_area(w.text_col, w.first_row * MENU_ROW_H, has_face ? 48 : 68, TEXT_AREA_H);
    }
    if (face_box[window])
        put_back(face_box[window]);
    else
        face_box[window] = save_area(w.face_col, w.face_y, FACE_BOX_COLS, TXT_FACE_H);
    if (has_face) {
        draw_face(window, code, w);
        if (window == 1) window1_face = true;
    }
}

void MessageRun::text_line(const char* line) {
    const WindowLayout& w = layout();
    const int32_t col = w.text_col;
    const uint8_t first = static_cast<uint8_t>(line[0]);
    const bool lower_pair = line[0] >= 'a' && line[0] <= 'z' && line[1] >= 'a' && line[1] <= 'z';
    const bool prefixed = (first >= '!' && first <= '/') || first == '@' || lower_pair;
    bool centred = false;
    const char* rest = line;

    // Rows outside the window's five are not drawn: they would spill past
    // its frame and its saved area.
    auto row_fits = [&](int32_t r) { return r >= w.first_row && r < w.first_row + TEXT_ROWS; };

    if (prefixed) {
        row = w.first_row;
        win_wait_units(0);
        put_back(text_area[window]);
        const char second = line[1];
        const bool digit = second >= '0' && second <= '9';
        if (line[0] == '&') {
            row += 2;
            centred = true;
        } else if (line[0] == '-') {
            txt_draw_string(col + 28, row, "클리어조건", 9);
            row += 2;
            centred = true;
        } else if (line[0] == '.' && digit) {
            if (const char* s = text_arg(second - '0')) txt_draw_string(col, row, s, 9);
            row += 1;
        } else if (line[0] == '/' && digit) {
            if (const char* s = text_arg(second - '0')) txt_draw_string(col, row, s, 15);
            txt_draw_string(col + 12, row, "「", 15);
            indent = SPEAKER_INDENT;
        } else {
            const int32_t k = txt_speaker_code(line);
            if (k > 0 && k != ENTRY_WITHOUT_CODE && k < CHAR_IDS) txt_draw_string(col, row, g_char_names[k], 15);
            txt_draw_string(col + 12, row, "「", 15);
            indent = SPEAKER_INDENT;
        }
        const bool one_byte = line[0] == '&' || line[0] == '-';
        rest += one_byte || second == 0 ? 1 : 2;
    }

    bool wait = false;
    if (*rest == 'k' || *rest == 'K') {
        wait = true;
        if (*rest == 'K') fade_pending = true;
        ++rest;
    }

    if (row_fits(row)) {
        const int32_t len = static_cast<int32_t>(std::strlen(rest));
        const int32_t x = centred ? col + (CENTRE_COLS - len) / 2 : col + indent;
        txt_draw_string(x, row, rest, 15);
        row += 1;
    }
    if (wait) click_wait();
}

void MessageRun::click_wait() {
    const WindowLayout& w = layout();
    if (fade_pending) {
        fade_pending = false;
        gfx_fade_to_wait(&g_default_palette, 4);
    }
    const int32_t d = window == 1 && !window1_face ? 64 : 46;
    const int32_t x = (w.text_col + d) * 8, y = (w.first_row + 4) * MENU_ROW_H;
    int32_t pin[4];
    win_get_cursor_pin(&pin[0], &pin[1], &pin[2], &pin[3]);
    win_set_cursor_pin(x, y, x, y);
    win_wait_click_blink();
    win_set_cursor_pin(pin[0], pin[1], pin[2], pin[3]);
    row = w.first_row;
    indent = 0;
}

// The name of the script file for an id, or false when the id names none.
bool message_file_name(int32_t id, char* name, size_t size) {
    int32_t number;
    if (id >= 0 && id < 256)
        number = g_stage_index + 1;
    else if (id >= 256 && id / 256 <= 9)
        number = 50 + id / 256;
    else
        return false;
    if (number < 0 || number > 99) return false;
    std::snprintf(name, size, "x:stage%02d.msg", static_cast<int>(number));
    return true;
}

}  // namespace

int32_t txt_face_number(const char* code) {
    if (!code || !code[0]) return -1;
    const char a = code[0], b = code[1];
    if (b < '0' || b > '9') return -1;
    int32_t tens;
    if (a >= '0' && a <= '9')
        tens = a - '0';
    else if (a >= 'W' && a <= 'j')
        tens = a - 'W';
    else
        return -1;
    return tens * 10 + (b - '0');
}

HeapBlock txt_load_face(const char* code) {
    char name[] = "a:face??.gem";
    const bool named = code && code[0] && code[1];
    if (named) {
        name[6] = code[0];
        name[7] = code[1];
    }
    // A face that is not there is only skipped: the picture loader would
    // take a missing picture for a broken installation and shut the game down.
    bool present = false;
    if (named) {
        const std::string path = std::string(g_bmp_dir) + "face" + code[0] + code[1] + ".BMP";
        if (FILE* f = sys_fopen(path, "rb")) {
            present = true;
            std::fclose(f);
        }
    }
    HeapBlock face(present ? file_load_data(name) : nullptr);
    if (!face) util_memory_error();
    return face;
}

int32_t txt_speaker_code(const char* text) {
    if (!text || !text[0] || !text[1]) return 0;
    for (int32_t k = 0; k < TXT_SPEAKER_CODES; ++k)
        if (g_speaker_codes[k][0] == text[0] && g_speaker_codes[k][1] == text[1]) return k + 1;
    return 0;
}

void txt_show_message(int32_t id, std::initializer_list<MsgArg> args) {
    sys_log("message " + std::to_string(id));
    MessageRun run;
    run.args = args;
    run.cursor_was_shown = win_get_mouse_pos(&g_mouse_x, &g_mouse_y) != 0;
    win_cursor_flag_off();

    char name[32];
    if (!message_file_name(id, name, sizeof name)) {
        util_memory_error();
        return;
    }
    const HeapBlock file(file_load_data(name));
    if (!file) {
        util_memory_error();
        return;
    }
    const uint8_t* data = file.get();
    const size_t size = g_loaded_file_size;
    const uint8_t section = static_cast<uint8_t>(id & 0xFF);

    size_t pos = 0;
    for (;;) {
        if (pos + 1 >= size) return;  // not in the file: nothing is shown
        if (data[pos] == '#' && data[pos + 1] == section) break;
        ++pos;
    }
    pos += 2;

    // One line at a time into a bounded buffer; the rest of a longer line is
    // skipped. A section without its end line ends at the end of the file
    // as if it ended with "e".
    char line[TXT_LINE_MAX];
    bool keep = false;
    while (pos < size) {
        size_t n = 0;
        while (pos < size && data[pos] != 0) {
            if (n < sizeof line - 1) line[n++] = static_cast<char>(data[pos]);
            ++pos;
        }
        ++pos;  // the terminator
        line[n] = 0;
        if (std::strcmp(line, "e") == 0) break;
        if (std::strcmp(line, "a") == 0) {
            keep = true;
            break;
        }
        switch (line[0]) {
            case '#': break;
            case '%':
                gfx_restore_screen();
                for (int w = 0; w < 2; ++w) {
                    run.text_area[w].reset();
                    run.face_box[w].reset();
                }
                break;
            case '+': gfx_clear_screen(); break;
            case '<':
            case '>': run.select_window(line); break;
            default: run.text_line(line); break;
        }
    }
    if (!keep) gfx_restore_screen();
}
