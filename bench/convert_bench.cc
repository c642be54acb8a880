// Converting generated configurations of growing size, text to image: the
// work should grow linearly with the number of commands.
#include <benchmark/benchmark.h>

#include <string>

#include "config/image.h"
#include "language/load.h"

namespace vorlanex {
namespace {

constexpr int kDefinitions = 300;

// Mixed statements over all keys and slots: many distinct texts and long
// sleeps, and symbols used throughout.
std::string generate(int commands) {
    std::string text = "expand PORTS=2 CLOCK=a0 DATA=a1 LATCH=a2 ENABLE=a3\n";
    for (int d = 0; d < kDefinitions; ++d) {
        text += "SYM" + std::to_string(d) + " = " + std::to_string(d % 200) + "\n";
    }
    for (int i = 0; i < commands; ++i) {
        const std::string key = std::to_string(i % 251) + ": ";
        const std::string symbol = "SYM" + std::to_string(i % kDefinitions);
        switch (i % 6) {
            case 0:
                text += key + "type text number " + std::to_string(i) + "\\n\n";
                break;
            case 1:
                text += key + "sleep " + std::to_string(70000 + i) + "\n";
                break;
            case 2:
                text += key + "set port c bits 2-5 " + symbol + "\n";
                break;
            case 3:
                text += key + "press " + symbol + "\n";
                break;
            case 4:
                text += key + "1 invert b" + std::to_string(i % 8) + "\n";
                break;
            case 5:
                text += key + "sleep 1s500\n";
                break;
        }
    }
    return text;
}

void BM_ConvertTextToImage(benchmark::State& state) {
    const std::string text = generate(static_cast<int>(state.range(0)));
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    for (auto _ : state) {
        Config config;
        Definitions definitions;
        Messages messages;
        if (!Config_load(config, {bytes, text.size()}, definitions, messages, false)) {
            state.SkipWithError("the generated configuration does not parse");
            return;
        }
        std::vector<std::uint8_t> image;
        Config_write(config, image);
        benchmark::DoNotOptimize(image.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ConvertTextToImage)->Arg(1000)->Arg(8000)->Arg(64000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorlanex

BENCHMARK_MAIN();
