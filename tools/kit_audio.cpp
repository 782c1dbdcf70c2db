// Music and sound effects: midi/kqm00.mid .. kqm19.mid, standard
// MIDI files of format 0, and wave/kq7e00.wav .. kq7e58.wav, 16-bit mono PCM
// at 22,050 Hz. Every piece is made from its number, so each one differs
// (tempo, key, mode, instruments, melody; pitch, sweep, noise, length).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/kit.h"

namespace kit {

namespace {

// ---- MIDI -------------------------------------------------------------------------

struct Event {
    uint32_t tick;
    int order;  // note-offs first at equal ticks
    Bytes data;
};

void vlq(Bytes& out, uint32_t v) {
    uint8_t tmp[5];
    int n = 0;
    tmp[n++] = v & 0x7F;
    while (v >>= 7) tmp[n++] = static_cast<uint8_t>(0x80 | (v & 0x7F));
    while (n) out.push_back(tmp[--n]);
}

constexpr int TPQ = 480;  // ticks per quarter note

Bytes make_song(int i) {
    Rng rng(0x5EED0000u + static_cast<uint32_t>(i) * 7919u);
    static const int MODES[5][7] = {
        {0, 2, 4, 5, 7, 9, 11},  {0, 2, 3, 5, 7, 8, 10}, {0, 2, 3, 5, 7, 9, 10},
        {0, 2, 4, 7, 9, 12, 14}, {0, 2, 3, 5, 7, 8, 11},
    };
    static const int LEAD[20] = {0, 73, 40, 56, 46, 11, 19, 48, 71, 24, 68, 60, 80, 8, 13, 22, 65, 74, 61, 49};
    static const int BASS[4] = {32, 33, 35, 43};
    static const int PROG[4][4] = {{0, 4, 5, 3}, {0, 5, 2, 6}, {0, 3, 4, 0}, {5, 3, 0, 4}};
    const int* mode = MODES[i % 5];
    const int bpm = 72 + (i * 29) % 88;
    const int beats = std::max(4, static_cast<int>(std::lround(4.0 * bpm / 60.0 / 4.0)) * 4);
    const uint32_t total = static_cast<uint32_t>(beats) * TPQ;
    const int root = 55 + (i * 5) % 12;
    const int* prog = PROG[i % 4];
    const bool drums = i % 3 == 1, pad = i % 2 == 0;
    const uint32_t chord_len = total / 4;  // four chords a piece

    std::vector<Event> ev;
    auto push = [&](uint32_t tick, int order, Bytes d) { ev.push_back({tick, order, std::move(d)}); };
    auto note = [&](int ch, uint32_t at, uint32_t len, int key, int vel) {
        key = std::clamp(key, 0, 127);
        push(at, 1, {static_cast<uint8_t>(0x90 | ch), static_cast<uint8_t>(key), static_cast<uint8_t>(vel)});
        push(at + len, 0, {static_cast<uint8_t>(0x80 | ch), static_cast<uint8_t>(key), 0});
    };
    auto pitch = [&](int degree) {  // scale degree (any integer) to a key
        int oct = degree >= 0 ? degree / 7 : -((-degree + 6) / 7);
        int d = degree - oct * 7;
        return root + oct * 12 + mode[d];
    };

    char name[16];
    std::snprintf(name, sizeof name, "kqm%02d", i);
    Bytes meta = {0xFF, 0x03, static_cast<uint8_t>(std::string(name).size())};
    meta.insert(meta.end(), name, name + std::string(name).size());
    push(0, -3, meta);
    uint32_t us = static_cast<uint32_t>(60000000 / bpm);
    push(0, -2,
         {0xFF, 0x51, 0x03, static_cast<uint8_t>(us >> 16), static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)});
    push(0, -2, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08});
    push(0, -1, {0xC0, static_cast<uint8_t>(LEAD[i % 20])});
    push(0, -1, {0xC1, static_cast<uint8_t>(BASS[i % 4])});
    push(0, -1, {0xC2, static_cast<uint8_t>(pad ? 89 : 48)});
    push(0, -1, {0xB0, 0x07, 100});
    push(0, -1, {0xB1, 0x07, 90});
    push(0, -1, {0xB2, 0x07, 60});

    // Chords: bass and (every other piece) a pad.
    for (int c = 0; c < 4; ++c) {
        uint32_t at = c * chord_len;
        int deg = prog[c];
        int bass_key = pitch(deg) - 24;
        int pulses = (i % 2) ? 2 : 4;
        for (int k = 0; k < pulses; ++k)
            note(1, at + k * chord_len / pulses, chord_len / pulses - 20, bass_key + (k % 2 && i % 5 == 3 ? 7 : 0), 90);
        if (pad)
            for (int t = 0; t < 3; ++t) note(2, at, chord_len - 10, pitch(deg + 2 * t) - 12, 55);
    }
    // Melody in eighths: a walk over the scale that lands on chord tones on
    // the beats and ends on the tonic.
    int deg = 7 + rng.range(0, 4);
    uint32_t at = 0;
    const uint32_t eighth = TPQ / 2;
    while (at < total) {
        static const int LENS[6] = {1, 1, 2, 2, 3, 4};
        uint32_t len = LENS[rng.range(0, 5)] * eighth;
        if (at + len >= total - eighth) len = total - at;
        deg += rng.range(-2, 2);
        deg = std::clamp(deg, 3, 13);
        int chord = prog[std::min<uint32_t>(3, at / chord_len)];
        if (at % TPQ == 0) {  // on a beat: the nearest chord tone
            int best = deg, bestd = 99;
            for (int t = chord - 7; t <= chord + 14; t += 2)
                if (((t - chord) % 7 + 7) % 7 == 0 || ((t - chord) % 7 + 7) % 7 == 2 || ((t - chord) % 7 + 7) % 7 == 4)
                    if (std::abs(t - deg) < bestd) bestd = std::abs(t - deg), best = t;
            deg = best;
        }
        if (at + len >= total) deg = 7;  // the tonic
        if (rng.range(0, 9) == 0 && at > 0 && at + len < total) {
            at += len;  // a rest
            continue;
        }
        note(0, at, len - 30, pitch(deg), 96 + rng.range(-10, 10));
        at += len;
    }
    if (drums)
        for (uint32_t t = 0; t < total; t += eighth) {
            note(9, t, 60, 42, 60);
            if (t % (2 * TPQ) == 0) note(9, t, 60, 36, 100);
            if (t % (2 * TPQ) == TPQ) note(9, t, 60, 38, 90);
        }
    push(total, 2, {0xFF, 0x2F, 0x00});

    std::stable_sort(ev.begin(), ev.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    Bytes trk;
    uint32_t last = 0;
    for (const Event& e : ev) {
        vlq(trk, e.tick - last);
        last = e.tick;
        trk.insert(trk.end(), e.data.begin(), e.data.end());
    }
    Bytes f = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, TPQ >> 8, TPQ & 0xFF, 'M', 'T', 'r', 'k'};
    uint32_t n = static_cast<uint32_t>(trk.size());
    f.push_back(static_cast<uint8_t>(n >> 24));
    f.push_back(static_cast<uint8_t>(n >> 16));
    f.push_back(static_cast<uint8_t>(n >> 8));
    f.push_back(static_cast<uint8_t>(n));
    f.insert(f.end(), trk.begin(), trk.end());
    return f;
}

// ---- WAV --------------------------------------------------------------------------

constexpr int RATE = 22050;

Bytes make_effect(int e) {
    Rng rng(0xEFFEC700u + static_cast<uint32_t>(e) * 2654435761u);
    int kind = e % 6;
    double dur = 0.05 + ((e * 13) % 36) * 0.01;
    double f0 = 150.0 + (e * 211) % 1700;
    double f1 = kind == 0 ? f0 * 0.35 : kind == 1 ? f0 * 2.2 : f0 * (0.6 + 0.05 * (e % 9));
    double decay = 4.0 + (e % 7) * 3.0;
    if (e == 13) kind = 0, dur = 0.05, f0 = 1800, f1 = 1100, decay = 40;  // the menu click
    if (e == 56) kind = 5, dur = 0.08, f0 = 110, f1 = 60, decay = 35;     // a footstep
    if (e == 51) kind = 2, dur = 0.16, f0 = 900, f1 = 2400, decay = 14;   // a step in water

    const int n = static_cast<int>(dur * RATE);
    std::vector<double> s(n);
    double phase = 0, lp = 0, mod = 0;
    for (int k = 0; k < n; ++k) {
        double t = static_cast<double>(k) / RATE, u = t / dur;
        double f = f0 * std::pow(f1 / f0, u);
        phase += 2 * 3.14159265358979 * f / RATE;
        double noise = rng.unit() * 2 - 1;
        double v = 0;
        switch (kind) {
            case 0: v = std::sin(phase); break;
            case 1: v = std::sin(phase) >= 0 ? 0.6 : -0.6; break;
            case 2: {  // noise through a one-pole low-pass whose cut-off follows f
                double a = std::min(1.0, 2 * 3.14159 * f / RATE);
                lp += a * (noise - lp);
                v = lp * 2.5;
                break;
            }
            case 3: {  // a three-note arpeggio, triangle wave
                static const double STEP[3] = {1.0, 1.26, 1.5};
                double g = f0 * STEP[std::min(2, static_cast<int>(u * 3))];
                mod += g / RATE;
                double x = mod - std::floor(mod);
                v = 4 * std::abs(x - 0.5) - 1;
                break;
            }
            case 4: v = std::sin(phase + 2.5 * std::sin(phase * 1.41)); break;  // a bell
            default: {                                                          // a hit: noise over a falling thud
                double a = 0.25;
                lp += a * (noise - lp);
                v = 0.6 * std::sin(phase) + 0.8 * lp;
                break;
            }
        }
        double env = std::min(1.0, t / 0.003) * std::exp(-t * decay) * std::min(1.0, (dur - t) / 0.005);
        s[k] = v * env;
    }
    double peak = 1e-9;
    for (double v : s) peak = std::max(peak, std::abs(v));
    Bytes f = {'R', 'I', 'F', 'F'};
    put32(f, 36 + 2 * n);
    f.insert(f.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(f, 16);
    put16(f, 1);  // PCM
    put16(f, 1);  // mono
    put32(f, RATE);
    put32(f, RATE * 2);
    put16(f, 2);
    put16(f, 16);
    f.insert(f.end(), {'d', 'a', 't', 'a'});
    put32(f, 2 * n);
    for (double v : s) {
        int x = static_cast<int>(std::lround(v / peak * 0.7 * 32767));
        put16(f, static_cast<uint16_t>(static_cast<int16_t>(std::clamp(x, -32767, 32767))));
    }
    return f;
}

}  // namespace

void gen_audio(const Kit& kit) {
    char name[64];
    for (int i = 0; i <= 19; ++i) {
        std::snprintf(name, sizeof name, "/midi/kqm%02d.mid", i);
        write_file(kit.out + name, make_song(i));
    }
    for (int e = 0; e <= 58; ++e) {
        std::snprintf(name, sizeof name, "/wave/kq7e%02d.wav", e);
        write_file(kit.out + name, make_effect(e));
    }
}

}  // namespace kit
