// The keyboard hook's decision sits in the path of every key press of the whole system while
// the cover is up. Target: well under a microsecond per key.
#include <benchmark/benchmark.h>

#include <array>

#include "monitor/task_switch_filter.h"

namespace {

using veilora::KeyEvent;
using veilora::ModifierState;
using veilora::TaskSwitchFilter;

// Typing with the odd task-switch attempt: letters, Alt+Tab, Ctrl+Esc.
const std::array<KeyEvent, 12> kStream = {{
    {0x100, 0x41, 0}, {0x101, 0x41, 0}, {0x100, 0xA4, 0x20}, {0x104, 0x09, 0x20},
    {0x105, 0x09, 0x20}, {0x101, 0xA4, 0}, {0x100, 0x20, 0}, {0x101, 0x20, 0},
    {0x100, 0xA2, 0}, {0x100, 0x1B, 0}, {0x101, 0x1B, 0}, {0x101, 0xA2, 0},
}};

void BM_TaskSwitchDecision(benchmark::State& state) {
    TaskSwitchFilter filter;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(filter.swallow(kStream[i], ModifierState{}));
        i = (i + 1) % kStream.size();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["ns_per_key"] = benchmark::Counter(
        static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TaskSwitchDecision);

// Reference in the same run: the cheapest possible hook body, passing every key.
void BM_PassEverything(benchmark::State& state) {
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kStream[i].vkCode == 0xFFFF);
        i = (i + 1) % kStream.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PassEverything);

}  // namespace
