// The SZDD reader. The format: a 14-byte header (signature, mode 'A', the
// dropped last character of the name, the expanded length), then an LZSS
// stream: a flag byte whose bits, lowest first, say what follows (1: one
// literal byte; 0: a two-byte match b0 b1 copying (b1 & 0x0F) + 3 bytes
// from position b0 | ((b1 & 0xF0) << 4) of a 4,096-byte ring). The ring
// starts filled with spaces and is written from position 4,096 - 16.
#include "sys/lz.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

#include "sys/sys.h"

namespace {

constexpr size_t RING_SIZE = 4096;
constexpr size_t RING_MASK = RING_SIZE - 1;
constexpr size_t RING_START = RING_SIZE - 16;

}  // namespace

bool lz_is_szdd(const uint8_t* src, size_t n) {
    return src && n >= sizeof LZ_SZDD_MAGIC && std::memcmp(src, LZ_SZDD_MAGIC, sizeof LZ_SZDD_MAGIC) == 0;
}

bool lz_expand_szdd(const uint8_t* src, size_t n, std::vector<uint8_t>* out) {
    out->clear();
    if (!lz_is_szdd(src, n) || n < sizeof(LzSzddHeader)) return false;
    LzSzddHeader h;
    std::memcpy(&h, src, sizeof h);
    if (h.mode != 'A') return false;
    const size_t want = h.expanded_length;
    // Each input byte yields at most 9 output bytes (a two-byte match gives
    // 18), so the output is bounded by the file whatever its header claims.
    const size_t limit = std::min(want, (n - sizeof h) * 9);
    out->resize(limit);
    uint8_t* dst = out->data();
    size_t o = 0;

    std::array<uint8_t, RING_SIZE> ring;
    ring.fill(' ');
    size_t r = RING_START;
    size_t in = sizeof h;
    bool complete = true;
    while (o < limit && complete) {
        if (in >= n) {
            complete = false;  // the stream ends before the expanded length
            break;
        }
        const uint8_t flags = src[in++];
        for (int bit = 0; bit < 8 && o < limit; ++bit) {
            if (flags & (1u << bit)) {
                if (in >= n) {
                    complete = false;
                    break;
                }
                const uint8_t c = src[in++];
                dst[o++] = c;
                ring[r] = c;
                r = (r + 1) & RING_MASK;
            } else {
                if (in + 1 >= n) {
                    complete = false;  // a match cut in half
                    break;
                }
                const uint8_t b0 = src[in];
                const uint8_t b1 = src[in + 1];
                in += 2;
                size_t pos = b0 | (static_cast<size_t>(b1 & 0xF0) << 4);
                const size_t len = std::min(static_cast<size_t>(b1 & 0x0F) + 3, limit - o);
                for (size_t k = 0; k < len; ++k) {
                    const uint8_t c = ring[pos];
                    pos = (pos + 1) & RING_MASK;
                    dst[o++] = c;
                    ring[r] = c;
                    r = (r + 1) & RING_MASK;
                }
            }
        }
    }
    out->resize(o);
    return o == want;
}

LzFile::~LzFile() { close(); }

LzFile::LzFile(LzFile&& other) noexcept { *this = std::move(other); }

LzFile& LzFile::operator=(LzFile&& other) noexcept {
    if (this != &other) {
        close();
        file_ = std::exchange(other.file_, nullptr);
        compressed_ = std::exchange(other.compressed_, false);
        damaged_ = std::exchange(other.damaged_, false);
        data_ = std::move(other.data_);
        size_ = std::exchange(other.size_, 0);
        pos_ = std::exchange(other.pos_, 0);
    }
    return *this;
}

void LzFile::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    compressed_ = false;
    damaged_ = false;
    data_.clear();
    data_.shrink_to_fit();
    size_ = 0;
    pos_ = 0;
}

int LzFile::open(const std::string& path) {
    close();
    errno = 0;
    FILE* f = sys_fopen(path, "rb");
    if (!f) return errno != 0 ? errno : -1;
    long end = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) end = std::ftell(f);
    if (end < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
        int e = errno != 0 ? errno : -1;
        std::fclose(f);
        return e;
    }
    uint8_t head[sizeof LZ_SZDD_MAGIC];
    size_t got = std::fread(head, 1, sizeof head, f);
    if (!lz_is_szdd(head, got)) {
        // A plain file: read straight from it.
        std::fseek(f, 0, SEEK_SET);
        file_ = f;
        size_ = static_cast<uint64_t>(end);
        pos_ = 0;
        return 0;
    }
    std::vector<uint8_t> packed(static_cast<size_t>(end));
    std::fseek(f, 0, SEEK_SET);
    size_t n = packed.empty() ? 0 : std::fread(packed.data(), 1, packed.size(), f);
    std::fclose(f);
    packed.resize(n);
    compressed_ = true;
    damaged_ = !lz_expand_szdd(packed.data(), packed.size(), &data_);
    size_ = data_.size();
    pos_ = 0;
    return 0;
}

size_t LzFile::read(void* dst, size_t n) {
    if (n == 0 || !is_open()) return 0;
    if (compressed_) {
        if (pos_ >= size_) return 0;
        size_t k = static_cast<size_t>(std::min<uint64_t>(n, size_ - pos_));
        std::memcpy(dst, data_.data() + pos_, k);
        pos_ += k;
        return k;
    }
    size_t k = std::fread(dst, 1, n, file_);
    pos_ += k;
    return k;
}

bool LzFile::seek(uint64_t offset) {
    if (!is_open() || offset > size_) return false;
    if (!compressed_) {
        if (offset > static_cast<uint64_t>(LONG_MAX)) return false;
        if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return false;
    }
    pos_ = offset;
    return true;
}
