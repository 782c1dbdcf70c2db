// Headless stand-in for the sequencer and wave player.
#include "sys/headless/headless.h"

// PENDING: song lengths and end notices of the headless sequencer (music issue).
int hl_midi_open(const std::string&) { return 0; }
int hl_midi_play(SysWnd) { return 0; }
int hl_midi_close_all() { return 1; }
int hl_wave_play(const std::string&) { return 0; }
void hl_audio_reset() {}
bool hl_audio_next_due(uint32_t*) { return false; }
void hl_audio_fire(uint32_t) {}
