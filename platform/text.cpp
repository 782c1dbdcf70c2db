// Font and text drawing.
#include "platform/text.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/screen.h"
#include "platform/shell.h"

std::array<uint8_t, FONT_FILE_SIZE> g_font{};
int32_t g_font_loaded = 0;
int32_t g_text_x = 0;
int32_t g_text_y = 0;
char g_number_text[12];

// In the order the endings were collected; the last three entries are
// full-width spaces.
const char g_particle_table[][3] = {
    "가", "갸", "거", "게", "겨", "계", "고", "과", "교", "구", "궈", "궤", "귀", "규", "그", "긔", "기", "까", "개",
    "꺼", "꼬", "꾜", "꾸", "꿔", "꿰", "뀌", "뀨", "끄", "끼", "나", "내", "냐", "너", "네", "녀", "녜", "노", "놔",
    "뇌", "뇨", "누", "눠", "뉘", "뉴", "느", "늬", "니", "다", "대", "댜", "더", "데", "뎌", "뎨", "도", "돠", "돼",
    "되", "됴", "두", "둬", "뒤", "듀", "드", "듸", "디", "따", "때", "떠", "떼", "뗘", "또", "똬", "뙤", "뚜", "뛰",
    "뜨", "띄", "띠", "라", "래", "랴", "레", "려", "례", "로", "롸", "뢰", "료", "루", "뤼", "류", "르", "리", "마",
    "매", "먀", "머", "메", "며", "몌", "모", "뫄", "뫼", "묘", "무", "뭐", "뮤", "므", "미", "바", "배", "뱌", "버",
    "베", "벼", "볘", "보", "봐", "뵈", "뵤", "부", "붜", "뷰", "브", "비", "살", "결", "설", "술", "늘", "뼈", "뽀",
    "괴", "효", "뿌", "쀼", "쁘", "삐", "사", "새", "샤", "섀", "서", "세", "셔", "셰", "소", "솨", "쇄", "쇠", "쇼",
    "수", "숴", "쉐", "쉬", "쉿", "슈", "스", "시", "싸", "쌔", "써", "쎄", "쏘", "쏴", "쐐", "쐬", "쑈", "쑤", "쒀",
    "쒸", "쓰", "씌", "씨", "아", "애", "야", "얘", "어", "에", "여", "예", "오", "와", "왜", "외", "요", "우", "워",
    "웨", "위", "유", "으", "의", "이", "자", "재", "쟈", "쟤", "저", "제", "져", "졔", "조", "좌", "죄", "죠", "주",
    "줘", "줴", "쥐", "즈", "지", "짜", "째", "쨔", "쩌", "쩨", "２", "쪼", "쫘", "４", "쬐", "쭈", "쭤", "쮜", "쮸",
    "쯔", "찌", "차", "채", "챠", "처", "체", "쳐", "쳬", "초", "촤", "최", "쵸", "추", "춰", "취", "츄", "츠", "치",
    "카", "캐", "캬", "커", "케", "켜", "켸", "코", "콰", "５", "쿄", "쿼", "퀘", "퀴", "큐", "크", "키", "타", "태",
    "탸", "터", "테", "텨", "톄", "토", "톼", "퇴", "툐", "투", "튀", "튜", "트", "틔", "티", "파", "패", "퍄", "퍼",
    "페", "펴", "폐", "포", "퐈", "푀", "표", "푸", "퓌", "퓨", "프", "피", "하", "해", "햐", "허", "헤", "혀", "혜",
    "호", "화", "９", "회", "후", "훠", "훼", "휘", "휴", "흐", "희", "히", "　", "　", "　",
};
static_assert(sizeof g_particle_table / sizeof g_particle_table[0] == PARTICLE_TABLE_SIZE);

namespace {

constexpr int GLYPH_LINES = 16;

// Reads the font file once. A short file leaves the glyphs it lacks blank; a
// missing one leaves every glyph blank.
void font_load() {
    g_font.fill(0);
    g_font_loaded = 1;
    const std::string path = std::string(g_exe_dir) + "\\k.fnt";
    std::unique_ptr<FILE, int (*)(FILE*)> f(sys_fopen(path, "rb"), &std::fclose);
    if (!f) return;
    size_t got = 0;
    while (got < g_font.size()) {
        const size_t n = std::fread(g_font.data() + got, 1, g_font.size() - got, f.get());
        if (n == 0) break;
        got += n;
    }
}

constexpr std::array<uint8_t, 256> make_reverse_table() {
    std::array<uint8_t, 256> t{};
    for (int v = 0; v < 256; ++v) {
        int r = 0;
        for (int b = 0; b < 8; ++b)
            if (v & (1 << b)) r |= 0x80 >> b;
        t[v] = static_cast<uint8_t>(r);
    }
    return t;
}
constexpr std::array<uint8_t, 256> g_bit_reverse = make_reverse_table();

// Draws one glyph with its top line at y and its left column at x. Bit gx of
// lines[gy] is the glyph pixel (gx, gy). A set pixel takes the colour; the
// pixels to the right of, below and below right of a set pixel turn black
// unless they are set themselves (later glyph pixels overwrite the black of
// earlier ones), so the text has a black shadow one pixel right and down.
void draw_glyph(uint8_t* image, int64_t x, int64_t y, const uint32_t* lines, int width, uint8_t colour) {
    const uint32_t columns = (1u << (width + 1)) - 1;  // the glyph and its shadow column
    for (int gy = 0; gy <= GLYPH_LINES; ++gy) {
        const int64_t line = y + gy;
        if (line < 0 || line >= SCREEN_H) continue;
        const uint32_t cur = gy < GLYPH_LINES ? lines[gy] : 0;
        const uint32_t prev = gy > 0 ? lines[gy - 1] : 0;
        const uint32_t black = ((cur << 1) | prev | (prev << 1)) & ~cur & columns;
        uint32_t all = (cur | black) & columns;
        if (!all) continue;
        uint8_t* row = gfx_dib_pixels(image) + (SCREEN_H - 1 - line) * SCREEN_W;
        while (all) {
            const int gx = __builtin_ctz(all);
            all &= all - 1;
            const int64_t px = x + gx;
            if (px < 0 || px >= SCREEN_W) continue;
            row[px] = (cur >> gx) & 1 ? colour : 0;
        }
    }
}

// Draws a single-byte (lead <= 160) or double-byte character; returns its
// width.
int draw_char(uint8_t* image, int64_t x, int64_t y, uint8_t lead, uint8_t trail, uint8_t colour) {
    uint8_t glyph[32];
    uint32_t lines[GLYPH_LINES];
    const int width = lead >= 161 ? 16 : 8;
    if (!image) return width;
    txt_font_glyph(lead, trail, glyph);
    for (int gy = 0; gy < GLYPH_LINES; ++gy) {
        if (width == 8)
            lines[gy] = g_bit_reverse[glyph[gy]];
        else
            lines[gy] = g_bit_reverse[glyph[2 * gy]] | (uint32_t{g_bit_reverse[glyph[2 * gy + 1]]} << 8);
    }
    draw_glyph(image, x, y + 2, lines, width, colour);
    return width;
}

int hex_value(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void draw_markup(int32_t col, int32_t row, const char* text, int32_t colour, uint8_t* image) {
    int64_t x, y;
    if (col >= 0) {
        x = int64_t{col} * 8;
        y = int64_t{row} * 20;
    } else {
        x = g_text_x;
        y = g_text_y;
    }
    const uint8_t base = static_cast<uint8_t>(colour);
    uint8_t cur = base;
    const auto* p = reinterpret_cast<const uint8_t*>(text ? text : "");
    while (*p) {
        const uint8_t c = *p;
        if (c == '/') {
            const uint8_t code = p[1];
            if (code == 0) break;  // a slash at the end ends the text
            p += 2;
            const int v = hex_value(code);
            if (v >= 0)
                cur = static_cast<uint8_t>(v);
            else if (code == '*')
                cur = base;
            else if (code == '/')
                x += draw_char(image, x, y, '/', 0, cur);
            continue;
        }
        if (c >= 161) {
            if (p[1] == 0) break;  // a lead byte at the end ends the text
            x += draw_char(image, x, y, c, p[1], cur);
            p += 2;
        } else {
            x += draw_char(image, x, y, c, 0, cur);
            p += 1;
        }
    }
    g_text_x = static_cast<int32_t>(x);
    g_text_y = static_cast<int32_t>(y);
}

}  // namespace

int txt_font_glyph(uint8_t lead, uint8_t trail, uint8_t* out) {
    if (!g_font_loaded) font_load();
    int64_t offset, size;
    if (lead >= 161) {
        offset = ((int64_t{lead} - 160) * 96 + (int64_t{trail} - 160)) * 32;
        size = 32;
    } else {
        offset = int64_t{lead} * 16;
        size = 16;
    }
    if (offset < 0 || offset + size > static_cast<int64_t>(g_font.size())) {
        std::memset(out, 0, static_cast<size_t>(size));
        return 0;
    }
    std::memcpy(out, g_font.data() + offset, static_cast<size_t>(size));
    return 1;
}

void txt_font_reset() {
    g_font_loaded = 0;
    g_font.fill(0);
}

void txt_set_cursor(int32_t col, int32_t y) {
    g_text_x = static_cast<int32_t>(int64_t{col} * 8);
    g_text_y = y;
}

void txt_draw_string(int32_t col, int32_t row, const char* text, int32_t colour) {
    draw_markup(col, row, text, colour, g_back_dib);
}

void txt_draw_string_alt(int32_t col, int32_t row, const char* text, int32_t colour) {
    draw_markup(col, row, text, colour, g_back_dib);
}

void txt_draw_string_to(int32_t col, int32_t row, const char* text, int32_t colour, uint8_t* image) {
    draw_markup(col, row, text, colour, image);
}

int txt_ends_without_final(const char* name) {
    if (!name) return 0;
    const size_t n = std::strlen(name);
    if (n < 2) return 0;
    for (const auto& entry : g_particle_table)
        if (name[n - 2] == entry[0] && name[n - 1] == entry[1]) return 1;
    return 0;
}

char* txt_format_uint(uint32_t value, int32_t width) {
    constexpr int32_t MAX_WIDTH = static_cast<int32_t>(sizeof g_number_text) - 1;
    int32_t digits = 1;
    for (uint32_t v = value; v >= 10; v /= 10) ++digits;
    int32_t field = width < 0 ? 0 : (width > MAX_WIDTH ? MAX_WIDTH : width);
    if (field < digits) field = digits;  // at most 10 digits: always fits
    std::memset(g_number_text, ' ', static_cast<size_t>(field));
    g_number_text[field] = 0;
    int32_t pos = field - 1;
    do {
        g_number_text[pos--] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 && pos >= 0);
    return g_number_text;
}
