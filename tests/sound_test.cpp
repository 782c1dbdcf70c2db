// Music and sound effects on the headless sequencer: track changes, the
// swallowed notice of a close, looping at the natural end, song lengths read
// from the MIDI files, and wave effects cutting each other off.
#include "platform/sound.h"

#include <algorithm>
#include <fstream>
#include <vector>

#include "tests/fixture.h"

namespace {

void put_vlq(std::vector<uint8_t>* out, uint32_t v) {
    uint8_t bytes[4];
    int n = 0;
    do {
        bytes[n++] = static_cast<uint8_t>(v & 0x7F);
        v >>= 7;
    } while (v && n < 4);
    for (int i = n - 1; i >= 0; --i) out->push_back(static_cast<uint8_t>(bytes[i] | (i ? 0x80 : 0)));
}

void put_be(std::vector<uint8_t>* out, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void put_tempo(std::vector<uint8_t>* t, uint32_t delta, uint32_t us_per_quarter) {
    put_vlq(t, delta);
    t->insert(t->end(), {0xFF, 0x51, 0x03});
    put_be(t, us_per_quarter, 3);
}

void put_end(std::vector<uint8_t>* t, uint32_t delta) {
    put_vlq(t, delta);
    t->insert(t->end(), {0xFF, 0x2F, 0x00});
}

std::vector<uint8_t> midi_file(uint16_t format, uint16_t division, const std::vector<std::vector<uint8_t>>& tracks) {
    std::vector<uint8_t> f = {'M', 'T', 'h', 'd'};
    put_be(&f, 6, 4);
    put_be(&f, format, 2);
    put_be(&f, static_cast<uint32_t>(tracks.size()), 2);
    put_be(&f, division, 2);
    for (const auto& t : tracks) {
        f.insert(f.end(), {'M', 'T', 'r', 'k'});
        put_be(&f, static_cast<uint32_t>(t.size()), 4);
        f.insert(f.end(), t.begin(), t.end());
    }
    return f;
}

// 1000 ms: one quarter at 120 per minute, then a tempo change to 240 and two
// quarters more; the second note ends through running status.
std::vector<uint8_t> song_1000ms() {
    std::vector<uint8_t> t;
    put_tempo(&t, 0, 500000);
    put_vlq(&t, 0);
    t.insert(t.end(), {0xC0, 0x05});  // programme change: one data byte
    put_vlq(&t, 0);
    t.insert(t.end(), {0x90, 60, 100});
    put_vlq(&t, 96);
    t.insert(t.end(), {0x80, 60, 0});
    put_tempo(&t, 0, 250000);
    put_vlq(&t, 0);
    t.insert(t.end(), {0x90, 64, 100});
    put_vlq(&t, 192);
    t.insert(t.end(), {64, 0});  // running status
    put_end(&t, 0);
    return midi_file(0, 96, {t});
}

// 1500 ms in two tracks: the tempo in the first, the notes in the second.
std::vector<uint8_t> song_1500ms_two_tracks() {
    std::vector<uint8_t> t0, t1;
    put_tempo(&t0, 0, 750000);
    put_end(&t0, 0);
    put_vlq(&t1, 0);
    t1.insert(t1.end(), {0x91, 67, 90});
    put_vlq(&t1, 384);
    t1.insert(t1.end(), {0x81, 67, 0});
    put_end(&t1, 0);
    return midi_file(1, 192, {t0, t1});
}

// An 8-bit mono wave of the given length at 8000 samples a second.
std::vector<uint8_t> wave_file(uint32_t ms) {
    uint32_t n = ms * 8;
    std::vector<uint8_t> f = {'R', 'I', 'F', 'F'};
    auto le = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) f.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    le(36 + n, 4);
    f.insert(f.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    le(16, 4);
    le(1, 2);
    le(1, 2);
    le(8000, 4);
    le(8000, 4);
    le(1, 2);
    le(8, 2);
    f.insert(f.end(), {'d', 'a', 't', 'a'});
    le(n, 4);
    f.insert(f.end(), n, 128);
    return f;
}

void write_file(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

class SoundTest : public HeadlessTest {
protected:
    TempDir data;

    void SetUp() override {
        HeadlessTest::SetUp();
        snd_reset();
        std::filesystem::create_directories(data.path / "midi");
        std::filesystem::create_directories(data.path / "wave");
        // The game's own separators, resolved by sys/.
        std::snprintf(g_midi_dir, sizeof g_midi_dir, "%s\\midi\\", data.str().c_str());
        std::snprintf(g_wave_dir, sizeof g_wave_dir, "%s\\wave\\", data.str().c_str());
        write_track(1, song_1000ms());
        write_track(2, song_1500ms_two_tracks());
        write_track(3, song_1000ms());
        write_effect(1, wave_file(200));  // SFX_WHOOSH
        write_effect(2, wave_file(200));  // SFX_BLAST
        write_effect(13, wave_file(50));  // SFX_CLICK
        sys_log_clear();
    }

    void write_track(int n, const std::vector<uint8_t>& bytes) {
        char name[32];
        std::snprintf(name, sizeof name, "kqm%02d.mid", n);
        write_file(data.path / "midi" / name, bytes);
    }

    void write_effect(int n, const std::vector<uint8_t>& bytes) {
        char name[32];
        std::snprintf(name, sizeof name, "kq7e%02d.wav", n);
        write_file(data.path / "wave" / name, bytes);
    }

    static int count_log(const std::string& prefix) {
        const auto& lines = sys_log_lines();
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.compare(0, prefix.size(), prefix) == 0;
        }));
    }

    // Runs the machine for ms virtual milliseconds; returns the times at
    // which end notices were fetched.
    std::vector<uint32_t> run(uint32_t ms) {
        std::vector<uint32_t> notices;
        uint32_t until = sys_headless_clock() + ms;
        SysMsg m;
        while (static_cast<int32_t>(sys_headless_clock() - until) < 0) {
            if (!sys_get_message(&m)) break;
            if (m.message == MM_MCINOTIFY) notices.push_back(sys_headless_clock());
            sys_dispatch(&m);
        }
        return notices;
    }
};

TEST_F(SoundTest, SameTrackTwiceOpensOnceAndAChangeClosesThenOpens) {
    EXPECT_EQ(snd_play_music(1), 1);
    EXPECT_EQ(snd_play_music(1), 0);
    EXPECT_EQ(count_log("midi open"), 1);
    EXPECT_EQ(g_music_track, 1);
    EXPECT_EQ(g_mci_open, 1);

    EXPECT_EQ(snd_play_music(2), 1);
    const auto& log = sys_log_lines();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0].rfind("midi open", 0), 0u);
    EXPECT_NE(log[0].find("kqm01.mid"), std::string::npos);
    EXPECT_EQ(log[1], "midi play");
    EXPECT_EQ(log[2], "midi close");
    EXPECT_NE(log[3].find("kqm02.mid"), std::string::npos);
    EXPECT_EQ(log[4], "midi play");
    EXPECT_EQ(g_music_track, 2);
    EXPECT_NE(std::string(g_music_path).find("kqm02.mid"), std::string::npos);
    EXPECT_EQ(g_mci_ignore_notify, 1);  // the old play's abort notice is still to come
}

TEST_F(SoundTest, NaturalEndPostsOneNoticeAndTheTrackLoops) {
    uint32_t t0 = sys_headless_clock();
    ASSERT_EQ(snd_play_music(1), 1);
    std::vector<uint32_t> notices = run(2500);
    // Ends at 1000 ms (tempo change read), replayed, ends again at 2000 ms.
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0] - t0, 1000u);
    EXPECT_EQ(notices[1] - t0, 2000u);
    EXPECT_EQ(count_log("midi play"), 3);
    EXPECT_EQ(g_mci_open, 1);
}

TEST_F(SoundTest, SongLengthComesFromTheTempoTrackOfAMultiTrackFile) {
    uint32_t t0 = sys_headless_clock();
    ASSERT_EQ(snd_play_music(2), 1);
    std::vector<uint32_t> notices = run(1600);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0] - t0, 1500u);
}

TEST_F(SoundTest, UnreadableSongsTakeTheFallbackLength) {
    std::vector<uint8_t> cut = song_1000ms();
    cut.resize(cut.size() - 6);  // the track's length now runs past the end of the file
    write_track(4, cut);
    write_track(5, {'n', 'o', 't', ' ', 'm', 'i', 'd', 'i'});
    for (int track : {4, 5}) {
        snd_stop_music_b();
        run(50);
        uint32_t t0 = sys_headless_clock();
        ASSERT_EQ(snd_play_music(track), 1) << track;
        std::vector<uint32_t> notices = run(2100);
        ASSERT_EQ(notices.size(), 1u) << track;
        EXPECT_EQ(notices[0] - t0, 2000u) << track;
    }
}

TEST_F(SoundTest, CloseNoticeIsSwallowedAndStoppingForgetsTheTrack) {
    ASSERT_EQ(snd_play_music(3), 1);
    run(300);
    EXPECT_EQ(snd_play_music(-1), 1);
    EXPECT_EQ(g_music_track, -1);
    EXPECT_EQ(g_mci_open, 0);
    EXPECT_EQ(g_mci_ignore_notify, 1);
    std::vector<uint32_t> notices = run(3000);
    EXPECT_EQ(notices.size(), 1u);  // the abort notice, and nothing after it
    EXPECT_EQ(g_mci_ignore_notify, 0);
    EXPECT_EQ(count_log("midi play"), 1);

    // The same track asked for again starts again.
    EXPECT_EQ(snd_play_music(3), 1);
    EXPECT_EQ(count_log("midi open"), 2);
    EXPECT_EQ(snd_stop_music_b(), 1);
    snd_stop_music_a();
    EXPECT_EQ(g_mci_open, 0);
}

TEST_F(SoundTest, AfterAChangeTheNewTrackLoops) {
    ASSERT_EQ(snd_play_music(1), 1);
    run(400);
    ASSERT_EQ(snd_play_music(2), 1);
    uint32_t t0 = sys_headless_clock();
    std::vector<uint32_t> notices = run(1600);
    // The abort notice of track 1 at once (swallowed), track 2's end at 1500.
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0], t0);
    EXPECT_EQ(notices[1] - t0, 1500u);
    EXPECT_EQ(g_mci_ignore_notify, 0);
    EXPECT_EQ(count_log("midi play"), 3);  // track 1, track 2, track 2 again
}

TEST_F(SoundTest, MissingTrackThenAnotherTrackStillLoops) {
    ASSERT_EQ(snd_play_music(1), 1);
    run(200);
    EXPECT_EQ(snd_play_music(9), 0);  // no such file
    EXPECT_EQ(g_mci_open, 0);
    EXPECT_NE(sys_log_lines().back().find("kqm09.mid refused"), std::string::npos);
    run(200);  // the abort notice of track 1 is swallowed
    EXPECT_EQ(g_mci_ignore_notify, 0);

    ASSERT_EQ(snd_play_music(3), 1);
    EXPECT_EQ(g_mci_ignore_notify, 0);
    int plays = count_log("midi play");
    std::vector<uint32_t> notices = run(1100);
    EXPECT_EQ(notices.size(), 1u);
    EXPECT_EQ(count_log("midi play"), plays + 1);  // replayed: the track loops
    EXPECT_EQ(g_mci_open, 1);
}

TEST_F(SoundTest, CommandStringsMapOntoTheSequencer) {
    EXPECT_EQ(snd_mci_send("play MUSIC from 0 notify", wnd), 0);  // nothing open
    std::string open = "open \"" + data.str() + "\\midi\\kqm01.mid\" type sequencer alias MUSIC";
    EXPECT_EQ(snd_mci_send(open.c_str(), 0), 1);
    EXPECT_EQ(snd_mci_send("play MUSIC from 0", wnd), 0);  // not one of the commands
    EXPECT_EQ(snd_mci_send("play MUSIC from 0 notify", wnd), 1);
    EXPECT_EQ(snd_mci_send("close all", 0), 1);
    EXPECT_EQ(snd_mci_send("open \"\" type sequencer alias MUSIC", 0), 0);
    EXPECT_EQ(snd_mci_send(nullptr, 0), 0);
    const auto& log = sys_log_lines();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[1], "midi open " + data.str() + "\\midi\\kqm01.mid");
}

TEST_F(SoundTest, EffectsFollowTheSettingAndCutEachOtherOff) {
    g_sfx_enabled = 0;
    snd_play_effect(SFX_WHOOSH);
    EXPECT_EQ(count_log("wave"), 0);

    g_sfx_enabled = 1;
    snd_play_effect(SFX_WHOOSH);
    snd_play_effect(SFX_CONJURE);  // missing: plays nothing and leaves SFX_WHOOSH sounding
    snd_play_effect(SFX_BLAST);
    EXPECT_EQ(count_log("wave cut"), 1);
    const auto& log = sys_log_lines();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_NE(log[1].find("kq7e07.wav missing"), std::string::npos);
    EXPECT_EQ(log[2].rfind("wave cut", 0), 0u);
    EXPECT_NE(log[2].find("kq7e01.wav"), std::string::npos);

    run(250);  // SFX_BLAST has ended: the next one cuts nothing
    EXPECT_EQ(snd_play_wave(SFX_CLICK), 1);
    EXPECT_EQ(count_log("wave cut"), 1);
    EXPECT_EQ(snd_play_wave(SFX_CONJURE), 0);
}
