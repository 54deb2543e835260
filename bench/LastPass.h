#pragma once

// What the benchmarks of a whole launch check before their times count: the
// pass they timed launched (a refusal is quicker, and reaches no client).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

// Marks `state` failed unless the last line of the pass log under `home`
// says the pass launched.
inline void SkipUnlessLaunched(benchmark::State& state, const std::string& home) {
    std::string last;
    if (FILE* file = std::fopen((home + "/.local/state/torvale/torvale.log").c_str(), "r")) {
        for (char line[512]; std::fgets(line, sizeof line, file) != nullptr;)
            last = line;
        std::fclose(file);
    }
    if (last.find("| launched") == std::string::npos)
        state.SkipWithError(("not launched: " + last).c_str());
}
