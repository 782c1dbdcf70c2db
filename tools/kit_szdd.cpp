// The classic single-file LZ format ("SZDD", compression mode 'A'), written
// from its public description:
//   header: "SZDD" 88 F0 27 33, mode 'A', the missing last character of the
//   name, u32 length of the expanded data;
//   data: groups of a flag byte and up to eight items, flag bits read from
//   the lowest up: 1 = one literal byte, 0 = a two-byte match, position
//   b0 | ((b1 & 0xF0) << 4) in a 4096-byte ring buffer, length (b1 & 0x0F) + 3.
//   The ring starts filled with spaces and is written from 4096 - 16.
//
// The compressor sees the ring as the last 4096 bytes of the stream
// "4096 spaces, then the data": the data byte j sits at stream index 4096 + j
// and at ring position (4096 - 16 + j) mod 4096, so stream index s is ring
// position (s - 16) mod 4096. A greedy matcher over hash chains finds the
// longest earlier occurrence within the ring, the initial spaces included
// (runs of spaces match against the never-written part of the ring).
#include <algorithm>

#include "tools/kit.h"

namespace kit {

Bytes szdd_compress(const Bytes& data, char missing) {
    constexpr int N = 4096, MINLEN = 3, MAXLEN = 18, HASH = 1 << 14, CHAIN = 1024;
    Bytes out = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', static_cast<uint8_t>(missing)};
    put32(out, static_cast<uint32_t>(data.size()));

    Bytes s(N + data.size(), 0x20);
    std::copy(data.begin(), data.end(), s.begin() + N);
    const int end = static_cast<int>(s.size());
    std::vector<int> head(HASH, -1), prev(s.size(), -1);
    auto hash = [&](int p) { return ((s[p] << 9) ^ (s[p + 1] << 4) ^ s[p + 2]) & (HASH - 1); };
    auto insert = [&](int p) {
        if (p + MINLEN > end) return;
        int h = hash(p);
        prev[p] = head[h];
        head[h] = p;
    };
    // The initial ring: every position of the space prefix is a candidate.
    for (int p = 0; p < N; ++p) insert(p);

    int q = N;
    while (q < end) {
        size_t flag_at = out.size();
        out.push_back(0);
        uint8_t flags = 0;
        for (int bit = 0; bit < 8 && q < end; ++bit) {
            int best_len = 0, best_t = -1;
            int limit = std::min(MAXLEN, end - q);
            if (limit >= MINLEN) {
                int lowest = q - (N - 1);  // ring distance at most 4095
                int walked = 0;
                for (int t = head[hash(q)]; t >= 0 && t >= lowest && walked < CHAIN; t = prev[t], ++walked) {
                    if (t >= q) continue;
                    int len = 0;
                    // s[t + len] may lie at or past q: the copy overlaps its own
                    // output, which the byte-by-byte expansion reproduces.
                    while (len < limit && s[t + len] == s[q + len]) ++len;
                    if (len > best_len) {
                        best_len = len;
                        best_t = t;
                        if (len == limit) break;
                    }
                }
            }
            if (best_len >= MINLEN) {
                int pos = (best_t - 16) & (N - 1);
                out.push_back(static_cast<uint8_t>(pos & 0xFF));
                out.push_back(static_cast<uint8_t>(((pos >> 4) & 0xF0) | (best_len - MINLEN)));
                for (int k = 0; k < best_len; ++k) insert(q + k);
                q += best_len;
            } else {
                flags |= static_cast<uint8_t>(1u << bit);
                out.push_back(s[q]);
                insert(q);
                ++q;
            }
        }
        out[flag_at] = flags;
    }
    return out;
}

}  // namespace kit
