// Sample data kit: the message scripts with placeholder text for every
// section the game shows, a face picture for every face code, the game-over
// picture and the backdrop of the full-screen item and list screens.
//
// Script format: NUL-terminated code page 949 lines; a section starts at "#"
// and its section byte and ends at a line "e" (restore the picture) or "a"
// (keep it). The Korean text below is compiled to code page 949.
#include "tools/kit_story.h"

#include <cstdio>
#include <string>
#include <vector>

#include "tools/kit_goals.h"

namespace kit {

namespace {

// ---- scripts --------------------------------------------------------------------

struct Script {
    Bytes bytes;
    void line(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
    }
    // The header "#" + section byte; the rest of its line is empty.
    void section(int id) {
        bytes.push_back('#');
        bytes.push_back(static_cast<uint8_t>(id & 0xFF));
        bytes.push_back(0);
    }
};

std::string two(int n) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", n);
    return b;
}

// Speakers with a face: speaker code and face code of the character.
struct Speaker {
    const char* code;
    const char* face;
};
const Speaker SPEAKERS[] = {
    {"ku", "00"}, {"sh", "10"}, {"wi", "20"}, {"bu", "40"}, {"la", "30"}, {"al", "62"}, {"no", "50"},
    {"lu", "70"}, {"pw", "a2"}, {"ge", "i0"}, {"ak", "j2"}, {"ti", "d5"}, {"ji", "d1"}, {"nu", "g0"},
};
constexpr int SPEAKER_COUNT = sizeof SPEAKERS / sizeof SPEAKERS[0];

// Sections that the chapter scenes show with speaker strings as arguments
// ("/0", "/1"): stage, section, number of speakers.
struct ArgSection {
    int stage, id, speakers;
};
const ArgSection ARG_SECTIONS[] = {
    {1, 52, 1},  {1, 101, 1}, {7, 48, 1},  {8, 48, 1},  {8, 98, 1},  {9, 49, 1},  {9, 97, 1},
    {9, 98, 1},  {11, 49, 2}, {11, 50, 2}, {14, 49, 1}, {14, 52, 1}, {15, 49, 1}, {15, 51, 1},
    {16, 49, 1}, {21, 98, 1}, {25, 48, 1}, {25, 50, 1}, {27, 50, 1},
};

int arg_speakers(int stage, int id) {
    for (const ArgSection& a : ARG_SECTIONS)
        if (a.stage == stage && a.id == id) return a.speakers;
    return 0;
}

// The sections every stage file holds: the chapter scenes' 48.., 65.., 97..,
// 120.. and the clear conditions, 64.
std::vector<int> stage_sections() {
    std::vector<int> ids;
    for (int id = 48; id <= 57; ++id) ids.push_back(id);
    for (int id = 65; id <= 80; ++id) ids.push_back(id);
    for (int id = 97; id <= 111; ++id) ids.push_back(id);
    for (int id = 120; id <= 122; ++id) ids.push_back(id);
    return ids;
}

// The stage's goal and defeat: "클리어조건" over the goal (a centred page
// line), then lines without a prefix, which go on below at the text column:
// spaces centre them.
void clear_conditions(Script& s, int stage) {
    const KitStageGoal& g = g_kit_stage_goals[stage - 1];
    auto centred = [](const std::string& text) { return std::string((68 - text.size()) / 2, ' ') + text; };
    s.section(64);
    s.line(">.");
    s.line(std::string("-") + g.goal);
    if (g.detail) s.line(centred(g.detail));
    s.line("k" + centred(g.defeat));
    s.line("e");
}

// A dialogue section. The templates between them use every line kind of the
// format: windows with and without faces, speaker codes, page prefixes,
// continuation lines, comments, closing both windows, click waits.
void dialogue(Script& s, int stage, int id) {
    const std::string tag = "[" + two(stage) + "-" + std::to_string(id) + "] ";
    const Speaker& a = SPEAKERS[(stage + id) % SPEAKER_COUNT];
    const Speaker& b = SPEAKERS[(stage + id + 5) % SPEAKER_COUNT];
    s.section(id);

    if (const int n = arg_speakers(stage, id)) {
        s.line(">.");
        s.line("/0k" + tag + "말하는 이가 인자로 주어진 대사입니다.");
        if (n > 1) s.line("/1k" + tag + "두 번째 말하는 이의 대사입니다.");
        s.line("e");
        return;
    }
    if ((stage == 26 && id == 50) || (stage == 21 && id == 70)) {
        // Shown on a dark screen: clear it and fade in before the click.
        s.line("+");
        s.line(">.");
        s.line("&K" + tag + "어둠 속에서 목소리가 들려온다.");
        s.line("e");
        return;
    }
    switch ((stage + id) % 5) {
        case 0:
            s.line(std::string(">") + a.face);
            s.line(std::string(a.code) + tag + "첫 번째 줄입니다.");
            s.line("이어지는 두 번째 줄입니다.");
            s.line("k세 번째 줄에서 클릭을 기다립니다.");
            s.line("e");
            break;
        case 1:
            // Two speakers, each named by its code as it speaks: the upper
            // window (its face mirrored), the lower, then the upper again
            // with its face taken away.
            s.line(std::string("<") + b.face);
            s.line(std::string(b.code) + "k" + tag + "위 창의 대사입니다.");
            s.line(std::string(">") + a.face);
            s.line(std::string(a.code) + "k아래 창에서 대답합니다.");
            s.line("<.");
            s.line(std::string(b.code) + "k얼굴을 지운 위 창입니다.");
            s.line("e");
            break;
        case 2:
            s.line(">.");
            s.line("&k" + tag + "가운데에 쓰는 나레이션입니다.");
            s.line("@@k이름 없는 목소리가 말했다.");
            s.line("e");
            break;
        case 3:
            s.line(std::string("<") + a.face);
            s.line(std::string(a.code) + "k" + tag + "창을 닫겠습니다.");
            s.line("%");
            s.line(std::string(">") + b.face);
            s.line(std::string(b.code) + "k새 창이 열렸습니다.");
            s.line("e");
            break;
        default:
            s.line(std::string(">") + a.face);
            s.line("# 주석 줄은 보이지 않는다");
            s.line(std::string(a.code) + "k" + tag + "첫 페이지입니다.");
            s.line(std::string(a.code) + "k두 번째 페이지입니다.");
            s.line("e");
            break;
    }
}

// The ending's sections 68..75 of file 40: argument 0 is the name of a
// character, 1..9 villagers.
void ending(Script& s, int id) {
    const int i = id - 68;
    s.section(id);
    s.line(">.");
    s.line("/0k[40-" + std::to_string(id) + "] 이제 이 땅에도 평화가 찾아왔다.");
    s.line("/" + std::to_string(1 + i) + "k고맙습니다. 잊지 않겠습니다.");
    if (i == 7) s.line("/9k모두 건강하게 지내세요.");
    s.line("a");
}

Bytes stage_script(int stage) {
    Script s;
    s.line("# 스테이지 " + two(stage) + " 대사");
    clear_conditions(s, stage);
    for (int id : stage_sections()) {
        if (stage == 40 && id >= 68 && id <= 75)
            ending(s, id);
        else
            dialogue(s, stage, id);
    }
    return s.bytes;
}

// File 51: the item texts, section (321 + id) % 256 for ids 0..61 and
// (360 + id) % 256 for ids 62..106, the item name as argument 0. Drawn on the
// item screens under the list, without a frame; the picture is kept.
Bytes item_script() {
    Script s;
    s.line("# 아이템 설명");
    for (int item = 0; item < 107; ++item) {
        s.section(item < 62 ? 321 + item : 360 + item);
        s.line(">");
        s.line(".0아이템 " + std::to_string(item) + "번의 설명입니다.");
        if (item % 2) s.line("두 번째 줄의 설명이 이어집니다.");
        s.line("a");
    }
    return s.bytes;
}

// File 52: the weapon exchange (567), the item slot menu (568, 569), the shop
// (576 and 576 + the customer's character id) and the spells (609..611).
//
// 567, 568 and 576 open the windows that their screens then fill, and the
// screens save those windows' insides as the clean background of their own
// rows: the exchange lists both units' items in the upper window and in
// rows 12..16 of the lower one, the item slot menu and the shop restore rows
// 12..16 before an item's text, and the shop lists its stock on rows 3..7.
// So these sections write no text there; only 568 has a line, on the upper
// window's first row (a speaker prefix without a name starts it there),
// which the slot list (rows 4..7) leaves free.
Bytes shared_script() {
    Script s;
    s.line("# 공용 대사");
    s.section(567);  // the user and the partner
    s.line("<*");
    s.line(">*");
    s.line("a");
    s.section(568);  // the unit
    s.line(">.");
    s.line("<*");
    s.line("**무기와 도구를 확인합니다.");
    s.line("a");
    s.section(569);  // an empty string
    s.line(">");
    s.line(".0어느 것을 어떻게 하시겠습니까?");
    s.line("a");
    s.section(576);  // the customer
    s.line("<*");
    s.line(">.");
    s.line("a");
    for (int ch = 1; ch <= 29; ++ch) {  // the customer's display name
        s.section(576 + ch);
        s.line(">.");
        s.line("/0좋은 물건이 있습니까? (손님 " + two(ch) + ")");
        s.line("a");
    }
    const char* spells[3] = {"빛이여, 모든 것을 태워라!", "천사여, 내려오라!", "대지여, 불을 뿜어라!"};
    for (int k = 0; k < 3; ++k) {
        s.section(609 + k);
        s.line(">.");
        s.line("&k" + std::string(spells[k]));
        s.line("e");
    }
    return s.bytes;
}

// ---- pictures ---------------------------------------------------------------------

// A face is drawn at the top left of its window's face box, 160 x 160
// pixels (20 columns by 160 lines), and the upper window mirrors most faces
// left to right within that box. The box's top 20 lines lie above the
// window's frame (the frame's top line starts one text row above its first
// text row, the box a row above that), and its last 20 lines are the
// frame's bottom line; the box's outer 16 columns (left in the upper window,
// right in the lower) are the frame's side. The kit's frame draws its band
// in the outer 10 lines of its top and bottom chips (after 4 clear lines at
// the top, before 4 at the bottom) and the outer 6 columns of its sides, so
// inside the box the window's fill is lines 30..149 and, mirrored or not,
// columns 6..153. The face keeps 2 pixels inside that.
constexpr int FACE_W = 160, FACE_H = 160;
constexpr int FACE_LEFT = 8, FACE_RIGHT = 151, FACE_TOP = 32, FACE_BOTTOM = 147;

// A face: head and shoulders on the transparent key, the shoulders cut by
// the window's fill, and the hair parted on its left side; in the marked
// kit its code at the top left of the figure (so a mirrored face shows it at
// the right, reversed).
Image face_picture(const Kit& kit, const std::string& code, int n) {
    static const uint8_t clothes[] = {RED, BLUE, LIME, ORANGE, NAVY, OLIVE, BROWN, TAUPE, SILVER, DGREY};
    static const uint8_t hair[] = {BROWN, BLACK, ORANGE, CREAM, TAN, DGREY, NAVY};
    const uint8_t cloth = clothes[n % 10];
    const uint8_t hc = hair[(n / 10) % 7];
    Image fig(FACE_W, FACE_H, KEY);
    fig.ellipse(80, FACE_BOTTOM + 4, 58, 28, cloth);
    fig.fill(69, 108, 91, 126, PEACH);
    fig.disc(80, 84, 32, PEACH);
    fig.ellipse(80, 58, 33, 14, hc);
    fig.fill(47, 52, 60, 92, hc);  // the parting: hair down the left side
    fig.disc(68, 86, 4, BLACK);
    fig.disc(92, 86, 4, BLACK);
    fig.line(72, 104, 88, 104, RED);
    // The outline goes round the figure, then the shoulders end flat on the
    // last line, as the window cuts them.
    fig.fill(0, FACE_BOTTOM, FACE_W - 1, FACE_H - 1, KEY);
    fig.outline(BLACK);
    Image img(FACE_W, FACE_H, KEY);
    img.blit(fig.crop(FACE_LEFT, FACE_TOP, FACE_RIGHT - FACE_LEFT + 1, FACE_BOTTOM - FACE_TOP + 1), FACE_LEFT, FACE_TOP,
             KEY);
    if (!kit.marked) return img;
    Image label(56, 44, KEY);
    font_text(label, kit.font, 2, 2, code.c_str(), WHITE, 2);
    label.outline(BLACK);
    img.blit(label, FACE_LEFT, FACE_TOP, KEY);
    return img;
}

}  // namespace

void gen_story(const Kit& kit) {
    for (int stage = 1; stage <= 40; ++stage) write_file(kit.dat("stage" + two(stage) + ".msg"), stage_script(stage));
    write_file(kit.dat("stage51.msg"), item_script());
    write_file(kit.dat("stage52.msg"), shared_script());

    // Faces: first character a digit or a letter W..j, second a digit.
    const std::string firsts = "0123456789WXYZabcdefghij";
    for (char a : firsts) {
        for (char b = '0'; b <= '9'; ++b) {
            const std::string code{a, b};
            const int tens = a <= '9' ? a - '0' : a - 'W';
            write_file(kit.bmp("face" + code + ".BMP"), bmp_encode(face_picture(kit, code, tens * 10 + (b - '0'))));
        }
    }

    // The game-over picture, drawn at (0, 0) over the whole view.
    Image over(640, 400, BLACK);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 640; ++x)
            if (bayer4(x, y) < (y * 6) / 400) over.set(x, y, NAVY);
    tiny_label(over, 320 - tiny_width("GAME OVER") * 10 / 2, 130, "GAME OVER", RED, WHITE, 10);
    font_text(over, kit.font, 320 - font_width("게임 오버", 3) / 2, 220, "게임 오버", WHITE, 3);
    write_file(kit.bmp("gameover.BMP"), bmp_encode(over));

    // The backdrop of the item, save and party screens, drawn at column 2
    // over the shown 608 x 384 pixels: a plain border and one panel. Those
    // screens write their title at y 8 and the save prompt on text row 1
    // (y 20..39) on the border, and their lines on text rows 2 to 18 on the
    // panel. The panel's top edge is line 40: below the prompt's row, and
    // above the glyphs of row 2 (lines 42..57, the party list's header). Its
    // ground is colour 14: the bag screen fills its panel area with 14, and
    // the light hover turns 14 into 2.
    // The picture brings its own colours: 14 a dark blue under the white
    // text, and 8 (the bag list's header, a party member that has moved) a
    // light blue that stands out on it.
    Image back(608, 384, NAVY);
    back.rect(2, 2, 605, 381, BLACK);
    back.fill(13, 41, 594, 379, KEY);
    back.rect(12, 40, 595, 380, SILVER);
    back.rect(0, 0, 607, 383, SILVER);
    if (kit.marked) tiny_label(back, 20, 10, "BACK1", CREAM, BLACK, 3);
    Bytes bmp = bmp_encode(back);
    auto colour = [&](int n, uint8_t r, uint8_t g, uint8_t b) {
        const size_t at = 14 + 40 + static_cast<size_t>(n) * 4;
        bmp[at + 0] = b;
        bmp[at + 1] = g;
        bmp[at + 2] = r;
    };
    colour(KEY, 0x11, 0x22, 0x66);
    colour(BLUE, 0x77, 0xAA, 0xFF);
    write_file(kit.bmp("back1.BMP"), bmp);
}

}  // namespace kit
