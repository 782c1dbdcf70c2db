// What the core of sys/ asks of a back end. Internal to sys/.
#pragma once

#include "sys/sys.h"

struct SysBackend {
    const char* name;
    uint32_t (*now)();
    // Blocks until the clock reaches deadline (when has_deadline) or until the
    // back end has delivered input through sys_core_* calls. Headless: moves
    // the virtual clock. Must return when input was delivered.
    void (*wait)(uint32_t deadline, bool has_deadline);
    // Visibility, size or mode of a logical window changed.
    void (*windows_changed)();
    // The pointer's show count, position or confinement changed.
    void (*pointer_changed)(bool warp);
    int (*message_box)(SysWnd owner, const std::string& text_utf8, const std::string& caption_utf8, uint32_t flags);
    void (*desktop_size)(int* w, int* h);
    int (*display_depth)();
    std::string (*program_path)();
    void (*shutdown)();
    // Audio.
    int (*midi_open)(const std::string& path);
    int (*midi_play)(SysWnd notify);
    int (*midi_close_all)();
    int (*wave_play)(const std::string& path);
};

void sys_core_set_backend(const SysBackend* b, const std::string& lock_dir);
const SysBackend* sys_core_backend();
// Input from the back end, in client coordinates of the window that has it.
void sys_core_input(SysWnd w, uint32_t msg, uint32_t wparam, uint32_t lparam);
void sys_core_pointer_moved(int x, int y);  // client coordinates of the visible window
// The visible logical window (the one the real window shows), 0 when none.
SysWnd sys_core_visible_window();
// What a back end needs to show a logical window: its style and title, and
// the pointer's confinement rectangle (false when the pointer is free).
uint32_t sys_core_window_style(SysWnd w);
std::string sys_core_window_title(SysWnd w);
bool sys_core_clip_rect(SysRect* r);
int sys_core_show_count();

// When a back end with a real window presents: only when what the player
// would see differs from its last present. The shown window's frame changed
// (its pixels or colours), another window is shown, or the window system
// lost the picture (exposed, resized, switched between full screen and
// window) or a box closed over it, which the back end reports by forcing.
struct SysPresentGate {
    SysWnd wnd = 0;       // the window last presented
    uint32_t serial = 0;  // the change count of its frame then
    bool forced = true;   // nothing presented yet, or the picture was lost since
};
bool sys_gate_due(const SysPresentGate& g, SysWnd shown);
void sys_gate_presented(SysPresentGate* g, SysWnd shown);
void sys_gate_force(SysPresentGate* g);
