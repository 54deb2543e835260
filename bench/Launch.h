#pragma once

// What the benchmarks of a whole launch share: how they start a program, and
// the check that the pass they timed launched (a refusal is quicker, and
// reaches no client).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>

#include <cstdio>
#include <string>
#include <vector>

// Starts `args` with `env`, its output on /dev/null, as a launch's is when a
// browser starts it (a terminal that showed torvale's question would be
// timed with it): 0, or the error number.
inline int StartQuietly(std::vector<std::string> args, std::vector<std::string> env, pid_t* pid) {
    std::vector<char*> argv, envp;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int error = posix_spawn(pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

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
