// Music and sound effects.
#include "platform/sound.h"

int32_t g_music_track = -1;
int32_t g_mci_open = 0;
int32_t g_mci_ignore_notify = 0;
int32_t g_sfx_enabled = 1;

// PENDING: the sequencer commands and wave effects (music issue).
int32_t snd_mci_close() { return 1; }
int32_t snd_mci_replay() { return 0; }
void snd_play_effect(int32_t) {}
