// Sample data kit generator: writes, into the game folder, every file the
// game reads (pictures, font, battle sprites, music, effects, maps and
// units) and an empty save index when the folder has none.
//   kitgen [--marked] --out DIR --unifont /usr/share/unifont/unifont.hex
// The plain kit draws the game as a player sees it. The marked kit, for the
// tests, is the same data with marks drawn on the pictures that tell a test
// what it sees: frame and sheet codes over the battle figures and shadows,
// the backdrop's ruler, numbers on tiles, map figures, window chips, cursor
// shapes and icons, and names on faces and story pictures.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "tools/kit.h"
#include "tools/kit_area.h"
#include "tools/kit_map.h"
#include "tools/kit_story.h"
#include "tools/kit_title.h"

namespace {

void make_dir(const std::string& path) {
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) throw std::runtime_error("cannot create the folder " + path);
}

int usage() {
    std::fprintf(stderr, "usage: kitgen [--marked] --out DIR --unifont FILE.hex\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string out, unifont;
    bool marked = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--marked")
            marked = true;
        else if ((a == "--out" || a == "--unifont") && i + 1 < argc)
            (a == "--out" ? out : unifont) = argv[++i];
        else
            return usage();
    }
    if (out.empty() || unifont.empty()) return usage();
    try {
        kit::Kit kit;
        kit.out = out;
        kit.marked = marked;
        make_dir(out);
        for (const char* d : {"/bmp", "/dat", "/midi", "/wave"}) make_dir(out + d);
        kit.font = kit::build_kfnt(unifont);
        kit::write_file(out + "/k.fnt", kit.font);
        kit::gen_ui(kit);
        kit::gen_sprites(kit);
        kit::gen_backdrops(kit);
        kit::gen_audio(kit);
        kit_write_maps_and_units(out, marked);
        kit::gen_story(kit);
        kit::gen_chapter12_stills(kit);
        kit::gen_chapter3_stills(kit);
        kit::gen_chapter5_stills(kit);
        kit::gen_area_pictures(kit);
        kit::gen_title(kit);
        kit::gen_save_index(kit);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kitgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
