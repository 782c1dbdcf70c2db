// Music and sound effects.
#pragma once

#include <cstdint>

extern int32_t g_music_track;
extern int32_t g_mci_open;
extern int32_t g_mci_ignore_notify;
extern int32_t g_sfx_enabled;

int32_t snd_mci_close();
int32_t snd_mci_replay();
void snd_play_effect(int32_t n);
