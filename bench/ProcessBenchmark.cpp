// The whole torvale process handling a SecureCRT launch whose `open` is
// /bin/true, against the shell alone running /bin/true: how much the handler
// adds to what any launch costs anyway.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Launch.h"

namespace {

void Spawn(benchmark::State& state, std::vector<std::string> args,
           const std::vector<std::string>& env) {
    pid_t pid = 0;
    const int error = StartQuietly(args, env, &pid);
    if (error != 0) {
        state.SkipWithError("cannot spawn");
        return;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        state.SkipWithError(("failed: " + args[0]).c_str());
}

// The home made below, removed with all that the launches wrote in it.
struct Home {
    std::string root;
    ~Home() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
};

// A home whose configuration.ini names a SecureCRT there, and a PATH whose
// `open` is /bin/true, made once.
const std::vector<std::string>& Environment() {
    static const std::vector<std::string> env = [] {
        char dir[] = "/tmp/torvale-bench-XXXXXX";
        static const Home home{mkdtemp(dir)};
        const std::string& root = home.root;
        for (const char* sub : {"/bin", "/SecureCRT.app", "/Documents", "/Documents/torvale"})
            mkdir((root + sub).c_str(), 0700);
        symlink("/bin/true", (root + "/bin/open").c_str());
        const std::string ini = "[clients]\nSecureCRT = " + root + "/SecureCRT.app\n";
        FILE* file = fopen((root + "/Documents/torvale/configuration.ini").c_str(), "w");
        fputs(ini.c_str(), file);
        fclose(file);
        return std::vector<std::string>{"HOME=" + root, "XDG_CONFIG_HOME=" + root,
                                        "PATH=" + root + "/bin:/usr/bin:/bin"};
    }();
    return env;
}

// Processes are started at the pace of the whole machine: each figure is the
// median of several runs, taken in random order with the others' runs
// (bench/run), for a ratio that holds from run to run.
constexpr int kRepetitions = 11;

void BM_ShellTrue(benchmark::State& state) {
    for (auto _ : state)
        Spawn(state, {"/bin/sh", "-c", "/bin/true"}, Environment());
}
BENCHMARK(BM_ShellTrue)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);

void BM_TorvaleSecureCRT(benchmark::State& state) {
    const std::string url =
        "torvale://&action=StartSecureCRT&protocol=ssh2&username=admin--web&sid=1024&proxy_addr="
        "10.0.0.1&";
    for (auto _ : state)
        Spawn(state, {TORVALE_PATH, "--confirm=yes", url}, Environment());
    // Timed only if it launched: a refusal would be quicker.
    SkipUnlessLaunched(state, Environment()[0].substr(5));
}
BENCHMARK(BM_TorvaleSecureCRT)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(kRepetitions);

// The line that launch runs, started by a program that does nothing else.
void BM_SpawnFloor(benchmark::State& state) {
    const std::string home = Environment()[0].substr(5);
    const std::string line =
        "open " + home +
        "/SecureCRT.app -n --args /ssh2 /AUTH password /l admin--1024 /P 22 10.0.0.1";
    for (auto _ : state)
        Spawn(state, {SPAWN_FLOOR_PATH, line}, Environment());
}
BENCHMARK(BM_SpawnFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRepetitions);

}  // namespace
