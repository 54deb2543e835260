// The request pass in process, on recording ports: what the handler costs
// beside the shell it starts.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/request/Request.h"
#include "platform/headless/DryRun.h"
#include "platform/recording/RecordingPlatform.h"

namespace {

// The application on the recording platform with every client present.
struct Pass {
    torvale::RecordingPlatform platform;
    torvale::Application& delegate;

    Pass() : delegate(Started(platform)) {}

    static torvale::Application& Started(torvale::RecordingPlatform& platform) {
        platform.files.present = [](const std::string&) { return true; };
        return platform.Start(torvale::clients::kMacOS, "/home/bench");
    }

    void Run(const std::string& url) {
        platform.recorder.events.clear();
        delegate.handleURLEvent(url);
        benchmark::DoNotOptimize(platform.recorder.events.data());
    }
};

const std::vector<std::pair<std::string, std::string>> kTypical = {
    {"StartPutty", "&action=StartPutty&username=admin--web&sid=1024&"},
    {"StartWinscp", "&action=StartWinscp&username=admin--web&sid=1024&"},
    {"StartFileZilla",
     "&action=StartFileZilla&protocol=sftp&username=admin--web&sid=1024&entrust_password=1&"
     "password=secret&proxy_addr=10.0.0.1&sshport=22&"},
    {"StartFlashXP", "&action=StartFlashXP&"},
    {"StartSecureCRT",
     "&action=StartSecureCRT&protocol=ssh2&sshport=22&username=admin--web&sid=1024&crttab=1&"
     "target_username=root&target_ip=10.0.0.5&entrust_password=1&password=s3cret&proxy_addr="
     "10.0.0.1&"},
    {"StartMstsc",
     "&action=StartMstsc&screen=2&localhost=192.0.2.7:3389&username=ops--&sid=57&clipboard=1&"
     "disk=*&entrust_password=1&password=s3cret&target_ip=10.1.2.3&"},
    {"StartPuttyMonitor", "&action=StartPuttyMonitor&"},
    {"StartPuttyDisplay", "&action=StartPuttyDisplay&"},
    {"StartSecureCRTDisplay",
     "&action=StartSecureCRTDisplay&monitoruser=audit&sid=1024&cid=3&monitorpassword=pw&host="
     "10.0.0.1&monitorport=2222&"},
    {"StartSecureCRTMonitor",
     "&action=StartSecureCRTMonitor&monitoruser=audit&sid=1024&cid=3&monitorpassword=pw&host="
     "10.0.0.1&monitorport=2222&"},
    {"StartRdpReplay", "&action=StartRdpReplay&"},
    {"StartMstscMonitor", "&action=StartMstscMonitor&"},
    {"StartMstscAutoRun",
     "&action=StartMstscAutoRun&localhost=192.0.2.7:3389&username=ops--&sid=57&path=C:%5CTools%5C"
     "Viewer%5CViewer.exe+-r&clipboard=0&password=pw&"},
    {"StartMstscAutoRunReplay",
     "&action=StartMstscAutoRunReplay&host=10.0.0.1&port=3389&username=admin&password=pw&path="
     "notepad.exe&param=report.txt&"},
};

void BM_RequestPass(benchmark::State& state) {
    const auto& [action, fields] = kTypical[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(action);
    Pass pass;
    const std::string url = "torvale://" + fields;
    for (auto _ : state)
        pass.Run(url);
}
BENCHMARK(BM_RequestPass)->DenseRange(0, static_cast<int>(kTypical.size()) - 1);

// A SecureCRT URL whose fields sit behind a long filler field, so every
// lookup of the 31 keys scans the whole text.
void BM_FieldTextSize(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    Pass pass;
    const std::string url = "torvale://&filler=" + std::string(size, 'x') + kTypical[4].second;
    for (auto _ : state)
        pass.Run(url);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(url.size()));
}
BENCHMARK(BM_FieldTextSize)
    ->Arg(1 << 10)
    ->Arg(64 << 10)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMicrosecond);

// The dry run and the debug alert mask each secret field of the field
// text: text that is nothing but password fields.
void BM_MaskSecrets(benchmark::State& state) {
    std::string text;
    while (text.size() < static_cast<std::size_t>(state.range(0)))
        text += "&password=ab&monitorpassword=cd";
    for (auto _ : state)
        benchmark::DoNotOptimize(torvale::MaskedFieldText(text));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_MaskSecrets)->Arg(256 << 10)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
