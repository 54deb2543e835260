// From starting torvale-desktop with a link to an allowed host (nothing to
// ask) to the moment the client starts, against /bin/sh -c starting the same
// client line: what a click costs beyond what starting the client costs
// anyway. The client is a stand-in (ClientStandIn.cpp) that writes a byte
// into a FIFO as it starts; only the time to that byte is counted, then
// everything started is waited for, untimed.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Launch.h"

namespace {

// A home whose configuration.ini allows 10.0.0.1 and names the stand-in as
// SecureCRT, the FIFO it writes into (held open here for reading and
// writing: never an end of file, never a writer that blocks), and the
// environment of the launches, made once.
struct Setup {
    std::string root;
    std::string client;
    int fifo = -1;
    std::vector<std::string> env;

    Setup() {
        char dir[] = "/tmp/torvale-click-XXXXXX";
        root = mkdtemp(dir);
        client = root + "/client";
        for (const char* sub : {"/Documents", "/Documents/torvale"})
            mkdir((root + sub).c_str(), 0700);
        symlink(CLIENT_STAND_IN_PATH, client.c_str());
        mkfifo((client + ".fifo").c_str(), 0600);
        fifo = open((client + ".fifo").c_str(), O_RDWR | O_CLOEXEC);
        const std::string ini =
            "[clients]\nSecureCRT = " + client + "\n[gateways]\nallow = 10.0.0.1\n";
        if (FILE* file = fopen((root + "/Documents/torvale/configuration.ini").c_str(), "w")) {
            fputs(ini.c_str(), file);
            fclose(file);
        }
        env = {"HOME=" + root, "XDG_CONFIG_HOME=" + root, "PATH=/usr/bin:/bin"};
        // Under a display the launch sees it, as a click does; it shows no
        // dialog, so none is needed.
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "XDG_RUNTIME_DIR"})
            if (const char* value = getenv(name)) env.push_back(std::string(name) + "=" + value);
    }
    ~Setup() {
        if (fifo >= 0) close(fifo);
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
};

const Setup& Launches() {
    static const Setup setup;
    return setup;
}

// One start of `args`, timed to the stand-in's byte; then waited for to its
// end, with its output on /dev/null as a browser's launch has it.
void TimeToClient(benchmark::State& state, std::vector<std::string> args) {
    const Setup& setup = Launches();
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int error = StartQuietly(args, setup.env, &pid);
    if (error != 0) {
        state.SkipWithError("cannot spawn");
        return;
    }
    // A launch refused never reaches the client: waited for 10 s at most.
    pollfd said = {setup.fifo, POLLIN, 0};
    char byte = 0;
    const bool started = poll(&said, 1, 10000) == 1 && read(setup.fifo, &byte, 1) == 1;
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    int status = 0;
    if (!started || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        state.SkipWithError(("failed: " + args[0]).c_str());
}

constexpr int kRepetitions = 11;

// The line torvale-desktop runs for the link below.
std::string ClientLine() {
    return Launches().client + " /ssh2 /AUTH password /l admin--1024 /P 22 10.0.0.1";
}

void BM_ShellToClient(benchmark::State& state) {
    for (auto _ : state)
        TimeToClient(state, {"/bin/sh", "-c", ClientLine()});
}
BENCHMARK(BM_ShellToClient)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(kRepetitions);

void BM_ClickToClient(benchmark::State& state) {
    const char* desktop = getenv("TORVALE_DESKTOP");  // another build's, to compare
    const std::string program = desktop != nullptr && *desktop != '\0' ? desktop : DESKTOP_PATH;
    const std::string url =
        "torvale://&action=StartSecureCRT&protocol=ssh2&username=admin--web&sid=1024&proxy_addr="
        "10.0.0.1&";
    for (auto _ : state)
        TimeToClient(state, {program, url});
    // Timed only if that line launched: a refusal never reaches the FIFO, a
    // launch of another line would be timed for something else.
    SkipUnlessLaunched(state, Launches().root);
}
BENCHMARK(BM_ClickToClient)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(kRepetitions);

}  // namespace
