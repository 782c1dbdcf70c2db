// Images, the kit palette, the small built-in font, the BMP writer and files.
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "tools/kit.h"

namespace kit {

const Rgb4* palette() {
    // Colours 0..13: the colour-cycling reference (the map palette);
    // 14: the first cycle colour; 15: white.
    static const Rgb4 p[16] = {
        {0x0, 0x0, 0x0}, {0xF, 0xC, 0x8}, {0xD, 0x9, 0x5}, {0x3, 0x3, 0x3}, {0x8, 0x4, 0x3}, {0x5, 0x7, 0x1},
        {0xA, 0xC, 0x3}, {0xF, 0xD, 0x7}, {0x3, 0x3, 0xE}, {0xF, 0xA, 0x0}, {0xF, 0x4, 0x0}, {0x0, 0x2, 0x8},
        {0x8, 0x7, 0x6}, {0xC, 0xB, 0xA}, {0x8, 0xB, 0xF}, {0xF, 0xF, 0xF},
    };
    return p;
}

// ---- Image ---------------------------------------------------------------------

void Image::fill(int x0, int y0, int x1, int y1, uint8_t c) {
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, w - 1);
    y1 = std::min(y1, h - 1);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) px[y * w + x] = c;
}

void Image::rect(int x0, int y0, int x1, int y1, uint8_t c) {
    fill(x0, y0, x1, y0, c);
    fill(x0, y1, x1, y1, c);
    fill(x0, y0, x0, y1, c);
    fill(x1, y0, x1, y1, c);
}

void Image::line(int x0, int y0, int x1, int y1, uint8_t c) {
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        set(x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void Image::disc(int cx, int cy, int r, uint8_t c) { ellipse(cx, cy, r, r, c); }

void Image::ellipse(int cx, int cy, int rx, int ry, uint8_t c) {
    if (rx <= 0 || ry <= 0) {
        set(cx, cy, c);
        return;
    }
    for (int y = -ry; y <= ry; ++y)
        for (int x = -rx; x <= rx; ++x) {
            double fx = static_cast<double>(x) / (rx + 0.5), fy = static_cast<double>(y) / (ry + 0.5);
            if (fx * fx + fy * fy <= 1.0) set(cx + x, cy + y, c);
        }
}

void Image::polygon(const std::vector<std::pair<double, double>>& pts, uint8_t c) {
    if (pts.size() < 3) return;
    double minx = pts[0].first, maxx = minx, miny = pts[0].second, maxy = miny;
    for (auto& p : pts) {
        minx = std::min(minx, p.first);
        maxx = std::max(maxx, p.first);
        miny = std::min(miny, p.second);
        maxy = std::max(maxy, p.second);
    }
    for (int y = static_cast<int>(std::floor(miny)); y <= static_cast<int>(std::ceil(maxy)); ++y)
        for (int x = static_cast<int>(std::floor(minx)); x <= static_cast<int>(std::ceil(maxx)); ++x) {
            double px_ = x + 0.5, py_ = y + 0.5;
            bool inside = false;
            for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
                double xi = pts[i].first, yi = pts[i].second, xj = pts[j].first, yj = pts[j].second;
                if ((yi > py_) != (yj > py_) && px_ < (xj - xi) * (py_ - yi) / (yj - yi) + xi) inside = !inside;
            }
            if (inside) set(x, y, c);
        }
}

void Image::blit(const Image& src, int dx, int dy, int key) {
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            uint8_t c = src.px[y * src.w + x];
            if (key >= 0 && c == key) continue;
            set(dx + x, dy + y, c);
        }
}

Image Image::crop(int x, int y, int cw, int ch) const {
    Image r(cw, ch, KEY);
    for (int j = 0; j < ch; ++j)
        for (int i = 0; i < cw; ++i) r.px[j * cw + i] = get(x + i, y + j);
    return r;
}

Image Image::mirrored_x() const {
    Image r(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) r.px[y * w + x] = px[y * w + (w - 1 - x)];
    return r;
}

Image Image::mirrored_y() const {
    Image r(w, h);
    for (int y = 0; y < h; ++y) std::memcpy(&r.px[y * w], &px[(h - 1 - y) * w], w);
    return r;
}

void Image::outline(uint8_t colour, uint8_t bg) {
    Bytes next = px;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (px[y * w + x] != bg) continue;
            bool touch = false;
            for (int j = -1; j <= 1 && !touch; ++j)
                for (int i = -1; i <= 1; ++i) {
                    if (!in(x + i, y + j)) continue;
                    uint8_t c = px[(y + j) * w + x + i];
                    if (c != bg && c != colour) {
                        touch = true;
                        break;
                    }
                }
            if (touch) next[y * w + x] = colour;
        }
    px.swap(next);
}

int bayer4(int x, int y) {
    static const int m[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return m[y & 3][x & 3];
}

Image code_part(int a, int b) {
    Image p(16, 16, KEY);
    const int digits[4] = {a / 10 % 10, a % 10, b / 10 % 10, b % 10};
    for (int s = 0; s < 4; ++s) p.fill(0, 4 * s, 15, 4 * s + 3, static_cast<uint8_t>(digits[s]));
    return p;
}

// ---- story scenes ----------------------------------------------------------------

void story_scene(Image& img, int x0, int y0, int w, int h, uint8_t tone, int seed) {
    static const uint8_t LIGHTER[16] = {NAVY,   CREAM, CREAM,  TAUPE, ORANGE, LIME,  CREAM,  WHITE,
                                        SILVER, CREAM, ORANGE, BLUE,  SILVER, WHITE, SILVER, SILVER};
    const uint8_t low = LIGHTER[tone & 15];
    const int horizon = y0 + h * 3 / 5;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            img.set(x, y, bayer4(x, y) < (y - y0) * 16 / std::max(1, horizon - y0) ? low : tone);
    const double phase = seed * 0.7;
    for (int x = x0; x < x0 + w; ++x) {  // far hills, then the near ground
        const double u = static_cast<double>(x - x0) / w;
        const int far =
            horizon - static_cast<int>(h * (0.08 + 0.06 * std::sin(u * 7 + phase) + 0.03 * std::sin(u * 19 + phase)));
        img.fill(x, far, x, y0 + h - 1, DGREY);
        const int near = horizon + static_cast<int>(h * (0.08 + 0.04 * std::sin(u * 4 + phase * 2)));
        img.fill(x, near, x, y0 + h - 1, BLACK);
    }
    const int base = horizon + h / 10;
    switch (seed % 4) {
        case 0: {  // a castle on the hill
            const int cx = x0 + w * 2 / 3, cw = w / 6, ch = h / 4;
            img.fill(cx - cw / 2, base - ch, cx + cw / 2, base, BLACK);
            for (int k = -1; k <= 1; k += 2) {
                const int tx = cx + k * cw / 2;
                img.fill(tx - cw / 8, base - ch - h / 10, tx + cw / 8, base, BLACK);
                img.polygon({{tx - cw / 6.0, double(base - ch - h / 10)},
                             {double(tx), double(base - ch - h / 5)},
                             {tx + cw / 6.0, double(base - ch - h / 10)}},
                            BLACK);
            }
            for (int k = 0; k < 3; ++k)
                img.fill(cx - cw / 4 + k * cw / 4, base - ch / 2, cx - cw / 4 + k * cw / 4 + 1, base - ch / 2 + 3,
                         ORANGE);
            break;
        }
        case 1:  // a wood
            for (int k = 0; k < 7; ++k) {
                const int tx = x0 + w / 10 + k * w / 8, r = h / 14 + (k % 3) * h / 40;
                img.fill(tx - 1, base - r, tx + 1, base + r, BLACK);
                img.disc(tx, base - r - r / 2, r, BLACK);
            }
            break;
        case 2:  // two travellers
            for (int k = 0; k < 2; ++k) {
                const int px = x0 + w * 2 / 5 + k * w / 12, ph = h / 7;
                img.disc(px, base - ph, ph / 5, BLACK);
                img.polygon(
                    {{px - ph / 4.0, double(base)}, {double(px), base - ph + ph / 5.0}, {px + ph / 4.0, double(base)}},
                    BLACK);
            }
            break;
        default:  // a moon over the hills
            img.disc(x0 + w * 3 / 4, y0 + h / 4, h / 10, CREAM);
            img.disc(x0 + w * 3 / 4 + h / 25, y0 + h / 4 - h / 40, h / 10, tone);
            break;
    }
    img.rect(x0 + 2, y0 + 2, x0 + w - 3, y0 + h - 3, TAUPE);
}

// ---- tiny font -----------------------------------------------------------------

namespace {

struct TinyGlyph {
    char c;
    const char* rows[5];
};

// clang-format off
const TinyGlyph TINY[] = {
    {'0', {"###", "#.#", "#.#", "#.#", "###"}}, {'1', {"#", "#", "#", "#", "#"}},
    {'2', {"###", "..#", "###", "#..", "###"}}, {'3', {"###", "..#", "###", "..#", "###"}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}}, {'5', {"###", "#..", "###", "..#", "###"}},
    {'6', {"###", "#..", "###", "#.#", "###"}}, {'7', {"###", "..#", "..#", "..#", "..#"}},
    {'8', {"###", "#.#", "###", "#.#", "###"}}, {'9', {"###", "#.#", "###", "..#", "###"}},
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}}, {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'C', {"###", "#..", "#..", "#..", "###"}}, {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {'E', {"###", "#..", "##.", "#..", "###"}}, {'F', {"###", "#..", "##.", "#..", "#.."}},
    {'G', {"###", "#..", "#.#", "#.#", "###"}}, {'H', {"#.#", "#.#", "###", "#.#", "#.#"}},
    {'I', {"###", ".#.", ".#.", ".#.", "###"}}, {'J', {"..#", "..#", "..#", "#.#", "###"}},
    {'K', {"#.#", "#.#", "##.", "#.#", "#.#"}}, {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'M', {"#...#", "##.##", "#.#.#", "#...#", "#...#"}}, {'N', {"#..#", "##.#", "#.##", "#..#", "#..#"}},
    {'O', {"###", "#.#", "#.#", "#.#", "###"}}, {'P', {"###", "#.#", "###", "#..", "#.."}},
    {'Q', {"###", "#.#", "#.#", "###", "..#"}}, {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {"###", "#..", "###", "..#", "###"}}, {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {'U', {"#.#", "#.#", "#.#", "#.#", "###"}}, {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
    {'W', {"#...#", "#...#", "#.#.#", "##.##", "#...#"}}, {'X', {"#.#", "#.#", ".#.", "#.#", "#.#"}},
    {'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}}, {'Z', {"###", "..#", ".#.", "#..", "###"}},
    {'_', {"...", "...", "...", "...", "###"}}, {'.', {".", ".", ".", ".", "#"}},
    {'-', {"...", "...", "###", "...", "..."}}, {'?', {"###", "..#", ".##", "...", ".#."}},
    {' ', {"..", "..", "..", "..", ".."}},
};
// clang-format on

const TinyGlyph* tiny_glyph(char c) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const auto& g : TINY)
        if (g.c == c) return &g;
    return nullptr;
}

}  // namespace

int tiny_width(const std::string& s) {
    int w = 0;
    for (char c : s) {
        const TinyGlyph* g = tiny_glyph(c);
        if (!g) continue;
        if (w) w += 1;
        w += static_cast<int>(std::strlen(g->rows[0]));
    }
    return w;
}

void tiny_text(Image& img, int x, int y, const std::string& s, uint8_t c, int scale) {
    bool first = true;
    for (char ch : s) {
        const TinyGlyph* g = tiny_glyph(ch);
        if (!g) continue;
        if (!first) x += scale;
        first = false;
        int gw = static_cast<int>(std::strlen(g->rows[0]));
        for (int r = 0; r < 5; ++r)
            for (int i = 0; i < gw; ++i)
                if (g->rows[r][i] == '#')
                    img.fill(x + i * scale, y + r * scale, x + i * scale + scale - 1, y + r * scale + scale - 1, c);
        x += gw * scale;
    }
}

void tiny_label(Image& img, int x, int y, const std::string& s, uint8_t c, uint8_t outline, int scale) {
    Image m(tiny_width(s) * scale + 2, 5 * scale + 2, KEY);
    tiny_text(m, 1, 1, s, c, scale);
    m.outline(outline);
    img.blit(m, x - 1, y - 1, KEY);
}

// ---- files ---------------------------------------------------------------------------

void put16(Bytes& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x & 0xFF));
    v.push_back(static_cast<uint8_t>((x >> 8) & 0xFF));
}

void put32(Bytes& v, uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

Bytes bmp_encode(const Image& img, bool grey_ramp) {
    if (img.w <= 0 || img.h <= 0 || img.w % 4 != 0)
        throw std::runtime_error("BMP width must be a positive multiple of 4");
    const uint32_t offset = 14 + 40 + 1024;
    const uint32_t size = static_cast<uint32_t>(img.w) * img.h;
    Bytes f;
    f.reserve(offset + size);
    f.push_back('B');
    f.push_back('M');
    put32(f, offset + size);
    put32(f, 0);
    put32(f, offset);
    put32(f, 40);
    put32(f, img.w);
    put32(f, img.h);
    put16(f, 1);
    put16(f, 8);
    put32(f, 0);  // no compression
    put32(f, size);
    put32(f, 2835);  // 72 dpi
    put32(f, 2835);
    put32(f, 256);
    put32(f, 16);  // colours that matter
    const Rgb4* pal = palette();
    for (int i = 0; i < 256; ++i) {
        if (i < 16) {
            f.push_back(static_cast<uint8_t>(pal[i].b * 0x11));
            f.push_back(static_cast<uint8_t>(pal[i].g * 0x11));
            f.push_back(static_cast<uint8_t>(pal[i].r * 0x11));
        } else {
            uint8_t v = grey_ramp ? static_cast<uint8_t>(i) : 0;
            f.push_back(v);
            f.push_back(v);
            f.push_back(v);
        }
        f.push_back(0);
    }
    for (int y = img.h - 1; y >= 0; --y)
        f.insert(f.end(), img.px.begin() + y * img.w, img.px.begin() + (y + 1) * img.w);
    return f;
}

void write_file(const std::string& path, const Bytes& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot create " + path);
    bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) throw std::runtime_error("cannot write " + path);
}

}  // namespace kit
