// The whole torvale process handling a SecureCRT launch whose `open` is
// /bin/true, against the shell alone running /bin/true: how much the handler
// adds to what any launch costs anyway.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Spawn(benchmark::State& state, std::vector<std::string> args,
           const std::vector<std::string>& env) {
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envCopy = env;
    std::vector<char*> envp;
    for (std::string& e : envCopy)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) {
        state.SkipWithError("cannot spawn");
        return;
    }
    int status = 0;
    waitpid(pid, &status, 0);
}

// A home whose configuration.ini names a SecureCRT there, and a PATH whose
// `open` is /bin/true, made once.
const std::vector<std::string>& Environment() {
    static const std::vector<std::string> env = [] {
        char dir[] = "/tmp/torvale-bench-XXXXXX";
        const std::string root = mkdtemp(dir);
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

void BM_ShellTrue(benchmark::State& state) {
    for (auto _ : state)
        Spawn(state, {"/bin/sh", "-c", "/bin/true"}, Environment());
}
// Processes are started at the pace of the whole machine: the median of
// several runs, each benchmark's, for a ratio that holds from run to run.
BENCHMARK(BM_ShellTrue)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);

void BM_TorvaleSecureCRT(benchmark::State& state) {
    const std::string url =
        "torvale://&action=StartSecureCRT&protocol=ssh2&username=admin--web&sid=1024&proxy_addr="
        "10.0.0.1&";
    for (auto _ : state)
        Spawn(state, {TORVALE_PATH, "--confirm=yes", url}, Environment());
}
BENCHMARK(BM_TorvaleSecureCRT)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);

// The line that launch runs, started by a program that does nothing else.
void BM_SpawnFloor(benchmark::State& state) {
    const std::string home = Environment()[0].substr(5);
    const std::string line =
        "open " + home +
        "/SecureCRT.app -n --args /ssh2 /AUTH password /l admin--1024 /P 22 10.0.0.1";
    for (auto _ : state)
        Spawn(state, {SPAWN_FLOOR_PATH, line}, Environment());
}
BENCHMARK(BM_SpawnFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);

}  // namespace
