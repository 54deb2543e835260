// Command lines of hostile values, run through real shells in every locale
// with a recording stand-in for `open` and each client program: each client
// receives exactly the argv of its plan, the raw values word by word.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/recording/RecordingPlatform.h"
#include "support/DataFile.h"
#include "support/System.h"

namespace torvale::test {
namespace {

using Values = std::map<std::string, std::string>;
using Argv = std::vector<std::string>;

const char* const kKeys[] = {"username",        "password",    "sid",     "cid",  "proxy_addr",
                             "target_username", "target_ip",   "host",    "port", "monitoruser",
                             "monitorpassword", "monitorport", "sshport", "path", "param",
                             "rdparg",          "protocol"};
const char* const kActions[] = {
    "StartSecureCRT", "StartSecureCRTDisplay", "StartSecureCRTMonitor",  "StartFileZilla",
    "StartMstsc",     "StartMstscAutoRun",     "StartMstscAutoRunReplay"};

// dash is Debian's /bin/sh, bash in POSIX mode macOS's. The other locales are
// those where a UTF-8 byte can take the byte after it into one character.
const struct {
    std::string locale;
    std::string charmap;  // what loading it must give: bash falls back to C silently
    std::vector<std::string> argv;
} kShells[] = {
    {"C.UTF-8", "UTF-8", {"/bin/sh", "-c"}},
    {"C.UTF-8", "UTF-8", {"bash", "--posix", "-c"}},
    {"zh_CN.GBK", "GBK", {"bash", "--posix", "-c"}},
    {"zh_CN.GB18030", "GB18030", {"bash", "--posix", "-c"}},
    {"zh_TW.BIG5", "BIG5", {"bash", "--posix", "-c"}},
    {"ja_JP.SJIS", "SHIFT_JIS", {"bash", "--posix", "-c"}},
};

std::string Escaped(const std::string& value) {
    std::string out;
    for (const char byte : value)
        out += {'%', "0123456789ABCDEF"[(byte >> 4) & 15], "0123456789ABCDEF"[byte & 15]};
    return out;
}

// Every launcher on every set of values, for one client table: a plan's line
// runs, and hands over the words of the plan's argv. inTerminal: the SSH link
// with "SSH = openssh", a terminal's line that holds ssh's, or with a password
// entrusted, env's with the askpass variables (the handover only recorded).
void Sweep(const ClientTable& table, const std::vector<Values>& sets, bool inTerminal = false) {
    TempDir scratch;
    const std::string bin = scratch / "bin", log = scratch / "argv.log";
    const std::string home = scratch / "home dir 'q'";
    ::mkdir(bin.c_str(), 0700);
    for (const char* program : {"open", "SecureCRT", "filezilla", "xfreerdp3", "terminal", "ssh"})
        ASSERT_EQ(::symlink(RECORD_ARGV_PATH, (bin + "/" + program).c_str()), 0);
    for (const std::string action : kActions) {
        // No QuendalApp on Linux. The display and monitor links make the
        // same ssh line, from logins ssh mostly refuses here.
        if ((table.name == "linux" && action == "StartMstscAutoRunReplay") ||
            (inTerminal && action != "StartSecureCRT"))
            continue;
        std::vector<std::string> script(1);
        std::vector<Argv> intended;
        for (const Values& values : sets) {
            std::string fields = "&action=" + action;
            for (const auto& [key, value] : values)
                fields += "&" + key + "=" + Escaped(value);
            RecordingPlatform platform;
            platform.alerts.answer = Answer::Connect;
            platform.askpassHelper = home + "/ask'pass";
            if (inTerminal)
                platform.files.Seed(home + "/Documents/torvale/configuration.ini",
                                    "[clients]\nSSH = openssh\nTerminal = " + bin +
                                        "/terminal\nOpenSSH = " + bin + "/ssh\n");
            platform.files.present = [&](const std::string& path) {
                return path.starts_with("/Applications/") || path.starts_with(bin + "/");
            };
            Application& app = platform.Start(table, home, bin);
            app.handleURLEvent("torvale://" + fields + "&");
            const auto& command = app.LastPass().plan.command;
            const auto lines = platform.recorder.Texts(RecordedEvent::Kind::Command);
            if (lines.empty()) continue;
            ASSERT_TRUE(command.has_value()) << action << fields;
            ASSERT_EQ(lines, std::vector<std::string>{LineOf(*command)}) << action << fields;
            // One argument may hold only 128 KiB on Linux: batches of lines.
            if (script.back().size() > 100000) script.emplace_back();
            script.back() += lines[0] + "\n";
            intended.push_back(ArgvOf(*command));
        }
        // Refusals aside, values of every kind must reach each client.
        EXPECT_GE(intended.size() * 4, sets.size()) << action << ": most launches refused";
        for (const auto& shell : kShells) {
            SCOPED_TRACE(action + " via " + shell.argv[0] + " in " + shell.locale);
            const std::vector<std::string> env = {"PATH=" + bin + ":/usr/bin:/bin",
                                                  "RECORD_ARGV_LOG=" + log,
                                                  "LC_ALL=" + shell.locale, "LOCPATH=" LOCALES_DIR};
            EXPECT_EQ(RunProcess({"locale", "charmap"}, env).out, shell.charmap + "\n");
            ::unlink(log.c_str());
            for (const std::string& lines : script) {
                std::vector<std::string> argv = shell.argv;
                argv.push_back(lines);
                EXPECT_EQ(RunProcess(argv, env).err, "");
            }
            EXPECT_EQ(ReadArgvLog(log), intended);
        }
    }
}

TEST(Argv, HostileValuesReachTheClientsIntactInEveryShellAndLocale) {
    std::vector<Values> sets;
    for (const std::string& value : ReadDataLines("integration/data/hostile.txt")) {
        // The value in every place at once, and beside ordinary ones.
        Values everywhere;
        for (const char* key : kKeys)
            everywhere[key] = value;
        sets.push_back(everywhere);
        // Beside a host that is one (a host that is not is refused whole).
        Values beside = {{"proxy_addr", "gw"},
                         {"host", "h"},
                         {"protocol", "sftp"},
                         {"username", "u--" + value},
                         {"monitoruser", "m" + value}};
        for (const char* key : {"password", "param", "path", "monitorpassword", "target_ip"})
            beside[key] = value;
        beside["entrust_password"] = "1";  // ssh's password through its askpass helper
        sets.push_back(beside);
        // In the login names too, where ssh refuses most of them.
        beside["sid"] = value;
        sets.push_back(beside);
    }
    Sweep(clients::kMacOS, sets);
    Sweep(clients::kLinux, sets);
    Sweep(clients::kLinux, sets, true);
}

}  // namespace
}  // namespace torvale::test
