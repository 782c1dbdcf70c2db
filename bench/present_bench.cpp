// Presenting one 640 x 416 back image through its colour table into the
// window's pixels, and the real window's decision whether to show it: the
// work of every paint. A changed frame (here every colour, as in a fade
// step) is converted and then uploaded and shown by the real window; an
// unchanged one (a still logo or menu) stops after the comparison.
#include <benchmark/benchmark.h>

#include <vector>

#include "sys/backend.h"
#include "sys/headless/headless.h"

namespace {

void present_frames(benchmark::State& state, bool change) {
    HeadlessOptions opt;
    sys_use_headless(opt);
    sys_register_class("bench", [](SysWnd, uint32_t, uint32_t, uint32_t) -> int32_t { return 0; });
    SysWnd w = sys_create_window("bench", "", WS_POPUP, 0, 0, 640, 480);
    sys_show_window(w, 1);
    std::vector<uint8_t> bits(640 * 416);
    for (size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<uint8_t>(i * 7 % 16);
    std::vector<uint8_t> colours[2] = {std::vector<uint8_t>(1024), std::vector<uint8_t>(1024)};
    for (size_t i = 0; i < 1024; ++i) {
        colours[0][i] = static_cast<uint8_t>(i * 13);
        colours[1][i] = static_cast<uint8_t>(i * 13 / 2);
    }
    SysPresentGate gate;
    int k = 0;
    int64_t shown = 0;
    for (auto _ : state) {
        if (change) k ^= 1;
        sys_present(w, bits.data() + 16 * 640, 640, 400, colours[k].data(), 16, 0, 608, 384, 16, 48);
        if (sys_gate_due(gate, w)) {
            // The real window reads the converted pixels to upload them.
            int fw = 0, fh = 0;
            benchmark::DoNotOptimize(sys_window_frame(w, &fw, &fh));
            sys_gate_presented(&gate, w);
            ++shown;
        }
    }
    state.counters["shown"] = benchmark::Counter(static_cast<double>(shown), benchmark::Counter::kAvgIterations);
    sys_shutdown();
}

void BM_PresentChangedFrame(benchmark::State& state) { present_frames(state, true); }
void BM_PresentUnchangedFrame(benchmark::State& state) { present_frames(state, false); }

}  // namespace

BENCHMARK(BM_PresentChangedFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentUnchangedFrame)->Unit(benchmark::kMicrosecond);
