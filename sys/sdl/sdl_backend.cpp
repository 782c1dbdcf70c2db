// SDL2 back end: one real window showing the visible logical window, mouse
// and key input, the system pointer, message boxes, and music and waves
// through SDL2_mixer (MIDI through FluidSynth with the General MIDI font).
#include <SDL.h>
#include <SDL_mixer.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>

#include "sys/backend.h"
#include "sys/sdl/sdl.h"

namespace {

constexpr uint32_t NOTIFY_SUCCESSFUL = 1;  // wParam of the natural end notice
constexpr uint32_t NOTIFY_ABORTED = 4;     // wParam of the notice of a closed play
const char* const SOUND_FONT = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
constexpr int WAVE_CHANNEL = 0;

// --- video state --------------------------------------------------------------
SDL_Window* g_sdl_window = nullptr;
SDL_Renderer* g_sdl_renderer = nullptr;
SDL_Texture* g_sdl_texture = nullptr;
int g_sdl_tex_w = 0, g_sdl_tex_h = 0;
SysWnd g_sdl_shown = 0;  // the logical window the real window is set up for
bool g_sdl_full = false;
int g_sdl_client_w = 0, g_sdl_client_h = 0;
// A still picture is presented once: the next present waits until what the
// player would see changes.
SysPresentGate g_sdl_gate;

// --- pointer state --------------------------------------------------------------
int g_sdl_real_x = -1, g_sdl_real_y = -1;  // where the real pointer is, logical
int g_sdl_cursor_shown = -1;               // SDL_ENABLE or SDL_DISABLE as last set, -1 unknown
bool g_sdl_rect_set = false;
SDL_Rect g_sdl_rect{};

// --- audio state --------------------------------------------------------------
bool g_sdl_audio = false;  // an audio device is open
uint32_t g_sdl_audio_event = static_cast<uint32_t>(-1);
Mix_Music* g_sdl_music = nullptr;
// The last closed song, kept until the next one has loaded: FluidSynth then
// shares the sound font's samples instead of reading the whole font again.
Mix_Music* g_sdl_music_retired = nullptr;
bool g_sdl_music_open = false;
bool g_sdl_play_pending = false;  // a play whose end notice is still to come
SysWnd g_sdl_play_notify = 0;
// Numbers the plays: the mixer's finished hook (on the audio thread) sends
// the number it saw, and a notice is posted only for the current play.
std::atomic<uint32_t> g_sdl_play_gen{0};
std::map<std::string, Mix_Chunk*> g_sdl_chunks;  // waves loaded so far, by resolved path

uint32_t sdl_now() { return SDL_GetTicks(); }

// --- presentation ---------------------------------------------------------------

void present() {
    sys_gate_presented(&g_sdl_gate, g_sdl_shown);
    if (!g_sdl_renderer) return;
    int fw = 0, fh = 0;
    const uint32_t* px = g_sdl_shown ? sys_window_frame(g_sdl_shown, &fw, &fh) : nullptr;
    if (px && fw > 0 && fh > 0) {
        if (!g_sdl_texture || fw != g_sdl_tex_w || fh != g_sdl_tex_h) {
            if (g_sdl_texture) SDL_DestroyTexture(g_sdl_texture);
            g_sdl_texture =
                SDL_CreateTexture(g_sdl_renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, fw, fh);
            g_sdl_tex_w = fw;
            g_sdl_tex_h = fh;
        }
        if (g_sdl_texture) SDL_UpdateTexture(g_sdl_texture, nullptr, px, fw * 4);
    }
    SDL_SetRenderDrawColor(g_sdl_renderer, 0, 0, 0, 255);
    SDL_RenderClear(g_sdl_renderer);
    if (px && g_sdl_texture) SDL_RenderCopy(g_sdl_renderer, g_sdl_texture, nullptr, nullptr);
    SDL_RenderPresent(g_sdl_renderer);
}

bool present_due() { return sys_gate_due(g_sdl_gate, g_sdl_shown); }

void sdl_windows_changed() {
    SysWnd v = sys_core_visible_window();
    if (!v) {
        if (g_sdl_shown) SDL_HideWindow(g_sdl_window);
        g_sdl_shown = 0;
        return;
    }
    int cw = 0, ch = 0;
    sys_client_size(v, &cw, &ch);
    bool full = (sys_core_window_style(v) & WS_POPUP) != 0;
    std::string title = sys_cp949_to_utf8(sys_core_window_title(v).c_str());
    if (!title.empty()) SDL_SetWindowTitle(g_sdl_window, title.c_str());
    if (v == g_sdl_shown && full == g_sdl_full && cw == g_sdl_client_w && ch == g_sdl_client_h) return;
    bool was_shown = g_sdl_shown != 0;
    if (full) {
        // The desktop's own mode, the picture scaled into it with bars. The
        // window first covers the desktop by itself, for displays without a
        // window manager to carry out the full-screen request.
        if (!(SDL_GetWindowFlags(g_sdl_window) & SDL_WINDOW_FULLSCREEN)) {
            SDL_Rect d{0, 0, 640, 480};
            SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(g_sdl_window)), &d);
            SDL_SetWindowBordered(g_sdl_window, SDL_FALSE);
            SDL_SetWindowPosition(g_sdl_window, d.x, d.y);
            SDL_SetWindowSize(g_sdl_window, d.w, d.h);
        }
        SDL_SetWindowFullscreen(g_sdl_window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        SDL_SetWindowFullscreen(g_sdl_window, 0);
        SDL_SetWindowBordered(g_sdl_window, SDL_TRUE);
        SDL_SetWindowSize(g_sdl_window, cw, ch);
        SDL_SetWindowPosition(g_sdl_window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    // Event coordinates are converted to this size, in both modes.
    SDL_RenderSetLogicalSize(g_sdl_renderer, cw, ch);
    g_sdl_shown = v;
    g_sdl_full = full;
    g_sdl_client_w = cw;
    g_sdl_client_h = ch;
    SDL_ShowWindow(g_sdl_window);
    if (!was_shown || full) SDL_RaiseWindow(g_sdl_window);
    g_sdl_real_x = g_sdl_real_y = -1;
    sys_gate_force(&g_sdl_gate);
}

// --- pointer ------------------------------------------------------------------

void logical_to_window(int x, int y, int* wx, int* wy) {
    *wx = *wy = 0;
    SDL_RenderLogicalToWindow(g_sdl_renderer, static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f, wx, wy);
}

void sdl_pointer_changed(bool warp) {
    // The game releases or confines the pointer on every poll: touch the
    // display only when something really changes.
    int show = sys_core_show_count() >= 0 ? SDL_ENABLE : SDL_DISABLE;
    if (show != g_sdl_cursor_shown) {
        SDL_ShowCursor(show);
        g_sdl_cursor_shown = show;
    }
    SysRect clip{};
    if (sys_core_clip_rect(&clip)) {
        int x0, y0, x1, y1;
        logical_to_window(clip.left, clip.top, &x0, &y0);
        logical_to_window(std::max(clip.left, clip.right - 1), std::max(clip.top, clip.bottom - 1), &x1, &y1);
        SDL_Rect r{x0, y0, std::max(1, x1 - x0 + 1), std::max(1, y1 - y0 + 1)};
        if (!g_sdl_rect_set || std::memcmp(&r, &g_sdl_rect, sizeof r) != 0) {
            SDL_SetWindowMouseRect(g_sdl_window, &r);
            g_sdl_rect = r;
            g_sdl_rect_set = true;
        }
    } else if (g_sdl_rect_set) {
        SDL_SetWindowMouseRect(g_sdl_window, nullptr);
        g_sdl_rect_set = false;
    }
    if (warp && g_sdl_shown) {
        int x = 0, y = 0;
        sys_get_cursor_pos(g_sdl_shown, &x, &y);
        // The game sets the position on every poll while the pointer is
        // pinned: warp only when it is really elsewhere.
        if (x != g_sdl_real_x || y != g_sdl_real_y) {
            int wx, wy;
            logical_to_window(x, y, &wx, &wy);
            SDL_WarpMouseInWindow(g_sdl_window, wx, wy);
            g_sdl_real_x = x;
            g_sdl_real_y = y;
        }
    }
}

// --- input ----------------------------------------------------------------------

// Logical event coordinates clamped into the shown client area (the bars
// around a letterboxed picture count as its edge).
void client_point(int x, int y, int* cx, int* cy) {
    *cx = std::clamp(x, 0, std::max(0, g_sdl_client_w - 1));
    *cy = std::clamp(y, 0, std::max(0, g_sdl_client_h - 1));
}

void post_music_end(uint32_t gen) {
    if (!g_sdl_play_pending || gen != g_sdl_play_gen.load()) return;  // a play stopped since
    g_sdl_play_pending = false;
    sys_post_message(g_sdl_play_notify, MM_MCINOTIFY, NOTIFY_SUCCESSFUL, 0);
}

// Handles one event; true when it queued a message for the game.
bool handle_event(const SDL_Event& ev) {
    SysWnd w = sys_core_visible_window();
    if (ev.type == g_sdl_audio_event) {
        bool was = g_sdl_play_pending;
        post_music_end(static_cast<uint32_t>(ev.user.code));
        return was && !g_sdl_play_pending;
    }
    switch (ev.type) {
        case SDL_MOUSEMOTION: {
            int x, y;
            client_point(ev.motion.x, ev.motion.y, &x, &y);
            g_sdl_real_x = x;
            g_sdl_real_y = y;
            sys_core_pointer_moved(x, y);
            if (!w) return false;
            sys_core_input(w, WM_MOUSEMOVE, 0, sys_make_lparam(x, y));
            return true;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            bool down = ev.type == SDL_MOUSEBUTTONDOWN;
            uint32_t msg;
            if (ev.button.button == SDL_BUTTON_LEFT)
                msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            else if (ev.button.button == SDL_BUTTON_RIGHT)
                msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            else
                return false;
            int x, y;
            client_point(ev.button.x, ev.button.y, &x, &y);
            sys_core_pointer_moved(x, y);
            if (!w) return false;
            sys_core_input(w, msg, 0, sys_make_lparam(x, y));
            return true;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            uint32_t vk;
            SDL_Keycode k = ev.key.keysym.sym;
            if (k == SDLK_RETURN || k == SDLK_KP_ENTER)
                vk = VK_RETURN;
            else if (k == SDLK_F12)
                vk = VK_F12;
            else
                return false;
            if (!w) return false;
            sys_core_input(w, ev.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, vk, 0);
            return true;
        }
        case SDL_WINDOWEVENT:
            switch (ev.window.event) {
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    if (!w) return false;
                    sys_core_input(w, WM_ACTIVATEAPP, 1, 0);
                    return true;
                case SDL_WINDOWEVENT_CLOSE:
                    // The game decides what the close box does (nothing).
                    if (!w) return false;
                    sys_post_message(w, WM_CLOSE, 0, 0);
                    return true;
                case SDL_WINDOWEVENT_EXPOSED:
                case SDL_WINDOWEVENT_SIZE_CHANGED: sys_gate_force(&g_sdl_gate); return false;
                default: return false;
            }
        default: return false;
    }
}

void sdl_wait(uint32_t deadline, bool has_deadline) {
    for (;;) {
        if (present_due()) present();
        int timeout = -1;
        if (has_deadline) timeout = std::max(0, static_cast<int>(static_cast<int32_t>(deadline - SDL_GetTicks())));
        SDL_Event ev;
        // Nothing came before the deadline: the clock has reached it.
        if (!SDL_WaitEventTimeout(&ev, timeout)) return;
        bool delivered = handle_event(ev);
        while (SDL_PollEvent(&ev)) delivered |= handle_event(ev);
        if (delivered) return;
        if (has_deadline && static_cast<int32_t>(deadline - SDL_GetTicks()) <= 0) return;
    }
}

// --- machine ----------------------------------------------------------------------

int sdl_message_box(SysWnd, const std::string& text, const std::string& caption, uint32_t flags) {
    // The box needs a free, visible pointer; the game's state comes back after.
    if (g_sdl_rect_set) SDL_SetWindowMouseRect(g_sdl_window, nullptr);
    g_sdl_rect_set = false;
    SDL_ShowCursor(SDL_ENABLE);
    g_sdl_cursor_shown = -1;
    uint32_t kind = (flags & MB_ICONSTOP) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    if (SDL_ShowSimpleMessageBox(kind, caption.c_str(), text.c_str(), g_sdl_window) != 0)
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    // The game goes on without waiting, maybe straight into another box:
    // take what the window system sent meanwhile and show the picture again
    // over the closed box now, so that two boxes never mix on the screen.
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) handle_event(ev);
    sys_gate_force(&g_sdl_gate);
    present();
    sdl_pointer_changed(false);
    return 1;
}

void sdl_desktop_size(int* w, int* h) {
    SDL_DisplayMode m{};
    if (SDL_GetDesktopDisplayMode(0, &m) == 0 && m.w > 0 && m.h > 0) {
        *w = m.w;
        *h = m.h;
    } else {
        *w = 1024;
        *h = 768;
    }
}

int sdl_display_depth() {
    SDL_DisplayMode m{};
    if (SDL_GetDesktopDisplayMode(0, &m) == 0 && SDL_BITSPERPIXEL(m.format) > 0)
        return static_cast<int>(SDL_BITSPERPIXEL(m.format));
    return 32;
}

std::string sdl_program_path() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./rowenbel";
    return std::string(buf, static_cast<size_t>(n));
}

// --- audio ------------------------------------------------------------------------

// Runs on the audio thread: hand the end over to the main thread.
void music_finished_hook() {
    SDL_Event e{};
    e.type = g_sdl_audio_event;
    e.user.code = static_cast<Sint32>(g_sdl_play_gen.load());
    SDL_PushEvent(&e);
}

// Ends the current play, with its abort notice when asked.
void stop_play(bool notice) {
    if (g_sdl_play_pending && notice) sys_post_message(g_sdl_play_notify, MM_MCINOTIFY, NOTIFY_ABORTED, 0);
    g_sdl_play_pending = false;
    ++g_sdl_play_gen;  // a finished hook of the stopped play is stale from here
    if (g_sdl_audio) Mix_HaltMusic();
}

void retire_music() {
    if (g_sdl_music) {
        if (g_sdl_music_retired) Mix_FreeMusic(g_sdl_music_retired);
        g_sdl_music_retired = g_sdl_music;
    }
    g_sdl_music = nullptr;
    g_sdl_music_open = false;
}

void free_music() {
    retire_music();
    if (g_sdl_music_retired) Mix_FreeMusic(g_sdl_music_retired);
    g_sdl_music_retired = nullptr;
}

int sdl_midi_close_all() {
    stop_play(true);
    retire_music();
    return 1;
}

int sdl_midi_open(const std::string& path) {
    std::string file = sys_resolve_path(path);
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) return 0;
    std::fclose(f);
    // Opening over an open file closes that one first, as "close all" would.
    if (g_sdl_music_open) sdl_midi_close_all();
    g_sdl_music_open = true;
    if (g_sdl_audio) {
        g_sdl_music = Mix_LoadMUS(file.c_str());
        // Still accepted: the song plays silently and never ends.
        if (!g_sdl_music) sys_log("sdl: cannot play " + file + ": " + Mix_GetError());
        if (g_sdl_music_retired) Mix_FreeMusic(g_sdl_music_retired);
        g_sdl_music_retired = nullptr;
    }
    return 1;
}

int sdl_midi_play(SysWnd notify) {
    if (!g_sdl_music_open) return 0;
    stop_play(false);  // a pending play replaced by this one ends without a notice
    g_sdl_play_pending = true;
    g_sdl_play_notify = notify;
    if (g_sdl_music && Mix_PlayMusic(g_sdl_music, 0) != 0) sys_log(std::string("sdl: music: ") + Mix_GetError());
    return 1;
}

int sdl_wave_play(const std::string& path) {
    std::string file = sys_resolve_path(path);
    if (!g_sdl_audio) {
        FILE* f = std::fopen(file.c_str(), "rb");
        if (!f) return 0;
        std::fclose(f);
        return 1;
    }
    Mix_Chunk* chunk = nullptr;
    if (auto it = g_sdl_chunks.find(file); it != g_sdl_chunks.end()) {
        chunk = it->second;
    } else {
        chunk = Mix_LoadWAV(file.c_str());
        if (!chunk) return 0;
        g_sdl_chunks[file] = chunk;
    }
    Mix_HaltChannel(WAVE_CHANNEL);
    return Mix_PlayChannel(WAVE_CHANNEL, chunk, 0) >= 0 ? 1 : 0;
}

void start_audio() {
    g_sdl_audio_event = SDL_RegisterEvents(1);
    if (g_sdl_audio_event == static_cast<uint32_t>(-1)) return;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "rowenbel: no audio (%s); running silent\n", SDL_GetError());
        return;
    }
    Mix_Init(MIX_INIT_MID);
    if (FILE* f = std::fopen(SOUND_FONT, "rb")) {
        std::fclose(f);
        Mix_SetSoundFonts(SOUND_FONT);
    }
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        std::fprintf(stderr, "rowenbel: no audio device (%s); running silent\n", Mix_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    Mix_AllocateChannels(1);
    Mix_HookMusicFinished(music_finished_hook);
    g_sdl_audio = true;
}

void sdl_shutdown() {
    if (g_sdl_audio) {
        Mix_HookMusicFinished(nullptr);
        Mix_HaltMusic();
        Mix_HaltChannel(-1);
    }
    free_music();
    g_sdl_play_pending = false;
    for (auto& [name, chunk] : g_sdl_chunks) Mix_FreeChunk(chunk);
    g_sdl_chunks.clear();
    if (g_sdl_audio) {
        Mix_CloseAudio();
        Mix_Quit();
        g_sdl_audio = false;
    }
    if (g_sdl_texture) SDL_DestroyTexture(g_sdl_texture);
    if (g_sdl_renderer) SDL_DestroyRenderer(g_sdl_renderer);
    if (g_sdl_window) SDL_DestroyWindow(g_sdl_window);
    g_sdl_texture = nullptr;
    g_sdl_renderer = nullptr;
    g_sdl_window = nullptr;
    g_sdl_shown = 0;
    g_sdl_gate = SysPresentGate{};
    g_sdl_rect_set = false;
    g_sdl_cursor_shown = -1;
    SDL_Quit();
}

const SysBackend g_sdl = {
    "sdl",           sdl_now,          sdl_wait,           sdl_windows_changed, sdl_pointer_changed,
    sdl_message_box, sdl_desktop_size, sdl_display_depth,  sdl_program_path,    sdl_shutdown,
    sdl_midi_open,   sdl_midi_play,    sdl_midi_close_all, sdl_wave_play,
};

}  // namespace

int sys_use_sdl(const std::string& lock_dir) {
    // Ctrl-C keeps killing the program; a message box does not minimise it.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "rowenbel: %s\n", SDL_GetError());
        return 0;
    }
    g_sdl_window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480, SDL_WINDOW_HIDDEN);
    if (g_sdl_window) {
        g_sdl_renderer = SDL_CreateRenderer(g_sdl_window, -1, SDL_RENDERER_ACCELERATED);
        if (!g_sdl_renderer) g_sdl_renderer = SDL_CreateRenderer(g_sdl_window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (!g_sdl_renderer) {
        std::fprintf(stderr, "rowenbel: %s\n", SDL_GetError());
        if (g_sdl_window) SDL_DestroyWindow(g_sdl_window);
        g_sdl_window = nullptr;
        SDL_Quit();
        return 0;
    }
    start_audio();
    sys_core_set_backend(&g_sdl, lock_dir);
    return 1;
}
