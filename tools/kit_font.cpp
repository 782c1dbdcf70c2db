// k.fnt from GNU Unifont: 131,072 bytes.
//   single byte c (c <= 160): offset c x 16, 16 bytes, 8 x 16, a byte a line;
//   lead l >= 161, trail t: offset ((l - 160) x 96 + (t - 160)) x 32, 32 bytes,
//   16 x 16, two bytes a line (left byte first); top line first, MSB leftmost.
// Double-byte glyphs are filled for leads 161..201 and trails 161..254 in
// KS X 1001 order: the two CP949 bytes are converted to Unicode with iconv
// and take Unifont's glyph of that code point (narrow glyphs centred).
// Bytes 32..126 take Unifont's ASCII glyphs; every other slot stays blank.
#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/kit.h"

namespace kit {

namespace {

int hexval(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

struct Unifont {
    std::vector<uint8_t> width = std::vector<uint8_t>(0x10000, 0);  // 0 none, 8 or 16
    Bytes bits = Bytes(0x10000 * 32, 0);
};

void load_unifont(const std::string& path, Unifont& u) {
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) throw std::runtime_error("cannot open the unifont file " + path);
    char line[512];
    int count = 0;
    while (std::fgets(line, sizeof line, f)) {
        char* colon = std::strchr(line, ':');
        if (!colon) continue;
        unsigned long cp = std::strtoul(line, nullptr, 16);
        if (cp > 0xFFFF) continue;
        const char* h = colon + 1;
        size_t n = 0;
        while (hexval(h[n]) >= 0) ++n;
        if (n != 32 && n != 64) continue;
        uint8_t* dst = &u.bits[cp * 32];
        for (size_t i = 0; i < n / 2; ++i) dst[i] = static_cast<uint8_t>(hexval(h[2 * i]) * 16 + hexval(h[2 * i + 1]));
        u.width[cp] = n == 32 ? 8 : 16;
        ++count;
    }
    std::fclose(f);
    if (count < 1000) throw std::runtime_error("the unifont file " + path + " holds too few glyphs");
}

// CP949 bytes to one code point, or -1.
long cp949_to_unicode(iconv_t cd, uint8_t lead, uint8_t trail) {
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    uint8_t outb[16];
    char* src = in;
    size_t left = 2;
    char* dst = reinterpret_cast<char*>(outb);
    size_t room = sizeof outb;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset the state
    size_t r = iconv(cd, &src, &left, &dst, &room);
    if (r == static_cast<size_t>(-1) || left != 0 || sizeof outb - room != 4) return -1;
    return static_cast<long>(outb[0] | (outb[1] << 8) | (outb[2] << 16) | (static_cast<uint32_t>(outb[3]) << 24));
}

}  // namespace

Bytes build_kfnt(const std::string& unifont_hex) {
    Unifont u;
    load_unifont(unifont_hex, u);
    Bytes fnt(KFNT_SIZE, 0);
    for (int c = 32; c <= 126; ++c)
        if (u.width[c] == 8) std::memcpy(&fnt[c * 16], &u.bits[c * 32], 16);

    iconv_t cd = iconv_open("UTF-32LE", "CP949");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no CP949 conversion");
    for (int l = 161; l <= 201; ++l)
        for (int t = 161; t <= 254; ++t) {
            long cp = cp949_to_unicode(cd, static_cast<uint8_t>(l), static_cast<uint8_t>(t));
            if (cp < 0 || cp > 0xFFFF || u.width[cp] == 0) continue;
            size_t off = static_cast<size_t>((l - 160) * 96 + (t - 160)) * 32;
            const uint8_t* g = &u.bits[cp * 32];
            if (u.width[cp] == 16) {
                std::memcpy(&fnt[off], g, 32);
            } else {
                for (int y = 0; y < 16; ++y) {  // an 8-wide glyph centred in 16
                    fnt[off + y * 2] = static_cast<uint8_t>(g[y] >> 4);
                    fnt[off + y * 2 + 1] = static_cast<uint8_t>((g[y] << 4) & 0xFF);
                }
            }
        }
    iconv_close(cd);
    return fnt;
}

int font_width(const char* text, int scale) {
    int w = 0;
    for (const uint8_t* p = reinterpret_cast<const uint8_t*>(text); *p; ++p) {
        if (*p >= 161 && p[1]) {
            w += 16 * scale;
            ++p;
        } else {
            w += 8 * scale;
        }
    }
    return w;
}

int font_text(Image& img, const Bytes& fnt, int x, int y, const char* text, uint8_t c, int scale) {
    int x0 = x;
    for (const uint8_t* p = reinterpret_cast<const uint8_t*>(text); *p; ++p) {
        size_t off;
        int gw;
        if (*p >= 161 && p[1]) {
            off = static_cast<size_t>((p[0] - 160) * 96 + (p[1] - 160)) * 32;
            gw = 16;
            ++p;
        } else {
            off = static_cast<size_t>(*p) * 16;
            gw = 8;
        }
        if (off + gw * 2 <= fnt.size()) {
            for (int gy = 0; gy < 16; ++gy)
                for (int gx = 0; gx < gw; ++gx) {
                    uint8_t b = gw == 16 ? fnt[off + gy * 2 + gx / 8] : fnt[off + gy];
                    if (b & (0x80 >> (gx & 7)))
                        img.fill(x + gx * scale, y + gy * scale, x + gx * scale + scale - 1, y + gy * scale + scale - 1,
                                 c);
                }
        }
        x += gw * scale;
    }
    return x - x0;
}

}  // namespace kit
