// Picture, data and save file loading, and the SZDD reader.
#include "platform/files.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sys/lz.h"
#include "tests/fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

void put16(Bytes& v, size_t at, uint16_t x) { std::memcpy(v.data() + at, &x, 2); }
void put32(Bytes& v, size_t at, uint32_t x) { std::memcpy(v.data() + at, &x, 4); }
uint32_t get32(const uint8_t* p) {
    uint32_t x;
    std::memcpy(&x, p, 4);
    return x;
}

uint8_t pixel_value(int x, int row) { return static_cast<uint8_t>((x * 7 + row * 13 + 1) & 0xFF); }

// An 8-bit BMP file: rows bottom-up, padded to 4 bytes, pixel (x, memory row)
// = pixel_value(x, row); colour i = (i, i/2, 255 - i).
Bytes make_bmp(int w, int h, uint32_t colours = 256, uint32_t gap = 0) {
    const uint32_t stride = (static_cast<uint32_t>(w) + 3) / 4 * 4;
    const uint32_t ncol = colours ? colours : 256;
    const uint32_t off = 14 + 40 + ncol * 4 + gap;
    Bytes f(off + stride * static_cast<uint32_t>(h), 0);
    f[0] = 'B';
    f[1] = 'M';
    put32(f, 2, static_cast<uint32_t>(f.size()));
    put32(f, 10, off);
    put32(f, 14, 40);
    put32(f, 18, static_cast<uint32_t>(w));
    put32(f, 22, static_cast<uint32_t>(h));
    put16(f, 26, 1);
    put16(f, 28, 8);
    put32(f, 30, 0);
    put32(f, 34, stride * static_cast<uint32_t>(h));
    put32(f, 46, colours);
    for (uint32_t i = 0; i < ncol; ++i) {
        f[54 + i * 4] = static_cast<uint8_t>(i);
        f[54 + i * 4 + 1] = static_cast<uint8_t>(i / 2);
        f[54 + i * 4 + 2] = static_cast<uint8_t>(255 - i);
    }
    for (int row = 0; row < h; ++row)
        for (int x = 0; x < w; ++x) f[off + row * stride + x] = pixel_value(x, row);
    return f;
}

// The SZDD header for an expanded length.
Bytes szdd_header(uint32_t length) {
    Bytes h(LZ_SZDD_MAGIC, LZ_SZDD_MAGIC + 8);
    h.push_back('A');
    h.push_back('P');
    for (int i = 0; i < 4; ++i) h.push_back(static_cast<uint8_t>(length >> (8 * i)));
    return h;
}

// SZDD made of literals only: every flag byte 0xFF.
Bytes szdd_literals(const Bytes& plain) {
    Bytes out = szdd_header(static_cast<uint32_t>(plain.size()));
    for (size_t i = 0; i < plain.size(); i += 8) {
        out.push_back(0xFF);
        for (size_t k = i; k < i + 8 && k < plain.size(); ++k) out.push_back(plain[k]);
    }
    return out;
}

// Hand-made stream: a match of 4 bytes from position 0 of the space-filled
// ring, literals "AB" (written at 0xFF4, 0xFF5), an overlapping match of 5
// bytes from 0xFF4, and a literal newline. Flags, lowest bit first: 0 1 1 0 1.
const std::string CRAFTED_PLAIN = "    ABABABA\n";
Bytes crafted_szdd() {
    Bytes out = szdd_header(static_cast<uint32_t>(CRAFTED_PLAIN.size()));
    const uint8_t stream[] = {0x16, 0x00, 0x01, 'A', 'B', 0xF4, 0xF2, '\n'};
    out.insert(out.end(), std::begin(stream), std::end(stream));
    return out;
}

void write_file(const std::string& path, const Bytes& b) {
    std::ofstream o(path, std::ios::binary);
    o.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

Bytes read_file(const std::string& path) {
    std::ifstream i(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(i), std::istreambuf_iterator<char>());
}

Bytes read_all(LzFile& f) {
    Bytes out(static_cast<size_t>(f.size()) + 16);
    out.resize(f.read(out.data(), out.size()));
    return out;
}

bool has_line(const std::string& line) {
    const auto& lines = sys_log_lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

size_t box_count() {
    size_t n = 0;
    for (const auto& l : sys_log_lines())
        if (l.rfind("msgbox ", 0) == 0) ++n;
    return n;
}

const std::string DIB_BOX = utf8(u8"msgbox 오류|DIB을 불러오는 중에 오류가 발생했습니다.");

// The game folders in a fresh temporary folder.
class FilesTest : public HeadlessTest {
protected:
    TempDir root;

    void SetUp() override {
        HeadlessTest::SetUp();
        file_reset();
        std::filesystem::create_directory(root.path / "bmp");
        std::filesystem::create_directory(root.path / "dat");
        std::snprintf(g_exe_dir, sizeof g_exe_dir, "%s", root.str().c_str());
        std::snprintf(g_dat_dir, sizeof g_dat_dir, "%s\\dat\\", g_exe_dir);
        std::snprintf(g_bmp_dir, sizeof g_bmp_dir, "%s\\bmp\\", g_exe_dir);
        sys_log_clear();
    }

    std::string bmp(const std::string& name) const { return (root.path / "bmp" / name).string(); }
    std::string dat(const std::string& name) const { return (root.path / "dat" / name).string(); }

    // Reads a picture file into the load block.
    int load(const std::string& file) {
        std::snprintf(g_load_path, sizeof g_load_path, "%s", file.c_str());
        return gfx_load_dib(wnd);
    }

    // The next message in the queue, fetched but not handled: posted
    // messages come first, so a posted shut-down would be it.
    SysMsg next_message() {
        SysMsg m{};
        sys_get_message(&m);
        return m;
    }
};

// --- the SZDD reader ----------------------------------------------------------

TEST_F(FilesTest, SzddExpandsLikeItsPlainTwin) {
    write_file(dat("plain.txt"), Bytes(CRAFTED_PLAIN.begin(), CRAFTED_PLAIN.end()));
    write_file(dat("packed.tx_"), crafted_szdd());

    LzFile plain, packed;
    ASSERT_EQ(plain.open(dat("plain.txt")), 0);
    ASSERT_EQ(packed.open(dat("packed.tx_")), 0);
    EXPECT_FALSE(plain.compressed());
    EXPECT_TRUE(packed.compressed());
    EXPECT_FALSE(packed.damaged());
    Bytes a = read_all(plain), b = read_all(packed);
    EXPECT_EQ(std::string(b.begin(), b.end()), CRAFTED_PLAIN);
    EXPECT_EQ(a, b);

    // Seeking in the expanded data.
    ASSERT_TRUE(packed.seek(6));
    char two[2];
    ASSERT_EQ(packed.read(two, 2), 2u);
    EXPECT_EQ(std::string(two, 2), "AB");
    EXPECT_FALSE(packed.seek(CRAFTED_PLAIN.size() + 1));
    EXPECT_TRUE(packed.seek(CRAFTED_PLAIN.size()));
    EXPECT_EQ(packed.read(two, 2), 0u);

    // A whole picture stored compressed reads exactly as the plain one.
    Bytes picture = make_bmp(20, 7);
    write_file(bmp("plain.bmp"), picture);
    write_file(bmp("packed.bmp"), szdd_literals(picture));
    ASSERT_EQ(load(bmp("plain.bmp")), 1);
    Bytes from_plain = g_load_dib;
    ASSERT_EQ(load(bmp("packed.bmp")), 1);
    EXPECT_EQ(g_load_dib, from_plain);
}

TEST_F(FilesTest, SzddCutShortReadsShortNeverCrashes) {
    const Bytes full = crafted_szdd();
    Bytes expanded;
    ASSERT_TRUE(lz_expand_szdd(full.data(), full.size(), &expanded));
    for (size_t n = 0; n < full.size(); ++n) {
        Bytes out;
        EXPECT_FALSE(lz_expand_szdd(full.data(), n, &out)) << n;
        ASSERT_LE(out.size(), expanded.size());
        // What comes out is the beginning of the real data.
        EXPECT_TRUE(std::equal(out.begin(), out.end(), expanded.begin())) << n;
    }
    // The file reader opens it but comes back short.
    Bytes cut(full.begin(), full.end() - 3);
    write_file(dat("cut.tx_"), cut);
    LzFile f;
    ASSERT_EQ(f.open(dat("cut.tx_")), 0);
    EXPECT_TRUE(f.damaged());
    char buf[32];
    EXPECT_LT(f.read(buf, CRAFTED_PLAIN.size()), CRAFTED_PLAIN.size());

    // A length shorter than the stream stops there; an unknown mode expands nothing.
    Bytes shorter = full;
    shorter[10] = 5;
    Bytes out;
    EXPECT_TRUE(lz_expand_szdd(shorter.data(), shorter.size(), &out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "    A");
    Bytes mode = full;
    mode[8] = 'B';
    EXPECT_FALSE(lz_expand_szdd(mode.data(), mode.size(), &out));
    EXPECT_TRUE(out.empty());

    // A compressed picture cut short: the picture box, no shut-down.
    Bytes picture = szdd_literals(make_bmp(16, 16));
    picture.resize(picture.size() - 40);
    write_file(bmp("cut.bmp"), picture);
    EXPECT_EQ(load(bmp("cut.bmp")), 0);
    EXPECT_TRUE(has_line(DIB_BOX));
    EXPECT_NE(next_message().message, static_cast<uint32_t>(MSG_SCENE_QUIT));
}

TEST_F(FilesTest, MissingFileFailsToOpen) {
    LzFile f;
    EXPECT_NE(f.open(dat("none.bin")), 0);
    EXPECT_FALSE(f.is_open());
    char c;
    EXPECT_EQ(f.read(&c, 1), 0u);
}

// --- pictures -----------------------------------------------------------------

TEST_F(FilesTest, PictureReadKeepsHeaderColoursAndRows) {
    // Image size 0 in the header: computed from width, depth and height.
    Bytes f = make_bmp(640, 400);
    put32(f, 34, 0);
    write_file(bmp("big.bmp"), f);
    ASSERT_EQ(load(bmp("big.bmp")), 1);
    EXPECT_EQ(g_dib_loaded, 1);
    EXPECT_EQ(g_dib_bits_offset, 1064);
    ASSERT_EQ(g_load_dib.size(), 1064u + 640u * 400u);
    EXPECT_EQ(get32(g_load_dib.data() + 20), 640u * 400u);
    EXPECT_EQ(get32(g_load_dib.data() + 32), 256u);
    EXPECT_EQ(g_load_dib[40 + 4 * 9 + 2], 255 - 9);
    EXPECT_EQ(g_load_dib[1064 + 399 * 640 + 639], pixel_value(639, 399));

    // 16 colours and pixels placed after a gap: the offset is the picture's own.
    write_file(bmp("small.bmp"), make_bmp(8, 3, 16, 12));
    ASSERT_EQ(load(bmp("small.bmp")), 1);
    EXPECT_EQ(g_dib_bits_offset, 40 + 16 * 4);
    EXPECT_EQ(gfx_image_bits_offset(g_load_dib.data()), 40u + 16u * 4u);
    EXPECT_EQ(g_load_dib[104 + 2 * 8 + 5], pixel_value(5, 2));
}

TEST_F(FilesTest, ImageRowsRepackedToWidth) {
    // 6 pixels wide: rows are padded to 8 in the file, 6 in the image.
    write_file(bmp("narrow.BMP"), make_bmp(6, 3, 16));
    uint8_t* img = file_load_data("a:narrow.gem");
    ASSERT_NE(img, nullptr);
    const uint32_t off = gfx_image_bits_offset(img);
    EXPECT_EQ(off, 104u);
    EXPECT_EQ(get32(img + 20), 18u);
    for (int row = 0; row < 3; ++row)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(img[off + row * 6 + x], pixel_value(x, row)) << x << "," << row;
    std::free(img);
}

TEST_F(FilesTest, BadPicturesAreRefusedWithTheirBox) {
    write_file(bmp("good.bmp"), make_bmp(8, 4));
    struct Case {
        const char* what;
        Bytes file;
    };
    std::vector<Case> cases;
    auto mutate = [&](const char* what, auto change) {
        Bytes b = make_bmp(8, 4);
        change(b);
        cases.push_back({what, b});
    };
    mutate("pixels cut short", [](Bytes& b) { b.resize(b.size() - 5); });
    mutate("header cut short", [](Bytes& b) { b.resize(30); });
    mutate("colours cut short", [](Bytes& b) { b.resize(54 + 100); });
    mutate("wrong signature", [](Bytes& b) { b[1] = 'A'; });
    mutate("12-byte header", [](Bytes& b) { put32(b, 14, 12); });
    mutate("24 bits per pixel", [](Bytes& b) { put16(b, 28, 24); });
    mutate("negative height", [](Bytes& b) { put32(b, 22, static_cast<uint32_t>(-4)); });
    mutate("zero width", [](Bytes& b) { put32(b, 18, 0); });
    mutate("too wide", [](Bytes& b) { put32(b, 18, 5000); });
    mutate("image size smaller than its rows", [](Bytes& b) { put32(b, 34, 8 * 4 - 1); });
    mutate("run-length compressed", [](Bytes& b) { put32(b, 30, 1); });
    mutate("more colours than 8 bits index", [](Bytes& b) { put32(b, 46, 300); });
    mutate("pixel offset past the end", [](Bytes& b) { put32(b, 10, 100000); });
    cases.push_back({"empty file", Bytes{}});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write_file(bmp("bad.bmp"), c.file);
        ASSERT_EQ(load(bmp("good.bmp")), 1);
        sys_log_clear();
        EXPECT_EQ(load(bmp("bad.bmp")), 0);
        EXPECT_TRUE(has_line(DIB_BOX));
        EXPECT_EQ(box_count(), 1u);
        // Nothing of the good picture is left to pass for the bad one.
        EXPECT_EQ(g_load_dib, Bytes(1064, 0));
        EXPECT_NE(next_message().message, static_cast<uint32_t>(MSG_SCENE_QUIT));
        // Through the name loader: nothing comes back.
        std::filesystem::copy_file(bmp("bad.bmp"), bmp("bad2.BMP"), std::filesystem::copy_options::overwrite_existing);
        EXPECT_EQ(file_load_data("a:bad2.gem"), nullptr);
    }
}

TEST_F(FilesTest, MissingPictureShowsBothBoxesAndShutsDown) {
    const uint32_t t0 = sys_headless_clock();
    EXPECT_EQ(file_load_data("a:nothere.gem"), nullptr);
    // Three tries 200 ms apart.
    EXPECT_EQ(sys_headless_clock() - t0, 400u);
    EXPECT_EQ(std::string(g_load_path), std::string(g_bmp_dir) + "nothere.BMP");
    // The path is shown with the system's own separator.
    EXPECT_TRUE(has_line(utf8(u8"msgbox 오류|파일 '") + root.str() + "/bmp/nothere.BMP" +
                         utf8(u8"' 을／를 열 수 없습니다.[2]")));
    EXPECT_TRUE(has_line(DIB_BOX));
    SysMsg m = next_message();
    EXPECT_EQ(m.message, static_cast<uint32_t>(MSG_SCENE_QUIT));
    EXPECT_EQ(m.hwnd, wnd);
    // Handled by the window procedure, it ends the program.
    sys_dispatch(&m);
    EXPECT_TRUE(sys_quit_posted());
}

// --- names --------------------------------------------------------------------

TEST_F(FilesTest, NameRulesPickTheFolderAndFile) {
    write_file(bmp("GameOver.bmp"), make_bmp(4, 2, 16));
    uint8_t* a = file_load_data("a:gameover.gem");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(std::string(g_load_path), std::string(g_bmp_dir) + "gameover.BMP");
    uint8_t* b = file_load_data("gameover.gem");
    ASSERT_NE(b, nullptr);
    uint8_t* c = file_load_data("x:GAMEOVER.GEM");
    ASSERT_NE(c, nullptr);
    const size_t n = 104 + 8;
    EXPECT_EQ(std::memcmp(a, b, n), 0);
    EXPECT_EQ(std::memcmp(a, c, n), 0);
    std::free(a);
    std::free(b);
    std::free(c);

    // Data files: the dat folder, a drive letter of any kind.
    Bytes map(3648, 0);
    map[0] = 20;
    map[3647] = 0x7F;
    write_file(dat("STAGE07.MAP"), map);
    char name[] = "?:stage07.map";
    name[0] = static_cast<char>(file_data_drive_letter());
    uint8_t* d = file_load_data(name);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(g_loaded_file_size, 3648u);
    EXPECT_EQ(Bytes(d, d + 3648), map);
    std::free(d);
    uint8_t* e = file_load_data("stage07.map");
    ASSERT_NE(e, nullptr);
    std::free(e);

    // A name without a three-letter extension reads nothing, silently.
    write_file(dat("noext"), map);
    EXPECT_EQ(file_load_data("a:noext"), nullptr);
    EXPECT_EQ(file_load_data("a:map.ab"), nullptr);
    EXPECT_EQ(file_load_data("a:x.gm"), nullptr);
    EXPECT_EQ(file_load_data(""), nullptr);
    EXPECT_EQ(box_count(), 0u);
}

TEST_F(FilesTest, MissingDataFileShowsItsBoxAndReturnsNull) {
    EXPECT_EQ(file_load_data("u:missing.msg"), nullptr);
    const std::string path = root.str() + "/dat/missing.msg";
    EXPECT_TRUE(has_line(utf8(u8"msgbox |파일  [") + path + utf8(u8"] 을／를 열 수 없습니다.")));
    EXPECT_EQ(box_count(), 1u);
    // No shut-down for a data file.
    EXPECT_NE(next_message().message, static_cast<uint32_t>(MSG_SCENE_QUIT));
}

// A folder under a file's name opens for reading on this system; it gets the
// box of a file that cannot be opened, and what follows that box.
TEST_F(FilesTest, AFolderWhereAFileShouldBeIsAFileThatCannotBeOpened) {
    auto starts_a_line = [](const std::string& prefix) {
        const auto& lines = sys_log_lines();
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    };
    std::filesystem::create_directory(dat("stage07.map"));
    EXPECT_EQ(file_load_data("a:stage07.map"), nullptr);
    EXPECT_TRUE(
        has_line(utf8(u8"msgbox |파일  [") + root.str() + "/dat/stage07.map" + utf8(u8"] 을／를 열 수 없습니다.")));
    EXPECT_NE(next_message().message, static_cast<uint32_t>(MSG_SCENE_QUIT));

    std::filesystem::create_directory(root.path / "save03.dat");
    Bytes buf(210);
    uint32_t got = 0;
    EXPECT_EQ(file_read_user_file("u:save03.dat", buf.data(), 210, &got), 0);
    EXPECT_TRUE(has_line(utf8(u8"msgbox |파일  [") + g_exe_dir + "/save03.dat" + utf8(u8"] 을／를 열 수 없습니다.")));
    EXPECT_EQ(box_count(), 2u);

    std::filesystem::create_directory(bmp("folder.BMP"));
    EXPECT_EQ(file_load_data("a:folder.gem"), nullptr);
    EXPECT_TRUE(starts_a_line(utf8(u8"msgbox 오류|파일 '") + root.str() + "/bmp/folder.BMP" +
                              utf8(u8"' 을／를 열 수 없습니다.[")));
    EXPECT_TRUE(has_line(DIB_BOX));
    EXPECT_EQ(next_message().message, static_cast<uint32_t>(MSG_SCENE_QUIT));
}

// --- save files ---------------------------------------------------------------

TEST_F(FilesTest, UserFileReadIsBoundedAndCounted) {
    Bytes content(25000);
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<uint8_t>(i * 31);
    write_file((root.path / "SAVE03.DAT").string(), content);

    // Bounded by the buffer: the bytes after it stay untouched.
    Bytes buf(300, 0xEE);
    uint32_t got = 0;
    EXPECT_EQ(file_read_user_file("u:save03.dat", buf.data(), 210, &got), 1);
    EXPECT_EQ(got, 210u);
    EXPECT_TRUE(std::equal(buf.begin(), buf.begin() + 210, content.begin()));
    EXPECT_TRUE(std::all_of(buf.begin() + 210, buf.end(), [](uint8_t v) { return v == 0xEE; }));

    // Bounded by 20,000 bytes.
    Bytes big(30000, 0);
    EXPECT_EQ(file_read_user_file("u:save03.dat", big.data(), static_cast<uint32_t>(big.size()), &got), 1);
    EXPECT_EQ(got, 20000u);
    EXPECT_EQ(big[19999], content[19999]);
    EXPECT_EQ(big[20000], 0);

    // A short file reports what it holds.
    write_file((root.path / "savekq.idx").string(), Bytes(50, 1));
    EXPECT_EQ(file_read_user_file("u:savekq.idx", big.data(), 210, &got), 1);
    EXPECT_EQ(got, 50u);
    EXPECT_EQ(box_count(), 0u);

    // Missing: the file box with the path, and 0.
    EXPECT_EQ(file_read_user_file("u:save09.dat", big.data(), 210, &got), 0);
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(has_line(utf8(u8"msgbox |파일  [") + g_exe_dir + "/save09.dat" + utf8(u8"] 을／를 열 수 없습니다.")));
    // No extension: 0 and no box.
    EXPECT_EQ(file_read_user_file("u:save", big.data(), 210, &got), 0);
    EXPECT_EQ(box_count(), 1u);
}

TEST_F(FilesTest, UserFileWriteIsAtomicAndFailsVisibly) {
    Bytes data(10634);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(file_write_user_file("u:save01.dat", data.data(), static_cast<uint32_t>(data.size())), 1);
    EXPECT_EQ(read_file((root.path / "save01.dat").string()), data);
    // An existing file is replaced whole, and no temporary file stays.
    EXPECT_EQ(file_write_user_file("u:save01.dat", data.data(), 10), 1);
    EXPECT_EQ(read_file((root.path / "save01.dat").string()), Bytes(data.begin(), data.begin() + 10));
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(root.path))
        if (e.is_regular_file()) ++files;
    EXPECT_EQ(files, 1u);
    EXPECT_EQ(box_count(), 0u);

    // A folder that does not exist: 0 and the file box.
    std::snprintf(g_exe_dir, sizeof g_exe_dir, "%s/nowhere", root.str().c_str());
    EXPECT_EQ(file_write_user_file("u:save02.dat", data.data(), 10), 0);
    EXPECT_TRUE(has_line(utf8(u8"msgbox |파일  [") + g_exe_dir + "/save02.dat" + utf8(u8"] 을／를 열 수 없습니다.")));
    EXPECT_FALSE(std::filesystem::exists(root.path / "nowhere"));
    // A name without its extension writes nothing.
    EXPECT_EQ(file_write_user_file("u:save02", data.data(), 10), 0);
}

}  // namespace
