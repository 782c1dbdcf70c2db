// Music and sound effects: one MIDI track at a time on the sequencer under
// the alias MUSIC, looped by replaying it at every end notice, and wave
// effects played asynchronously.
#pragma once

#include <cstdint>

#include "sys/sys.h"

extern int32_t g_music_track;        // current track, -1 none
extern char g_music_path[260];       // path of the current track's file
extern int32_t g_mci_open;           // 1 while MUSIC is open and playing
extern int32_t g_mci_ignore_notify;  // 1: the next end notice is swallowed
extern int32_t g_sfx_enabled;        // the sound-effect setting

// Sends one sequencer command string ("open \"<path>\" type sequencer alias
// MUSIC", "play MUSIC from 0 notify", "close all"); 1 when accepted, 0 when
// refused or not understood.
int32_t snd_mci_send(const char* command, SysWnd notify);

int32_t snd_play_music(int32_t n);
void snd_stop_music_a();
int32_t snd_stop_music_b();
int32_t snd_mci_play_file(const char* path);
int32_t snd_mci_close();
int32_t snd_mci_replay();
void snd_play_effect(int32_t n);
int32_t snd_play_wave(int32_t n);

// Resets this module's state to its values at program start (tests).
void snd_reset();
