// The headless back end: a virtual clock that moves only when nothing is
// queued, straight to the next due event (a timer, a scripted input, the end
// of a song), scripted mouse and key input, and frames and logs read back.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sys/sys.h"

enum class HeadlessKind { Click, RClick, Down, Up, RDown, RUp, Move, Key, Shot, End };

struct HeadlessEvent {
    uint32_t at = 0;  // virtual milliseconds
    HeadlessKind kind = HeadlessKind::Click;
    int x = 0, y = 0;  // client coordinates of the visible window
    uint32_t key = 0;  // virtual key for Key
    std::string name;  // shot name
};

struct HeadlessOptions {
    std::string exe_dir = ".";  // folder of the (pretended) program file
    std::string lock_dir = "/tmp";
    int desktop_w = 1024;
    int desktop_h = 768;
    std::vector<HeadlessEvent> script;
    std::function<void(const std::string&)> on_shot;  // called at a Shot event
    uint32_t time_limit = 24u * 3600u * 1000u;        // quit posted when the clock passes it
};

int sys_use_headless(const HeadlessOptions& opt);
// Parses lines like "at 1200 click 320 200", "at 2000 key enter",
// "at 3000 shot title", "at 9000 end"; '#' starts a comment. On error returns
// false and puts the line number and reason into err.
bool sys_headless_parse_script(const std::string& text, std::vector<HeadlessEvent>* out, std::string* err);
// Adds events to the running script (kept in time order).
void sys_headless_push(const HeadlessEvent& e);
uint32_t sys_headless_clock();
// Moves the virtual clock forward without delivering anything (tests use it
// to make a timer message late).
void sys_headless_advance(uint32_t ms);
// The frame of the window the real window would show.
const uint32_t* sys_headless_frame(int* w, int* h);

// Headless audio (sys/headless/headless_audio.cpp).
int hl_midi_open(const std::string& path);
int hl_midi_play(SysWnd notify);
int hl_midi_close_all();
int hl_wave_play(const std::string& path);
void hl_audio_reset();
// The time of the next end-of-song notice, when a song is playing.
bool hl_audio_next_due(uint32_t* at);
// Posts the notices that are due at the given time.
void hl_audio_fire(uint32_t now);
