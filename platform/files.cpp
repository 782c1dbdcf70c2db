// Picture and data file loading.
#include "platform/files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/screen.h"
#include "platform/shell.h"

std::vector<uint8_t> g_load_dib(SCREEN_HEADER_SIZE, 0);
int32_t g_dib_bits_offset = static_cast<int32_t>(SCREEN_HEADER_SIZE);
char g_load_path[260];
int32_t g_dib_loaded = 0;
uint32_t g_loaded_file_size = 0;
int32_t g_picture_missing_quits = 1;

namespace {

// Folder + name without its drive prefix. Empty when the result does not
// have "." as its fourth character from the end (no three-letter extension).
std::string make_path(const char* folder, const char* name) {
    if (!name) return {};
    std::string path = std::string(folder) + sys_skip_drive(name);
    if (path.size() < 4 || path[path.size() - 4] != '.') return {};
    return path;
}

// Row length in bytes of an 8-bit picture: padded to a multiple of 4.
uint32_t stride_of(int32_t width) { return (static_cast<uint32_t>(width) * 8 + 31) / 32 * 4; }

// Reads and checks the picture in an open file; the finished block goes to
// *block. Refuses everything the drawing code could not use safely.
int read_bmp(LzFile& f, std::vector<uint8_t>* block, int32_t* bits_offset) {
    BmpFileHeader fh;
    if (f.read(&fh, sizeof fh) != sizeof fh || fh.type != BMP_SIGNATURE) return 0;
    DibInfoHeader ih;
    if (f.read(&ih, sizeof ih) != sizeof ih) return 0;
    // The 12-byte header of old pictures (and anything shorter) is refused;
    // longer headers are read as their first 40 bytes.
    if (ih.size < sizeof ih) return 0;
    if (ih.compression != 0 || ih.bit_count != 8) return 0;
    if (ih.width < 1 || ih.width > BMP_MAX_SIDE || ih.height < 1 || ih.height > BMP_MAX_SIDE) return 0;

    uint32_t colours = ih.clr_used & 0xFFFF;
    if (colours == 0) colours = 256;
    if (colours > 256) return 0;  // more colours than 8 bits can index
    const uint32_t rows = stride_of(ih.width) * static_cast<uint32_t>(ih.height);
    if (ih.size_image == 0) ih.size_image = rows;
    if (ih.size_image < rows) return 0;
    // Only the rows are kept: padding a writer left after them is not read.
    ih.size_image = rows;
    const uint32_t header_size = ih.size;
    ih.size = sizeof ih;
    ih.clr_used = colours;
    ih.compression = 0;

    const uint32_t offset = static_cast<uint32_t>(sizeof ih) + colours * 4;
    try {
        block->assign(offset + static_cast<size_t>(rows), 0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    std::memcpy(block->data(), &ih, sizeof ih);
    // The colour table follows the header as long as the file says it is.
    if (!f.seek(sizeof fh + static_cast<uint64_t>(header_size))) return 0;
    if (f.read(block->data() + sizeof ih, colours * 4) != colours * 4) return 0;
    if (fh.off_bits != 0 && !f.seek(fh.off_bits)) return 0;
    if (gfx_lz_read_chunked(f, block->data() + offset, rows) != rows) return 0;
    *bits_offset = static_cast<int32_t>(offset);
    return 1;
}

}  // namespace

uint32_t gfx_image_bits_offset(const uint8_t* image) {
    if (!image) return static_cast<uint32_t>(SCREEN_HEADER_SIZE);
    DibInfoHeader h;
    std::memcpy(&h, image, sizeof h);
    uint32_t colours = h.clr_used & 0xFFFF;
    if (colours == 0 || colours > 256) colours = 256;
    return static_cast<uint32_t>(sizeof h) + colours * 4;
}

uint32_t gfx_lz_read_chunked(LzFile& file, uint8_t* dest, uint32_t n) {
    uint32_t done = 0;
    while (done < n) {
        const uint32_t part = n - done < LZ_READ_CHUNK ? n - done : LZ_READ_CHUNK;
        if (file.read(dest + done, part) != part) return 0;
        done += part;
    }
    return n;
}

int gfx_read_bmp_file(SysWnd window) {
    LzFile f;
    int err = 0;
    // Three tries, 200 ms apart, for a medium that is slow to answer.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) sys_sleep_ms(200);
        err = f.open(g_load_path);
        if (err == 0) break;
    }
    if (!f.is_open()) {
        char text[512];
        std::snprintf(text, sizeof text, "파일 '%s' 을／를 열 수 없습니다.[%x]", file_shown_path(g_load_path).c_str(),
                      static_cast<unsigned>(err));
        sys_message_box(window, text, "오류", MB_ICONSTOP | MB_TOPMOST);
        if (g_picture_missing_quits) win_shutdown_for_file(window, g_load_path);
        return 0;
    }
    std::vector<uint8_t> block;
    int32_t offset = 0;
    if (!read_bmp(f, &block, &offset)) return 0;
    g_load_dib = std::move(block);
    g_dib_bits_offset = offset;
    return 1;
}

int gfx_load_dib(SysWnd window) {
    if (g_dib_loaded) gfx_drop_surface();
    if (gfx_read_bmp_file(window)) {
        g_dib_loaded = 1;
        reinterpret_cast<DibInfoHeader*>(g_load_dib.data())->compression = 0;
        return 1;
    }
    // Nothing of an earlier picture may pass for this one.
    g_load_dib.assign(SCREEN_HEADER_SIZE, 0);
    sys_message_box(window, "DIB을 불러오는 중에 오류가 발생했습니다.", "오류", MB_ICONSTOP);
    return 0;
}

uint8_t* file_load_bmp_image(const char* name) {
    std::string path = make_path(g_bmp_dir, name);
    if (path.empty() || path.size() >= sizeof g_load_path) return nullptr;
    path.replace(path.size() - 3, 3, "BMP");
    std::memcpy(g_load_path, path.c_str(), path.size() + 1);
    if (!gfx_load_dib(g_hwnd_game)) return nullptr;

    DibInfoHeader h;
    std::memcpy(&h, g_load_dib.data(), sizeof h);
    const size_t head = gfx_image_bits_offset(g_load_dib.data());
    const size_t width = static_cast<size_t>(h.width);
    const size_t height = static_cast<size_t>(h.height);
    const size_t stride = stride_of(h.width);
    auto* image = static_cast<uint8_t*>(std::malloc(head + width * height));
    if (!image) return nullptr;
    // Rows of exactly width pixels, as the drawing code expects them.
    h.size_image = static_cast<uint32_t>(width * height);
    std::memcpy(image, g_load_dib.data(), head);
    std::memcpy(image, &h, sizeof h);
    for (size_t row = 0; row < height; ++row)
        std::memcpy(image + head + row * width, g_load_dib.data() + head + row * stride, width);
    return image;
}

uint8_t* file_load_data(const char* name) {
    if (!name || !name[0]) return nullptr;
    const char last = name[std::strlen(name) - 1];
    if (last == 'm' || last == 'M') return file_load_bmp_image(name);
    const std::string path = make_path(g_dat_dir, name);
    if (path.empty()) return nullptr;
    FILE* f = sys_fopen(path, "rb");
    if (!f) {
        file_show_open_box(path);
        return nullptr;
    }
    long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
    if (size < 0 || size > INT32_MAX || std::fseek(f, 0, SEEK_SET) != 0) {
        std::fclose(f);
        return nullptr;
    }
    // At least one byte, so that an empty file still gives a block.
    auto* data = static_cast<uint8_t*>(std::malloc(size > 0 ? static_cast<size_t>(size) : 1));
    if (!data) {
        std::fclose(f);
        return nullptr;
    }
    const size_t got = size > 0 ? std::fread(data, 1, static_cast<size_t>(size), f) : 0;
    std::fclose(f);
    if (got != static_cast<size_t>(size)) {
        std::free(data);
        return nullptr;
    }
    g_loaded_file_size = static_cast<uint32_t>(size);
    return data;
}

int file_read_user_file(const char* name, void* buffer, uint32_t size, uint32_t* read) {
    if (read) *read = 0;
    const std::string path = make_path((std::string(g_exe_dir) + "\\").c_str(), name);
    if (path.empty() || !buffer) return 0;
    FILE* f = sys_fopen(path, "rb");
    if (!f) {
        file_show_open_box(path);
        return 0;
    }
    const uint32_t limit = size < USER_FILE_MAX ? size : USER_FILE_MAX;
    const size_t got = limit ? std::fread(buffer, 1, limit, f) : 0;
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return 0;
    if (read) *read = static_cast<uint32_t>(got);
    return 1;
}

int file_write_user_file(const char* name, const void* data, uint32_t n) {
    const std::string path = make_path((std::string(g_exe_dir) + "\\").c_str(), name);
    if (path.empty() || (!data && n != 0)) return 0;
    if (!sys_write_file_atomic(path, data, n)) {
        file_show_open_box(path);
        return 0;
    }
    return 1;
}

int32_t file_data_drive_letter() { return 65; }

void file_show_open_box(const std::string& path) {
    char text[512];
    std::snprintf(text, sizeof text, "파일  [%s] 을／를 열 수 없습니다.", file_shown_path(path).c_str());
    sys_message_box(0, text, "", MB_OK);
}

std::string file_shown_path(const std::string& path) {
    std::string shown = path;
    for (char& c : shown)
        if (c == '\\') c = '/';
    return shown;
}

void file_reset() {
    g_load_dib.assign(SCREEN_HEADER_SIZE, 0);
    g_dib_bits_offset = static_cast<int32_t>(SCREEN_HEADER_SIZE);
    g_load_path[0] = 0;
    g_dib_loaded = 0;
    g_loaded_file_size = 0;
    g_picture_missing_quits = 1;
}
