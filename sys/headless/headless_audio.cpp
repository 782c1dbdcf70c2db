// Headless stand-in for the sequencer and wave player. Nothing sounds; the
// timing does: a song ends after its length in virtual milliseconds (read
// from the standard MIDI file) and posts its end notice then, and a wave
// still "sounding" when the next one starts is logged as cut off.
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "sys/headless/headless.h"

namespace {

// Status words of the end notice (wParam of MM_MCINOTIFY).
constexpr uint32_t NOTIFY_SUCCESSFUL = 1;
constexpr uint32_t NOTIFY_ABORTED = 4;

constexpr uint32_t SONG_FALLBACK_MS = 2000;    // a file whose length cannot be read
constexpr uint32_t SONG_MAX_MS = 0x3FFFFFFFu;  // keeps clock + length comparable as signed
constexpr size_t AUDIO_FILE_MAX = 16u << 20;   // larger files are not read

struct HlSong {
    bool open = false;
    std::string path;
    uint32_t length_ms = 0;
    bool playing = false;  // a play is pending: its end notice has not been posted
    uint32_t due = 0;
    SysWnd notify = 0;
};

struct HlWave {
    bool sounding = false;
    std::string path;
    uint32_t end = 0;
};

HlSong g_hl_song;
HlWave g_hl_wave;

bool read_file(const std::string& path, std::vector<uint8_t>* out) {
    FILE* f = sys_fopen(path, "rb");
    if (!f) return false;
    out->clear();
    uint8_t buf[4096];
    size_t n;
    bool ok = true;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        if (out->size() + n > AUDIO_FILE_MAX) {
            ok = false;
            break;
        }
        out->insert(out->end(), buf, buf + n);
    }
    if (std::ferror(f)) ok = false;
    std::fclose(f);
    return ok;
}

uint32_t be16(const uint8_t* p) { return (static_cast<uint32_t>(p[0]) << 8) | p[1]; }
uint32_t be32(const uint8_t* p) { return (be16(p) << 16) | be16(p + 2); }
uint32_t le16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8); }
uint32_t le32(const uint8_t* p) { return le16(p) | (le16(p + 2) << 16); }

// A variable-length quantity of at most four bytes; false when it runs past end.
bool read_vlq(const std::vector<uint8_t>& d, size_t* p, size_t end, uint32_t* v) {
    *v = 0;
    for (int i = 0; i < 4; ++i) {
        if (*p >= end) return false;
        uint8_t b = d[(*p)++];
        *v = (*v << 7) | (b & 0x7F);
        if (!(b & 0x80)) return true;
    }
    return false;
}

// Length of a standard MIDI file in milliseconds: the latest event of any
// track, through the tempo changes found in any track. False when the file
// is not one.
bool midi_length_ms(const std::vector<uint8_t>& d, uint32_t* out) {
    if (d.size() < 14 || std::memcmp(d.data(), "MThd", 4) != 0) return false;
    uint32_t hlen = be32(&d[4]);
    if (hlen < 6 || hlen > d.size() - 8) return false;
    uint32_t ntrks = be16(&d[10]);
    uint32_t division = be16(&d[12]);
    std::vector<std::pair<uint64_t, uint32_t>> tempos;  // (tick, microseconds per quarter)
    uint64_t end_tick = 0;
    size_t pos = 8 + hlen;
    uint32_t found = 0;
    while (found < ntrks && pos + 8 <= d.size()) {
        uint32_t clen = be32(&d[pos + 4]);
        size_t body = pos + 8;
        if (clen > d.size() - body) return false;
        size_t end = body + clen;
        if (std::memcmp(&d[pos], "MTrk", 4) != 0) {  // unknown chunks are skipped
            pos = end;
            continue;
        }
        ++found;
        size_t p = body;
        uint64_t tick = 0;
        uint8_t running = 0;
        while (p < end) {
            uint32_t delta = 0;
            if (!read_vlq(d, &p, end, &delta) || p >= end) return false;
            tick += delta;
            uint8_t b = d[p];
            if (b == 0xFF) {
                if (p + 2 > end) return false;
                uint8_t type = d[p + 1];
                p += 2;
                uint32_t len = 0;
                if (!read_vlq(d, &p, end, &len) || len > end - p) return false;
                if (type == 0x51 && len >= 3)
                    tempos.emplace_back(tick, (static_cast<uint32_t>(d[p]) << 16) | be16(&d[p + 1]));
                p += len;
                end_tick = std::max(end_tick, tick);
                if (type == 0x2F) break;  // end of track
                continue;
            }
            if (b == 0xF0 || b == 0xF7) {
                ++p;
                uint32_t len = 0;
                if (!read_vlq(d, &p, end, &len) || len > end - p) return false;
                p += len;
                running = 0;
                end_tick = std::max(end_tick, tick);
                continue;
            }
            uint8_t status = running;
            if (b & 0x80) {
                status = b;
                ++p;
            }
            if (!(status & 0x80) || status >= 0xF0) return false;
            running = status;
            size_t n = ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 1 : 2;
            if (n > end - p) return false;
            p += n;
            end_tick = std::max(end_tick, tick);
        }
        pos = end;
    }
    if (found == 0) return false;

    uint64_t us = 0;
    if (division & 0x8000) {
        // Time code division: frames per second times ticks per frame.
        int fps = -static_cast<int8_t>(division >> 8);
        uint32_t tpf = division & 0xFF;
        if (fps <= 0 || tpf == 0) return false;
        uint64_t frames_x100 = fps == 29 ? 2997 : static_cast<uint64_t>(fps) * 100;
        us = end_tick * 100000000ull / (frames_x100 * tpf);
    } else {
        if (division == 0) return false;
        std::stable_sort(tempos.begin(), tempos.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        uint64_t at = 0;
        uint32_t tempo = 500000;  // 120 beats per minute until a tempo event says otherwise
        for (const auto& [t, v] : tempos) {
            if (t >= end_tick) break;
            us += (t - at) * tempo / division;
            at = t;
            tempo = v;
        }
        us += (end_tick - at) * tempo / division;
    }
    uint64_t ms = (us + 500) / 1000;
    *out = static_cast<uint32_t>(std::min<uint64_t>(ms, SONG_MAX_MS));
    return true;
}

// Length of a RIFF wave file in milliseconds; false when it is not one.
bool wave_length_ms(const std::vector<uint8_t>& d, uint32_t* out) {
    if (d.size() < 12 || std::memcmp(d.data(), "RIFF", 4) != 0 || std::memcmp(&d[8], "WAVE", 4) != 0) return false;
    uint32_t byte_rate = 0;
    bool have_fmt = false;
    size_t pos = 12;
    while (pos + 8 <= d.size()) {
        uint32_t len = le32(&d[pos + 4]);
        size_t body = pos + 8;
        if (std::memcmp(&d[pos], "fmt ", 4) == 0) {
            if (len < 16 || len > d.size() - body) return false;
            byte_rate = le32(&d[body + 8]);
            have_fmt = true;
        } else if (std::memcmp(&d[pos], "data", 4) == 0) {
            if (!have_fmt || byte_rate == 0) return false;
            uint64_t bytes = std::min<uint64_t>(len, d.size() - body);
            *out = static_cast<uint32_t>(std::min<uint64_t>(bytes * 1000 / byte_rate, SONG_MAX_MS));
            return true;
        }
        if (len > d.size() - body) return false;
        pos = body + len + (len & 1);
    }
    return false;
}

uint32_t clock_now() { return sys_tick_count(); }

}  // namespace

int hl_midi_open(const std::string& path) {
    std::vector<uint8_t> data;
    if (!read_file(sys_resolve_path(path), &data)) return 0;
    // Opening over an open file closes that one first, as "close all" would.
    if (g_hl_song.open) hl_midi_close_all();
    g_hl_song = HlSong{};
    g_hl_song.open = true;
    g_hl_song.path = path;
    uint32_t len = 0;
    if (!midi_length_ms(data, &len)) {
        sys_log("headless: " + path + " is not a standard MIDI file; taking " + std::to_string(SONG_FALLBACK_MS) +
                " ms");
        len = SONG_FALLBACK_MS;
    }
    // An empty song still takes a moment, so that a looping song lets time move.
    g_hl_song.length_ms = std::max<uint32_t>(len, 1);
    return 1;
}

int hl_midi_play(SysWnd notify) {
    if (!g_hl_song.open) return 0;
    // A pending play replaced by this one ends without a notice.
    g_hl_song.playing = true;
    g_hl_song.notify = notify;
    g_hl_song.due = clock_now() + g_hl_song.length_ms;
    return 1;
}

int hl_midi_close_all() {
    if (g_hl_song.playing) sys_post_message(g_hl_song.notify, MM_MCINOTIFY, NOTIFY_ABORTED, 0);
    g_hl_song = HlSong{};
    return 1;
}

int hl_wave_play(const std::string& path) {
    std::vector<uint8_t> data;
    uint32_t len = 0;
    if (!read_file(sys_resolve_path(path), &data) || !wave_length_ms(data, &len)) return 0;
    uint32_t now = clock_now();
    if (g_hl_wave.sounding && static_cast<int32_t>(g_hl_wave.end - now) > 0) sys_log("wave cut " + g_hl_wave.path);
    g_hl_wave.sounding = true;
    g_hl_wave.path = path;
    g_hl_wave.end = now + len;
    return 1;
}

void hl_audio_reset() {
    g_hl_song = HlSong{};
    g_hl_wave = HlWave{};
}

bool hl_audio_next_due(uint32_t* at) {
    if (!g_hl_song.playing) return false;
    *at = g_hl_song.due;
    return true;
}

void hl_audio_fire(uint32_t now) {
    if (g_hl_song.playing && static_cast<int32_t>(now - g_hl_song.due) >= 0) {
        g_hl_song.playing = false;  // the file stays open: a replay starts it again
        sys_post_message(g_hl_song.notify, MM_MCINOTIFY, NOTIFY_SUCCESSFUL, 0);
    }
}
