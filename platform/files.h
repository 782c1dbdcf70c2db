// Picture and data file loading: the BMP reader (through the LZ reader, so
// a picture may be stored compressed), whole-file data blocks, and the save
// files beside the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sys/lz.h"
#include "sys/sys.h"

// The 14-byte file header of a BMP file.
#pragma pack(push, 1)
struct BmpFileHeader {
    uint16_t type;  // "BM"
    uint32_t size;
    uint16_t reserved1;
    uint16_t reserved2;
    uint32_t off_bits;  // offset of the pixels from the start of the file, 0 = right after the colours
};
#pragma pack(pop)
static_assert(sizeof(BmpFileHeader) == 14);
static_assert(offsetof(BmpFileHeader, size) == 2);
static_assert(offsetof(BmpFileHeader, off_bits) == 10);

constexpr uint16_t BMP_SIGNATURE = 19778;  // "BM"
constexpr int32_t BMP_MAX_SIDE = 4096;
constexpr uint32_t LZ_READ_CHUNK = 32768;
constexpr uint32_t USER_FILE_MAX = 20000;

// The picture load block: the last picture read, as one block of a 40-byte
// information header, its colour table and its pixels as stored in the file
// (bottom-up rows padded to 4 bytes). 1,064 zero bytes before the first
// read and after a failed one.
extern std::vector<uint8_t> g_load_dib;
// Offset of the pixels in the load block after the last read (40 + colours x 4).
extern int32_t g_dib_bits_offset;
extern char g_load_path[260];
extern int32_t g_dib_loaded;
// Size in bytes of the last data file read.
extern uint32_t g_loaded_file_size;
// 1 (the rule): a picture that cannot be opened posts the shut-down after its
// box. The battle scene clears it around its own loads: a missing battle
// picture shows its box and the battle goes on without it.
extern int32_t g_picture_missing_quits;

// Offset of the pixels in a picture block (load block or DibImage): 40 +
// colours x 4, from the picture's own header.
uint32_t gfx_image_bits_offset(const uint8_t* image);

// Reads the picture at g_load_path into the load block; 1 or 0.
int gfx_load_dib(SysWnd window);
// The reader proper: 1 when the whole picture was read, else 0. A file that
// cannot be opened shows its box and posts the shut-down to the window.
int gfx_read_bmp_file(SysWnd window);
// Reads n bytes in reads of at most 32,768 bytes: n, or 0 as soon as one
// read comes back short.
uint32_t gfx_lz_read_chunked(LzFile& file, uint8_t* dest, uint32_t n);

// A DibImage: a heap block (freed with std::free) holding the picture's
// header, colour table and rows of exactly width pixels, bottom-up. Null
// when the name has no three-letter extension or the picture cannot be read.
uint8_t* file_load_bmp_image(const char* name);
// The whole data file as a heap block (freed with std::free), its size in
// g_loaded_file_size; names ending in "m" are pictures (a DibImage). Null
// when it cannot be read.
uint8_t* file_load_data(const char* name);
// Reads a save file into buffer, at most min(size, 20,000) bytes; the count
// goes to *read. 1 on success, 0 on failure.
int file_read_user_file(const char* name, void* buffer, uint32_t size, uint32_t* read);
// Writes a save file whole (through a temporary file renamed into place);
// 1 on success, 0 on failure (after the file box).
int file_write_user_file(const char* name, const void* data, uint32_t n);
// The drive letter that name templates such as "?:stage??.map" receive.
int32_t file_data_drive_letter();
// The box of a data or save file that cannot be opened: "파일  [path] 을／를
// 열 수 없습니다.", the path as the player reads it (see file_shown_path).
void file_show_open_box(const std::string& path);
// A path as shown to the player: the system's own separator "/" where the
// folder names were joined with "\\".
std::string file_shown_path(const std::string& path);

// Resets this module's state to its values at program start (tests).
void file_reset();
