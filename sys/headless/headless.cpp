// Headless back end: virtual clock, scripted input, frames kept in memory.
#include "sys/headless/headless.h"

#include <algorithm>
#include <sstream>

#include "sys/backend.h"

namespace {

HeadlessOptions g_opt;
std::vector<HeadlessEvent> g_script;  // sorted by time, consumed from the front
size_t g_next = 0;
uint32_t g_clock = 0;

uint32_t hl_now() { return g_clock; }

void deliver(const HeadlessEvent& e) {
    SysWnd w = sys_core_visible_window();
    uint32_t lp = sys_make_lparam(e.x, e.y);
    switch (e.kind) {
        case HeadlessKind::Click:
            sys_core_pointer_moved(e.x, e.y);
            sys_core_input(w, WM_LBUTTONDOWN, 0, lp);
            sys_core_input(w, WM_LBUTTONUP, 0, lp);
            break;
        case HeadlessKind::RClick:
            sys_core_pointer_moved(e.x, e.y);
            sys_core_input(w, WM_RBUTTONDOWN, 0, lp);
            sys_core_input(w, WM_RBUTTONUP, 0, lp);
            break;
        case HeadlessKind::Down:
            sys_core_pointer_moved(e.x, e.y);
            sys_core_input(w, WM_LBUTTONDOWN, 0, lp);
            break;
        case HeadlessKind::Up:
            sys_core_pointer_moved(e.x, e.y);
            sys_core_input(w, WM_LBUTTONUP, 0, lp);
            break;
        case HeadlessKind::RDown:
            sys_core_pointer_moved(e.x, e.y);
            sys_core_input(w, WM_RBUTTONDOWN, 0, lp);
            break;
        case HeadlessKind::RUp:
            sys_core_pointer_moved(e.x, e.y);
            sys_core_input(w, WM_RBUTTONUP, 0, lp);
            break;
        case HeadlessKind::Move:
            sys_core_pointer_moved(e.x, e.y);
            sys_core_input(w, WM_MOUSEMOVE, 0, lp);
            break;
        case HeadlessKind::Key:
            sys_core_input(w, WM_KEYDOWN, e.key, 0);
            sys_core_input(w, WM_KEYUP, e.key, 0);
            break;
        case HeadlessKind::Shot:
            if (g_opt.on_shot) g_opt.on_shot(e.name);
            break;
        case HeadlessKind::End: sys_post_quit(0); break;
    }
}

void hl_wait(uint32_t deadline, bool has_deadline) {
    // Candidates: the next scripted event, the next song end, the deadline.
    bool have = false;
    uint32_t at = 0;
    auto consider = [&](uint32_t t) {
        if (!have || static_cast<int32_t>(t - at) < 0) at = t;
        have = true;
    };
    if (g_next < g_script.size()) consider(std::max(g_script[g_next].at, g_clock));
    uint32_t song = 0;
    if (hl_audio_next_due(&song)) consider(std::max(song, g_clock));
    if (has_deadline) consider(deadline);
    if (!have) {
        sys_log("headless: nothing more can happen; quitting");
        sys_post_quit(0);
        return;
    }
    if (static_cast<int32_t>(at - g_clock) > 0) g_clock = at;
    if (g_clock > g_opt.time_limit) {
        sys_log("headless: time limit reached; quitting");
        sys_post_quit(0);
        return;
    }
    hl_audio_fire(g_clock);
    while (g_next < g_script.size() && static_cast<int32_t>(g_script[g_next].at - g_clock) <= 0) {
        // A copy: a shot's callback may add events, which moves the script.
        const HeadlessEvent e = g_script[g_next++];
        deliver(e);
    }
}

void hl_windows_changed() {}
void hl_pointer_changed(bool) {}
int hl_message_box(SysWnd, const std::string&, const std::string&, uint32_t) { return 1; }

void hl_desktop(int* w, int* h) {
    *w = g_opt.desktop_w;
    *h = g_opt.desktop_h;
}

int hl_depth() { return 32; }
std::string hl_program_path() { return g_opt.exe_dir + "/rowenbel"; }
void hl_shutdown() { hl_audio_reset(); }

const SysBackend g_headless = {
    "headless", hl_now,          hl_wait,     hl_windows_changed, hl_pointer_changed, hl_message_box,    hl_desktop,
    hl_depth,   hl_program_path, hl_shutdown, hl_midi_open,       hl_midi_play,       hl_midi_close_all, hl_wave_play,
};

bool parse_kind(const std::string& word, HeadlessKind* k) {
    static const std::pair<const char*, HeadlessKind> names[] = {
        {"click", HeadlessKind::Click}, {"rclick", HeadlessKind::RClick}, {"down", HeadlessKind::Down},
        {"up", HeadlessKind::Up},       {"rdown", HeadlessKind::RDown},   {"rup", HeadlessKind::RUp},
        {"move", HeadlessKind::Move},   {"key", HeadlessKind::Key},       {"shot", HeadlessKind::Shot},
        {"end", HeadlessKind::End},
    };
    for (auto& [n, kind] : names)
        if (word == n) {
            *k = kind;
            return true;
        }
    return false;
}

}  // namespace

int sys_use_headless(const HeadlessOptions& opt) {
    g_opt = opt;
    g_script = opt.script;
    std::stable_sort(g_script.begin(), g_script.end(),
                     [](const HeadlessEvent& a, const HeadlessEvent& b) { return a.at < b.at; });
    g_next = 0;
    g_clock = 0;
    hl_audio_reset();
    sys_core_set_backend(&g_headless, opt.lock_dir);
    return 1;
}

void sys_headless_push(const HeadlessEvent& e) {
    auto it = std::upper_bound(g_script.begin() + static_cast<long>(g_next), g_script.end(), e,
                               [](const HeadlessEvent& a, const HeadlessEvent& b) { return a.at < b.at; });
    g_script.insert(it, e);
}

uint32_t sys_headless_clock() { return g_clock; }
void sys_headless_advance(uint32_t ms) { g_clock += ms; }

const uint32_t* sys_headless_frame(int* w, int* h) { return sys_window_frame(sys_core_visible_window(), w, h); }

bool sys_headless_parse_script(const std::string& text, std::vector<HeadlessEvent>* out, std::string* err) {
    std::istringstream in(text);
    std::string line;
    int lineno = 0;
    while (std::getline(in, line)) {
        ++lineno;
        if (auto hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        std::istringstream ls(line);
        std::string at, word;
        if (!(ls >> at)) continue;
        auto fail = [&](const char* why) {
            if (err) *err = "line " + std::to_string(lineno) + ": " + why;
            return false;
        };
        long t = -1;
        if (at != "at" || !(ls >> t) || t < 0) return fail("expected 'at <milliseconds>'");
        HeadlessEvent e;
        e.at = static_cast<uint32_t>(t);
        if (!(ls >> word) || !parse_kind(word, &e.kind)) return fail("unknown event");
        switch (e.kind) {
            case HeadlessKind::Key: {
                std::string k;
                if (!(ls >> k)) return fail("key needs a name");
                if (k == "enter" || k == "return")
                    e.key = VK_RETURN;
                else if (k == "f12")
                    e.key = VK_F12;
                else
                    return fail("unknown key (enter, f12)");
                break;
            }
            case HeadlessKind::Shot:
                if (!(ls >> e.name)) return fail("shot needs a name");
                for (char c : e.name)
                    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'))
                        return fail("shot names use letters, digits, '-' and '_'");
                break;
            case HeadlessKind::End: break;
            default:
                if (!(ls >> e.x >> e.y)) return fail("expected x and y");
                break;
        }
        out->push_back(e);
    }
    return true;
}
