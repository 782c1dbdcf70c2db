// File names: '\\' separators, drive prefixes and case-insensitive matching
// against what is in the folder, as on the platform the data was made for.
#include <dirent.h>
#include <iconv.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sys/sys.h"

namespace {

bool exists(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0;
}

}  // namespace

const char* sys_skip_drive(const char* name) {
    if (name && name[0] && name[1] == ':') return name + 2;
    return name;
}

std::string sys_resolve_path(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    if (p.empty() || exists(p)) return p;
    // Walk the components, matching each one case-insensitively.
    std::string done;
    size_t pos = 0;
    if (p[0] == '/') {
        done = "/";
        pos = 1;
    }
    while (pos <= p.size()) {
        size_t next = p.find('/', pos);
        if (next == std::string::npos) next = p.size();
        std::string part = p.substr(pos, next - pos);
        if (!part.empty()) {
            std::string cand = done.empty() ? part : (done.back() == '/' ? done + part : done + "/" + part);
            if (!exists(cand)) {
                DIR* d = opendir(done.empty() ? "." : done.c_str());
                std::string found;
                if (d) {
                    while (dirent* e = readdir(d)) {
                        if (strcasecmp(e->d_name, part.c_str()) == 0) {
                            found = e->d_name;
                            break;
                        }
                    }
                    closedir(d);
                }
                if (found.empty()) return p;  // nothing matches: the path as given
                cand = done.empty() ? found : (done.back() == '/' ? done + found : done + "/" + found);
            }
            done = cand;
        }
        if (next == p.size()) break;
        pos = next + 1;
    }
    if (!p.empty() && p.back() == '/' && (done.empty() || done.back() != '/')) done += '/';
    return done;
}

FILE* sys_fopen(const std::string& path, const char* mode) {
    FILE* f = std::fopen(sys_resolve_path(path).c_str(), mode);
    // A folder opens for reading here, but it is no file: it fails as a
    // missing file does.
    struct stat st;
    if (f && ::fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(f);
        errno = EISDIR;
        return nullptr;
    }
    return f;
}

int sys_write_file_atomic(const std::string& path, const void* data, size_t n) {
    std::string target = sys_resolve_path(path);
    std::string tmp = target + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) return 0;
    bool ok = (n == 0 || std::fwrite(data, 1, n, f) == n);
    ok = (std::fflush(f) == 0) && ok;
    ok = (fsync(fileno(f)) == 0) && ok;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || std::rename(tmp.c_str(), target.c_str()) != 0) {
        std::remove(tmp.c_str());
        return 0;
    }
    return 1;
}

std::string sys_cp949_to_utf8(const char* text) {
    std::string out;
    if (!text) return out;
    size_t n = std::strlen(text);
    iconv_t cd = iconv_open("UTF-8", "CP949");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text, n);
    std::string in(text, n);
    char* src = in.data();
    size_t left = n;
    std::vector<char> buf(n * 4 + 16);
    while (left > 0) {
        char* dst = buf.data();
        size_t room = buf.size();
        size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buf.data(), dst - buf.data());
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // An invalid byte: show it as '?' and go on.
            out += '?';
            ++src;
            --left;
        }
    }
    iconv_close(cd);
    return out;
}
