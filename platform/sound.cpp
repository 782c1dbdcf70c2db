// Music and sound effects.
#include "platform/sound.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/shell.h"
#include "sys/audio.h"

int32_t g_music_track = -1;
char g_music_path[260] = "";
int32_t g_mci_open = 0;
int32_t g_mci_ignore_notify = 0;
int32_t g_sfx_enabled = 1;

namespace {

const char OPEN_PREFIX[] = "open \"";
const char OPEN_SUFFIX[] = "\" type sequencer alias MUSIC";
const char PLAY_COMMAND[] = "play MUSIC from 0 notify";
const char CLOSE_COMMAND[] = "close all";

}  // namespace

int32_t snd_mci_send(const char* command, SysWnd notify) {
    if (!command) return 0;
    size_t n = std::strlen(command);
    const size_t pre = sizeof OPEN_PREFIX - 1, suf = sizeof OPEN_SUFFIX - 1;
    if (n > pre + suf && std::strncmp(command, OPEN_PREFIX, pre) == 0 &&
        std::strcmp(command + n - suf, OPEN_SUFFIX) == 0)
        return sys_midi_open(std::string(command + pre, n - pre - suf));
    if (std::strcmp(command, PLAY_COMMAND) == 0) return sys_midi_play(notify);
    if (std::strcmp(command, CLOSE_COMMAND) == 0) return sys_midi_close_all();
    return 0;
}

int32_t snd_play_music(int32_t n) {
    if (n < 0) {
        // Stopping forgets the track, so that asking for it again restarts it.
        g_music_track = -1;
        return snd_mci_close();
    }
    char path[sizeof g_music_path];
    std::snprintf(path, sizeof path, "%skqm%02d.mid", g_midi_dir, n);
    if (g_music_track != -1 && std::strcmp(path, g_music_path) == 0) return 0;
    g_music_track = n;
    std::snprintf(g_music_path, sizeof g_music_path, "%s", path);
    return snd_mci_play_file(path);
}

void snd_stop_music_a() { snd_mci_close(); }

int32_t snd_stop_music_b() { return snd_mci_close(); }

int32_t snd_mci_play_file(const char* path) {
    if (g_mci_open) {
        g_mci_ignore_notify = 1;
        if (!snd_mci_send(CLOSE_COMMAND, 0)) return 0;
        // The device is closed now: should the open below fail, the next
        // start must not close again and swallow a notice that never comes.
        g_mci_open = 0;
    }
    char command[sizeof g_music_path + 64];
    std::snprintf(command, sizeof command, "%s%s%s", OPEN_PREFIX, path, OPEN_SUFFIX);
    if (!snd_mci_send(command, 0)) return 0;
    if (!snd_mci_send(PLAY_COMMAND, g_hwnd_game)) return 0;
    g_mci_open = 1;
    return 1;
}

int32_t snd_mci_close() {
    if (g_mci_open) g_mci_ignore_notify = 1;
    int32_t r = snd_mci_send(CLOSE_COMMAND, 0);
    if (r) g_mci_open = 0;
    return r;
}

int32_t snd_mci_replay() {
    int32_t r = snd_mci_send(PLAY_COMMAND, g_hwnd_game);
    if (r) g_mci_open = 1;
    return r;
}

void snd_play_effect(SoundEffect n) {
    if (g_sfx_enabled) snd_play_wave(n);
}

int32_t snd_play_wave(SoundEffect n) {
    char path[sizeof g_music_path];
    std::snprintf(path, sizeof path, "%skq7e%02d.wav", g_wave_dir, static_cast<int>(n));
    return sys_wave_play(path);
}

void snd_reset() {
    g_music_track = -1;
    g_music_path[0] = 0;
    g_mci_open = 0;
    g_mci_ignore_notify = 0;
    g_sfx_enabled = 1;
}
