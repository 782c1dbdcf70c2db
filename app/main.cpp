// The game program: the shell on the SDL back end.
#include <cstdio>
#include <cstdlib>

#include "platform/shell.h"
#include "sys/sdl/sdl.h"

int main(int, char**) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!sys_use_sdl(runtime && *runtime ? runtime : "/tmp")) {
        std::fprintf(stderr, "rowenbel: no display could be opened\n");
        return 1;
    }
    int r = win_main(1, 0, "", 1);
    sys_shutdown();
    return r;
}
