// Picture and data file loading.
#include "platform/files.h"

#include <cstring>

#include "platform/screen.h"
#include "platform/shell.h"

std::vector<uint8_t> g_load_dib;
int32_t g_dib_bits_offset = 1064;
char g_load_path[260];
int32_t g_dib_loaded = 0;

// PENDING: the full picture reader with its checks, LZ expansion and message
// boxes (pictures and data files issue). Reads a plain 8-bit BMP.
int gfx_load_dib(SysWnd window) {
    if (g_dib_loaded) gfx_drop_surface();
    FILE* f = sys_fopen(g_load_path, "rb");
    if (!f) {
        sys_message_box(window, "DIB을 불러오는 중에 오류가 발생했습니다.", "오류", MB_ICONSTOP);
        sys_post_message(window, MSG_SCENE_QUIT, 0, 0);
        return 0;
    }
    std::vector<uint8_t> all;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) all.insert(all.end(), buf, buf + n);
    std::fclose(f);
    if (all.size() < 14 + 40 + 1024 || all[0] != 'B' || all[1] != 'M') return 0;
    uint32_t off;
    std::memcpy(&off, all.data() + 10, 4);
    g_load_dib.assign(all.begin() + 14, all.begin() + 14 + 40 + 1024);
    if (off < all.size()) g_load_dib.insert(g_load_dib.end(), all.begin() + off, all.end());
    g_dib_bits_offset = 1064;
    g_dib_loaded = 1;
    return 1;
}
