// Sample data kit: the empty save index an installed game comes with, so
// that the game's first look at its saves finds 15 empty slots.
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "tools/kit.h"

namespace kit {

namespace {

constexpr const char* INDEX_NAME = "savekq.idx";
constexpr size_t INDEX_SIZE = 210;  // 15 entries of 14 bytes, all unused

// The game matches file names without regard to case: any spelling of the
// index counts as one that is there.
bool index_present(const std::string& folder) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec))
        if (strcasecmp(e.path().filename().c_str(), INDEX_NAME) == 0) return true;
    return false;
}

}  // namespace

void gen_save_index(const Kit& kit) {
    if (index_present(kit.out)) return;
    // Created only when no file of that name exists: saves are never touched.
    const std::string path = kit.out + "/" + INDEX_NAME;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        if (errno == EEXIST) return;
        throw std::runtime_error("cannot create " + path);
    }
    const Bytes zeros(INDEX_SIZE, 0);
    const bool written = write(fd, zeros.data(), zeros.size()) == static_cast<ssize_t>(zeros.size());
    if (close(fd) != 0 || !written) throw std::runtime_error("cannot write " + path);
}

}  // namespace kit
