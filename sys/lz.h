// Reading files that may be stored in the classic single-file "SZDD" LZ
// format: such a file is expanded as it is opened, and every other file
// reads as it is. The game opens its pictures through this reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The 14-byte header of a compressed file: the signature, the mode ('A'),
// the last character of the name that the compressor dropped, and the
// length of the expanded data.
#pragma pack(push, 1)
struct LzSzddHeader {
    uint8_t magic[8];
    uint8_t mode;
    uint8_t missing_char;
    uint32_t expanded_length;
};
#pragma pack(pop)
static_assert(sizeof(LzSzddHeader) == 14);
static_assert(offsetof(LzSzddHeader, mode) == 8);
static_assert(offsetof(LzSzddHeader, expanded_length) == 10);

constexpr uint8_t LZ_SZDD_MAGIC[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};

// True when the bytes begin with the SZDD signature.
bool lz_is_szdd(const uint8_t* src, size_t n);

// Expands a whole SZDD file held in memory (header included) into out.
// Returns true when the full expanded length was produced; a stream that is
// cut short, a header that is incomplete or a mode other than 'A' gives
// false, with out holding what could be expanded.
bool lz_expand_szdd(const uint8_t* src, size_t n, std::vector<uint8_t>* out);

// One file opened for reading, compressed or not. Closed when it goes out
// of scope.
class LzFile {
public:
    LzFile() = default;
    ~LzFile();
    LzFile(const LzFile&) = delete;
    LzFile& operator=(const LzFile&) = delete;
    LzFile(LzFile&& other) noexcept;
    LzFile& operator=(LzFile&& other) noexcept;

    // Opens a path (separators and case resolved as by sys_fopen). Returns 0
    // on success, else the system's error number for the failed open. A
    // compressed file whose stream is damaged still opens: its data ends
    // where the damage begins, so reads come back short.
    int open(const std::string& path);
    void close();

    bool is_open() const { return file_ != nullptr || compressed_; }
    bool compressed() const { return compressed_; }
    // A compressed stream that could not be expanded in full.
    bool damaged() const { return damaged_; }
    // Size of the (expanded) data.
    uint64_t size() const { return size_; }
    uint64_t tell() const { return pos_; }

    // Reads up to n bytes at the current position and returns how many were
    // read: fewer at the end of the data or on a read error.
    size_t read(void* dst, size_t n);
    // Moves to an offset from the start of the (expanded) data. An offset
    // past the end is refused.
    bool seek(uint64_t offset);

private:
    FILE* file_ = nullptr;  // a plain file (null when compressed)
    bool compressed_ = false;
    bool damaged_ = false;
    std::vector<uint8_t> data_;  // the expanded data of a compressed file
    uint64_t size_ = 0;
    uint64_t pos_ = 0;
};
