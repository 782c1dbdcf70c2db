// MIDI sequencer stand-in and wave player.
//
// One MIDI file at a time: open it, play it from the start with an end
// notice, close everything. The end notice is posted to the notice window as
// MM_MCINOTIFY, once for every play that ends: at the natural end of the
// song, and also when a play that is still pending is closed (the abort
// notice). A play that is replaced by a new play of the same file posts
// nothing. Waves play asynchronously on one channel, each cutting off the
// last; a missing file plays nothing.
#pragma once

#include "sys/sys.h"

int sys_midi_open(const std::string& path);  // 1 accepted, 0 refused (missing or unreadable file)
int sys_midi_play(SysWnd notify);            // play from 0 with notice; 0 when nothing is open
int sys_midi_close_all();                    // 1 accepted
int sys_wave_play(const std::string& path);  // 1 started, 0 not
