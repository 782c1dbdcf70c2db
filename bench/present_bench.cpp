// Presenting one 640 x 416 back image through its colour table into the
// window's pixels: the conversion done on every paint.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/screen.h"
#include "sys/headless/headless.h"

static void BM_PresentFrame(benchmark::State& state) {
    HeadlessOptions opt;
    sys_use_headless(opt);
    sys_register_class("bench", [](SysWnd, uint32_t, uint32_t, uint32_t) -> int32_t { return 0; });
    SysWnd w = sys_create_window("bench", "", WS_POPUP, 0, 0, 640, 480);
    sys_show_window(w, 1);
    std::vector<uint8_t> bits(640 * 416);
    for (size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<uint8_t>(i * 7 % 16);
    std::vector<uint8_t> colours(1024);
    for (size_t i = 0; i < colours.size(); ++i) colours[i] = static_cast<uint8_t>(i * 13);
    for (auto _ : state) {
        sys_present(w, bits.data() + 16 * 640, 640, 400, colours.data(), 16, 0, 608, 384, 16, 48);
        int fw, fh;
        benchmark::DoNotOptimize(sys_window_frame(w, &fw, &fh));
    }
    sys_shutdown();
}
BENCHMARK(BM_PresentFrame)->Unit(benchmark::kMicrosecond);
