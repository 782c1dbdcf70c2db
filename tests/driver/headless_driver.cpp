// Runs the real game on the headless back end from a script of timed input
// events, writing PNG shots of the window. Not part of the game: the way to
// see and check whole flows without a display.
//
//   game-headless --script FILE --shots DIR [--data DIR] [--desktop WxH]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/shell.h"
#include "sys/headless/headless.h"

namespace {

std::string program_dir(const char* argv0) {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string p = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string(argv0);
    size_t cut = p.find_last_of('/');
    return cut == std::string::npos ? std::string(".") : p.substr(0, cut);
}

int usage() {
    std::fprintf(stderr, "usage: game-headless --script FILE --shots DIR [--data DIR] [--desktop WxH]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string script_path, shots = ".", data = program_dir(argv[0]);
    HeadlessOptions opt;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc) return usage();
        std::string v = argv[++i];
        if (a == "--script")
            script_path = v;
        else if (a == "--shots")
            shots = v;
        else if (a == "--data")
            data = v;
        else if (a == "--desktop") {
            if (std::sscanf(v.c_str(), "%dx%d", &opt.desktop_w, &opt.desktop_h) != 2) return usage();
        } else
            return usage();
    }
    if (script_path.empty()) return usage();
    std::ifstream in(script_path);
    if (!in) {
        std::fprintf(stderr, "game-headless: cannot read %s\n", script_path.c_str());
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::string err;
    if (!sys_headless_parse_script(text.str(), &opt.script, &err)) {
        std::fprintf(stderr, "game-headless: %s: %s\n", script_path.c_str(), err.c_str());
        return 2;
    }
    // The shots go into their folder, made when it does not exist yet.
    std::error_code made;
    std::filesystem::create_directories(shots, made);
    if (made) {
        std::fprintf(stderr, "game-headless: cannot make %s: %s\n", shots.c_str(), made.message().c_str());
        return 2;
    }
    // A script that does not end the program ends it a minute of virtual
    // time after its last event.
    uint32_t last = 0;
    for (const HeadlessEvent& e : opt.script) last = std::max(last, e.at);
    opt.time_limit = last + 60000;
    opt.exe_dir = data;
    // One run at a time per data folder, where the game also keeps its
    // saves: the instance lock lives there, beside the (pretended) program,
    // so that the shots folder holds only shots.
    opt.lock_dir = data;
    int failures = 0;
    opt.on_shot = [&](const std::string& name) {
        int w = 0, h = 0;
        const uint32_t* px = sys_headless_frame(&w, &h);
        std::string path = shots + "/" + name + ".png";
        if (!px || !sys_write_png(path.c_str(), px, w, h)) {
            std::fprintf(stderr, "game-headless: shot %s could not be written\n", path.c_str());
            ++failures;
            return;
        }
        std::printf("shot %s at %u ms\n", path.c_str(), sys_headless_clock());
    };
    sys_use_headless(opt);
    int r = win_main(1, 0, "", 1);
    for (const std::string& line : sys_log_lines())
        if (line.rfind("msgbox ", 0) == 0) std::printf("%s\n", line.c_str());
    std::printf("ended at %u ms with code %d\n", sys_headless_clock(), r);
    sys_shutdown();
    return failures ? 1 : r;
}
