// The back-end independent core of sys/: window bookkeeping, the message
// queue with its fetch order, timers, presentation into window frames, the
// pointer state, message boxes and the single-instance lock.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <stdexcept>

#include "sys/backend.h"

namespace {

struct WndClass {
    std::string name;
    SysWndProc proc = nullptr;
};

// The last present of a window: where, through which colours, and the
// source pixels of each line it showed. Its lines are converted to colours
// only when the frame is read (or another present goes elsewhere), so a run
// of presents in one place, as fades and colour cycling make, converts once.
struct PresentMemo {
    bool valid = false;
    bool pending = false;                // the frame does not show it yet
    std::array<int, 8> geometry{};       // width, height, src_x, src_y, rect_w, rect_h, dst_x, dst_y
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;  // the frame's rectangle it covers
    std::array<uint8_t, 1024> colours{};
    std::vector<uint8_t> rows;   // the clipped source lines, one after the other
    std::vector<uint8_t> blank;  // per line: 1 when it lies outside the image (black)
};

struct Window {
    bool used = false;
    SysWndProc proc = nullptr;
    std::string title;
    uint32_t style = 0;
    int x = 0, y = 0, w = 0, h = 0;
    bool visible = false;
    bool dirty = false;
    std::vector<uint32_t> frame;
    int frame_w = 0, frame_h = 0;
    uint32_t frame_serial = 0;  // counts the changes of the frame's pixels
    PresentMemo memo;
};

struct Timer {
    SysWnd wnd;
    uint32_t id;
    uint32_t period;
    uint32_t next_due;
};

constexpr int MAX_WINDOWS = 8;

const SysBackend* g_backend = nullptr;
std::string g_lock_dir = "/tmp";
std::vector<WndClass> g_classes;
std::array<Window, MAX_WINDOWS + 1> g_windows;  // index = handle; 0 unused
std::deque<SysMsg> g_posted;
std::deque<SysMsg> g_input;
std::vector<Timer> g_timers;
bool g_quit = false;
int g_quit_code = 0;
SysWnd g_foreground_wnd = 0;
SysWnd g_visible_wnd = 0;  // the logical window the real window shows
int g_show_count = 0;
int g_pointer_x = 0, g_pointer_y = 0;
bool g_clipped = false;
SysRect g_clip{};
uint32_t g_cursor_handle = 1;
int g_lock_fd = -1;
std::vector<std::string> g_log;

Window* wnd_of(SysWnd w) {
    if (w <= 0 || w > MAX_WINDOWS || !g_windows[w].used) return nullptr;
    return &g_windows[w];
}

uint32_t frame_serial(SysWnd w) {
    Window* win = wnd_of(w);
    return win ? win->frame_serial : 0;
}

void client_of(const Window& win, int* cw, int* ch) {
    int w = win.w, h = win.h;
    if (!(win.style & WS_POPUP)) {
        w -= SYS_FRAME_W;
        h -= SYS_FRAME_H;
    }
    *cw = std::max(1, w);
    *ch = std::max(1, h);
}

// Every change of a frame's pixels outside a present goes through here.
// Whatever the last present left unconverted is overwritten with it.
void frame_touched(Window& win) {
    win.memo.valid = false;
    win.memo.pending = false;
    ++win.frame_serial;
}

// Converts the last present's lines into the frame, if it does not show them yet.
void flush_present(Window& win) {
    PresentMemo& m = win.memo;
    if (!m.pending) return;
    m.pending = false;
    uint32_t lut[256];
    for (int i = 0; i < 256; ++i) {
        const uint8_t* e = m.colours.data() + i * 4;
        lut[i] = (static_cast<uint32_t>(e[2]) << 16) | (static_cast<uint32_t>(e[1]) << 8) | e[0];
    }
    const size_t span = static_cast<size_t>(m.x1 - m.x0);
    for (int dy = m.y0; dy < m.y1; ++dy) {
        uint32_t* out = win.frame.data() + static_cast<size_t>(dy) * win.frame_w + m.x0;
        if (m.blank[static_cast<size_t>(dy - m.y0)]) {
            std::fill(out, out + span, 0u);
            continue;
        }
        const uint8_t* kept = m.rows.data() + static_cast<size_t>(dy - m.y0) * span;
        for (size_t i = 0; i < span; ++i) out[i] = lut[kept[i]];
    }
}

void resize_frame(Window& win) {
    int cw = 0, ch = 0;
    client_of(win, &cw, &ch);
    if (cw != win.frame_w || ch != win.frame_h) {
        win.frame.assign(static_cast<size_t>(cw) * ch, 0);
        win.frame_w = cw;
        win.frame_h = ch;
        frame_touched(win);
    }
}

// The real window shows the foreground window when it is visible, else the
// last window shown.
void choose_visible() {
    SysWnd v = 0;
    if (Window* f = wnd_of(g_foreground_wnd); f && f->visible) v = g_foreground_wnd;
    if (!v && wnd_of(g_visible_wnd) && g_windows[g_visible_wnd].visible) v = g_visible_wnd;
    if (!v)
        for (SysWnd i = 1; i <= MAX_WINDOWS; ++i)
            if (g_windows[i].used && g_windows[i].visible) {
                v = i;
                break;
            }
    g_visible_wnd = v;
    if (g_backend && g_backend->windows_changed) g_backend->windows_changed();
}

void clamp_pointer() {
    if (!g_clipped) return;
    g_pointer_x = std::clamp(g_pointer_x, g_clip.left, std::max(g_clip.left, g_clip.right - 1));
    g_pointer_y = std::clamp(g_pointer_y, g_clip.top, std::max(g_clip.top, g_clip.bottom - 1));
}

uint32_t now() { return g_backend ? g_backend->now() : 0; }

}  // namespace

// --- back end plumbing ----------------------------------------------------

void sys_core_set_backend(const SysBackend* b, const std::string& lock_dir) {
    sys_instance_unlock();
    g_backend = b;
    g_lock_dir = lock_dir;
    g_classes.clear();
    for (auto& w : g_windows) w = Window{};
    g_posted.clear();
    g_input.clear();
    g_timers.clear();
    g_quit = false;
    g_quit_code = 0;
    g_foreground_wnd = g_visible_wnd = 0;
    g_show_count = 0;
    g_pointer_x = g_pointer_y = 0;
    g_clipped = false;
    g_cursor_handle = 1;
    g_log.clear();
}

const SysBackend* sys_core_backend() { return g_backend; }

void sys_core_input(SysWnd w, uint32_t msg, uint32_t wparam, uint32_t lparam) {
    g_input.push_back(SysMsg{w, msg, wparam, lparam});
}

void sys_core_pointer_moved(int x, int y) {
    g_pointer_x = x;
    g_pointer_y = y;
    clamp_pointer();
}

SysWnd sys_core_visible_window() { return g_visible_wnd; }

uint32_t sys_core_window_style(SysWnd w) {
    Window* win = wnd_of(w);
    return win ? win->style : 0;
}

std::string sys_core_window_title(SysWnd w) {
    Window* win = wnd_of(w);
    return win ? win->title : std::string();
}

bool sys_core_clip_rect(SysRect* r) {
    if (g_clipped && r) *r = g_clip;
    return g_clipped;
}
int sys_core_show_count() { return g_show_count; }
int sys_show_count() { return g_show_count; }

void sys_shutdown() {
    if (g_backend && g_backend->shutdown) g_backend->shutdown();
    sys_instance_unlock();
    g_backend = nullptr;
}

// --- program and machine ----------------------------------------------------

std::string sys_program_path() { return g_backend ? g_backend->program_path() : std::string("./rowenbel"); }

void sys_desktop_size(int* w, int* h) {
    if (g_backend) {
        g_backend->desktop_size(w, h);
    } else {
        *w = 1024;
        *h = 768;
    }
}

int sys_display_depth() { return g_backend ? g_backend->display_depth() : 32; }

int sys_instance_lock(const char* name) {
    std::string file = g_lock_dir + "/";
    for (const char* p = name; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        file += (std::isalnum(c) ? static_cast<char>(c) : '_');
    }
    file += ".lock";
    int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return 1;  // no place for a lock: run rather than refuse
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return 0;
    }
    sys_instance_unlock();
    g_lock_fd = fd;
    return 1;
}

void sys_instance_unlock() {
    if (g_lock_fd >= 0) {
        flock(g_lock_fd, LOCK_UN);
        close(g_lock_fd);
        g_lock_fd = -1;
    }
}

// --- windows ----------------------------------------------------------------

int sys_register_class(const char* cls, SysWndProc proc) {
    if (!cls || !proc) return 0;
    for (auto& c : g_classes)
        if (c.name == cls) return 0;
    g_classes.push_back(WndClass{cls, proc});
    return 1;
}

SysWnd sys_create_window(const char* cls, const char* title, uint32_t style, int x, int y, int w, int h) {
    SysWndProc proc = nullptr;
    for (auto& c : g_classes)
        if (c.name == cls) proc = c.proc;
    if (!proc) return 0;
    SysWnd handle = 0;
    for (SysWnd i = 1; i <= MAX_WINDOWS; ++i)
        if (!g_windows[i].used) {
            handle = i;
            break;
        }
    if (!handle) return 0;
    Window& win = g_windows[handle];
    win = Window{};
    win.used = true;
    win.proc = proc;
    win.title = title ? title : "";
    win.style = style;
    win.x = x;
    win.y = y;
    win.w = w;
    win.h = h;
    resize_frame(win);
    if (proc(handle, WM_CREATE, 0, 0) == -1) {
        // Creation refused: the window and everything addressed to it go.
        g_posted.erase(
            std::remove_if(g_posted.begin(), g_posted.end(), [&](const SysMsg& m) { return m.hwnd == handle; }),
            g_posted.end());
        g_timers.erase(
            std::remove_if(g_timers.begin(), g_timers.end(), [&](const Timer& t) { return t.wnd == handle; }),
            g_timers.end());
        win = Window{};
        choose_visible();
        return 0;
    }
    return handle;
}

void sys_show_window(SysWnd w, int show) {
    Window* win = wnd_of(w);
    if (!win) return;
    bool was = win->visible;
    win->visible = show != 0;
    if (win->visible) {
        win->dirty = true;
        if (!was) {
            // A window that appears is erased to black (its class background)
            // before it paints: nothing it showed earlier, in another mode or
            // scene, stays outside what the next paint draws.
            std::fill(win->frame.begin(), win->frame.end(), 0u);
            frame_touched(*win);
            g_visible_wnd = w;
        }
    }
    choose_visible();
}

int sys_window_visible(SysWnd w) {
    Window* win = wnd_of(w);
    return win && win->visible ? 1 : 0;
}

void sys_set_window_pos(SysWnd w, int x, int y, int width, int height) {
    Window* win = wnd_of(w);
    if (!win) return;
    win->x = x;
    win->y = y;
    win->w = width;
    win->h = height;
    resize_frame(*win);
    win->dirty = true;
    if (g_backend && g_backend->windows_changed) g_backend->windows_changed();
}

void sys_set_foreground(SysWnd w) {
    if (!wnd_of(w)) return;
    g_foreground_wnd = w;
    choose_visible();
}

SysWnd sys_foreground() { return g_foreground_wnd; }

void sys_client_size(SysWnd w, int* width, int* height) {
    Window* win = wnd_of(w);
    if (!win) {
        *width = *height = 0;
        return;
    }
    client_of(*win, width, height);
}

int32_t sys_default_proc(SysWnd, uint32_t, uint32_t, uint32_t) { return 0; }

// --- messages ---------------------------------------------------------------

void sys_post_message(SysWnd w, uint32_t msg, uint32_t wparam, uint32_t lparam) {
    g_posted.push_back(SysMsg{w, msg, wparam, lparam});
}

void sys_post_quit(int code) {
    if (!g_quit) g_quit_code = code;
    g_quit = true;
}

int sys_quit_posted() { return g_quit ? 1 : 0; }

int sys_get_message(SysMsg* out) {
    for (;;) {
        if (g_quit) {
            *out = SysMsg{0, WM_QUIT, static_cast<uint32_t>(g_quit_code), 0};
            return 0;
        }
        if (!g_posted.empty()) {
            *out = g_posted.front();
            g_posted.pop_front();
            return 1;
        }
        if (!g_input.empty()) {
            *out = g_input.front();
            g_input.pop_front();
            return 1;
        }
        for (SysWnd i = 1; i <= MAX_WINDOWS; ++i) {
            Window& win = g_windows[i];
            if (win.used && win.visible && win.dirty) {
                win.dirty = false;
                *out = SysMsg{i, WM_PAINT, 0, 0};
                return 1;
            }
        }
        uint32_t t = now();
        bool has_deadline = false;
        uint32_t deadline = 0;
        for (auto& tm : g_timers) {
            if (static_cast<int32_t>(t - tm.next_due) >= 0) {
                tm.next_due = t + tm.period;
                *out = SysMsg{tm.wnd, WM_TIMER, tm.id, 0};
                return 1;
            }
            if (!has_deadline || static_cast<int32_t>(tm.next_due - deadline) < 0) deadline = tm.next_due;
            has_deadline = true;
        }
        if (!g_backend) {
            // Without a back end nothing can ever arrive.
            sys_post_quit(0);
            continue;
        }
        g_backend->wait(deadline, has_deadline);
    }
}

int32_t sys_dispatch(const SysMsg* m) {
    if (m->message == WM_QUIT) return 0;
    Window* win = wnd_of(m->hwnd);
    if (!win || !win->proc) return 0;
    return win->proc(m->hwnd, m->message, m->wparam, m->lparam);
}

void sys_invalidate(SysWnd w) {
    if (Window* win = wnd_of(w)) win->dirty = true;
}

int sys_set_timer(SysWnd w, uint32_t id, uint32_t period_ms) {
    if (!wnd_of(w) || period_ms == 0) return 0;
    sys_kill_timer(w, id);
    g_timers.push_back(Timer{w, id, period_ms, now() + period_ms});
    return 1;
}

void sys_kill_timer(SysWnd w, uint32_t id) {
    g_timers.erase(
        std::remove_if(g_timers.begin(), g_timers.end(), [&](const Timer& t) { return t.wnd == w && t.id == id; }),
        g_timers.end());
}

uint32_t sys_tick_count() { return now(); }

void sys_sleep_ms(uint32_t ms) {
    const SysBackend* b = sys_core_backend();
    if (!b || ms == 0) return;
    const uint32_t deadline = b->now() + ms;
    while (static_cast<int32_t>(deadline - b->now()) > 0) b->wait(deadline, true);
}

// --- presentation -----------------------------------------------------------

void sys_present(SysWnd w, const uint8_t* bits, int width, int height, const uint8_t* colour_table, int src_x,
                 int src_y, int rect_w, int rect_h, int dst_x, int dst_y) {
    Window* win = wnd_of(w);
    if (!win || !bits || !colour_table || width <= 0 || height <= 0) return;
    // Clip the destination to the client area, the source columns to the image.
    int x0 = std::max({0, dst_x, dst_x - src_x});
    int x1 = std::min({win->frame_w, dst_x + rect_w, dst_x + (width - src_x)});
    int y0 = std::max(0, dst_y);
    int y1 = std::min(win->frame_h, dst_y + rect_h);
    if (x0 >= x1 || y0 >= y1) return;
    // Where the place is that of the last present, only its lines and
    // colours are kept: the frame is converted when it is read. A present
    // elsewhere first puts the last one into the frame.
    PresentMemo& memo = win->memo;
    const std::array<int, 8> geometry{width, height, src_x, src_y, rect_w, rect_h, dst_x, dst_y};
    const size_t span = static_cast<size_t>(x1 - x0);
    const size_t lines = static_cast<size_t>(y1 - y0);
    const bool same_place = memo.valid && memo.geometry == geometry;
    bool changed = !same_place || std::memcmp(memo.colours.data(), colour_table, memo.colours.size()) != 0;
    if (!same_place) {
        flush_present(*win);
        memo.geometry = geometry;
        memo.x0 = x0;
        memo.x1 = x1;
        memo.y0 = y0;
        memo.y1 = y1;
        memo.rows.assign(span * lines, 0);
        memo.blank.assign(lines, 0);
    }
    memo.valid = true;
    std::memcpy(memo.colours.data(), colour_table, memo.colours.size());
    for (int dy = y0; dy < y1; ++dy) {
        const size_t i = static_cast<size_t>(dy - y0);
        const int line = src_y + (dy - dst_y);
        if (line < 0 || line >= height) {
            memo.blank[i] = 1;
            continue;
        }
        const uint8_t* row = bits + static_cast<size_t>(height - 1 - line) * width + src_x - dst_x + x0;
        uint8_t* kept = memo.rows.data() + i * span;
        if (!changed && std::memcmp(kept, row, span) == 0) continue;
        std::memcpy(kept, row, span);
        changed = true;
    }
    if (changed) {
        memo.pending = true;
        ++win->frame_serial;
    }
}

bool sys_gate_due(const SysPresentGate& g, SysWnd shown) {
    return g.forced || shown != g.wnd || frame_serial(shown) != g.serial;
}

void sys_gate_presented(SysPresentGate* g, SysWnd shown) {
    g->wnd = shown;
    g->serial = frame_serial(shown);
    g->forced = false;
}

void sys_gate_force(SysPresentGate* g) { g->forced = true; }

const uint32_t* sys_window_frame(SysWnd w, int* width, int* height) {
    Window* win = wnd_of(w);
    if (!win) {
        *width = *height = 0;
        return nullptr;
    }
    flush_present(*win);
    *width = win->frame_w;
    *height = win->frame_h;
    return win->frame.data();
}

// --- pointer ----------------------------------------------------------------

int sys_show_cursor(int show) {
    g_show_count += show ? 1 : -1;
    if (g_backend && g_backend->pointer_changed) g_backend->pointer_changed(false);
    return g_show_count;
}

void sys_get_cursor_pos(SysWnd, int* x, int* y) {
    *x = g_pointer_x;
    *y = g_pointer_y;
}

void sys_set_cursor_pos(SysWnd, int x, int y) {
    g_pointer_x = x;
    g_pointer_y = y;
    clamp_pointer();
    if (g_backend && g_backend->pointer_changed) g_backend->pointer_changed(true);
}

void sys_clip_cursor(SysWnd, const SysRect* r) {
    if (r) {
        g_clip = *r;
        g_clipped = true;
        clamp_pointer();
    } else {
        g_clipped = false;
    }
    if (g_backend && g_backend->pointer_changed) g_backend->pointer_changed(r != nullptr);
}

int sys_cursor_clipped() { return g_clipped ? 1 : 0; }
uint32_t sys_get_cursor() { return g_cursor_handle; }
void sys_set_cursor(uint32_t c) { g_cursor_handle = c; }

// --- message boxes ------------------------------------------------------------

int sys_message_box(SysWnd owner, const char* text, const char* caption, uint32_t flags) {
    std::string t = sys_cp949_to_utf8(text ? text : "");
    std::string c = sys_cp949_to_utf8(caption ? caption : "");
    sys_log("msgbox " + c + "|" + t);
    if (g_backend && g_backend->message_box) return g_backend->message_box(owner, t, c, flags);
    return 1;
}

// --- logs -------------------------------------------------------------------

void sys_log(const std::string& line) {
    // A long session keeps only the most recent lines.
    constexpr size_t LOG_KEEP = 100000;
    if (g_log.size() >= LOG_KEEP) g_log.erase(g_log.begin(), g_log.begin() + LOG_KEEP / 2);
    g_log.push_back(line);
    // With a real window only the message boxes go to the terminal as well,
    // for when the box itself cannot be shown.
    if (g_backend && std::strcmp(g_backend->name, "headless") != 0 && line.rfind("msgbox ", 0) == 0)
        std::fprintf(stderr, "%s\n", line.c_str());
}

const std::vector<std::string>& sys_log_lines() { return g_log; }
void sys_log_clear() { g_log.clear(); }
