// Command lines built from hostile values, run through real shells with a
// recording stand-in for `open` and every client program: each must receive
// exactly the intended argv, whatever the values hold, in every locale.

#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include <gtest/gtest.h>

#include "support/Fakes.h"
#include "support/Intended.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace torvale::test {
namespace {

// Percent-escapes every byte, so the value arrives as itself after decoding.
std::string Escaped(const std::string& value) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (char byte : value) {
        const auto c = static_cast<unsigned char>(byte);
        out += {'%', hex[c >> 4], hex[c & 15]};
    }
    return out;
}

const char* const kKeys[] = {"username",        "password",    "sid",     "cid",  "proxy_addr",
                             "target_username", "target_ip",   "host",    "port", "monitoruser",
                             "monitorpassword", "monitorport", "sshport", "path", "param",
                             "rdparg",          "protocol"};

const char* const kActions[] = {
    "StartSecureCRT", "StartSecureCRTDisplay", "StartSecureCRTMonitor",  "StartFileZilla",
    "StartMstsc",     "StartMstscAutoRun",     "StartMstscAutoRunReplay"};

// bash in POSIX mode is macOS's /bin/sh; dash is Debian's. The multibyte
// locales are those where a UTF-8 byte can swallow the byte after it.
struct Shell {
    const char* name;
    std::vector<std::string> argv;
    std::string locale;
    std::string charmap;  // what the locale must be, or bash falls back to C
};
const Shell kShells[] = {
    {"dash", {"/bin/sh", "-c"}, "C.UTF-8", "UTF-8"},
    {"bash", {"bash", "--posix", "-c"}, "C.UTF-8", "UTF-8"},
    {"bash GBK", {"bash", "--posix", "-c"}, "zh_CN.GBK", "GBK"},
    {"bash GB18030", {"bash", "--posix", "-c"}, "zh_CN.GB18030", "GB18030"},
    {"bash Big5", {"bash", "--posix", "-c"}, "zh_TW.BIG5", "BIG5"},
    {"bash Shift-JIS", {"bash", "--posix", "-c"}, "ja_JP.SJIS", "SHIFT_JIS"},
};

class ArgvSweep {
  public:
    explicit ArgvSweep(const ClientTable& table) : table_(table) {
        for (const Shell& shell : kShells) {
            const ProcessResult charmap = RunProcess(
                {"locale", "charmap"},
                {"PATH=/usr/bin:/bin", "LC_ALL=" + shell.locale, "LOCPATH=" LOCALES_DIR});
            EXPECT_EQ(charmap.out, shell.charmap + "\n") << shell.name;
        }
        ::mkdir(bin_.c_str(), 0700);
        for (const char* program : {"open", "SecureCRT", "filezilla", "xfreerdp"}) {
            EXPECT_EQ(::symlink(RECORD_ARGV_PATH, (bin_ + "/" + program).c_str()), 0);
        }
    }

    // Every launcher on every set of values: the line, if any, must be one
    // exactly when the launch is allowed, and give the intended words.
    void Check(const std::vector<std::map<std::string, std::string>>& valueSets) {
        for (const char* action : kActions) {
            std::vector<std::string> lines;
            std::vector<Argv> intended;
            for (const auto& values : valueSets) {
                std::string fields = "&action=" + std::string(action);
                for (const auto& [key, value] : values)
                    fields += "&" + key + "=" + Escaped(value);
                fields += "&";
                Harness h(table_, home_, bin_);
                h.InstallAll();
                h.Open(fields);
                const auto words =
                    IntendedWords(*h.delegate.url, table_, h.delegate.ConfigDir, bin_);
                ASSERT_EQ(h.shell.lines.size(), words ? 1u : 0u) << action << fields;
                if (!words) continue;
                lines.push_back(h.shell.lines[0]);
                intended.push_back(*words);
            }
            for (const Shell& shell : kShells) {
                const std::vector<Argv> received = Run(shell, lines);
                ASSERT_EQ(received.size(), intended.size()) << action << " via " << shell.name;
                for (std::size_t i = 0; i < intended.size(); ++i) {
                    EXPECT_EQ(received[i], intended[i])
                        << action << " via " << shell.name << "\nline: " << lines[i];
                }
            }
        }
    }

  private:
    // Runs the lines as scripts and returns the argv each program received.
    // Lines go in batches: one argument may hold only 128 KiB on Linux.
    std::vector<Argv> Run(const Shell& shell, const std::vector<std::string>& lines) {
        const std::string log = scratch_ / "argv.log";
        ::unlink(log.c_str());
        std::string script;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            script += lines[i] + "\n";
            if (i + 1 == lines.size() || script.size() + lines[i + 1].size() > 100000) {
                std::vector<std::string> argv = shell.argv;
                argv.push_back(script);
                const ProcessResult result =
                    RunProcess(argv, {"PATH=" + bin_ + ":/usr/bin:/bin", "RECORD_ARGV_LOG=" + log,
                                      "LC_ALL=" + shell.locale, "LOCPATH=" LOCALES_DIR});
                EXPECT_EQ(result.err, "") << shell.name;
                script.clear();
            }
        }
        return ReadArgvLog(log);
    }

    const ClientTable& table_;
    TempDir scratch_;
    std::string bin_ = scratch_ / "bin";
    std::string home_ = scratch_ / "home dir 'q'";
};

// Values that break quoting, start options, or turn into other characters in
// a multibyte locale (a CJK character before "\", "\"", "$" or "`").
const std::vector<std::string> kHostile = {
    "",
    "two words",
    "it's",
    "\"dq\"",
    "back\\slash",
    "trail\\",
    "$(id)",
    "`id`",
    "${HOME}",
    "a;b|c&&d",
    "a<b>c #",
    "*?[a-z]",
    "~root",
    "{a,b}",
    "!!",
    "line\nfeed",
    "tab\there",
    "-n",
    "--args",
    "/etc",
    "=cmd",
    "中文 用户",
    "报告中",
    "中\\",
    "中\"x",
    "中$HOME",
    "中`id`",
    "表\\'",
    "ソ\\",
    "报0",
    "报0'",
    "%41",
    "a'b\"c\\d$e`f",
    "''",
    std::string(200, 'x') + "'" + std::string(200, ' '),
};

std::vector<std::map<std::string, std::string>> HostileSets() {
    std::vector<std::map<std::string, std::string>> sets;
    for (const std::string& value : kHostile) {
        // The value in every place at once, and beside ordinary ones.
        std::map<std::string, std::string> everywhere, beside;
        for (const char* key : kKeys)
            everywhere[key] = value;
        beside = {{"username", "u--" + value},
                  {"password", value},
                  {"proxy_addr", "gw"},
                  {"protocol", "sftp"},
                  {"host", value},
                  {"param", value},
                  {"path", value},
                  {"monitoruser", "m" + value},
                  {"monitorpassword", value},
                  {"target_ip", value}};
        sets.push_back(everywhere);
        sets.push_back(beside);
    }
    return sets;
}

std::vector<std::map<std::string, std::string>> RandomSets(int count) {
    std::mt19937 random(20261206);
    std::vector<std::string> pieces;
    for (int c = 1; c < 128; ++c) {
        if (c != '&') pieces.emplace_back(1, static_cast<char>(c));  // "&" always ends a field
    }
    for (const char* s : {"中", "报", "报0", "ソ9", "é", "😀", "--", "'\"'\"'", "$(", "\\\n"})
        pieces.emplace_back(s);
    std::uniform_int_distribution<std::size_t> length(0, 10), pick(0, pieces.size() - 1);
    std::vector<std::map<std::string, std::string>> sets(static_cast<std::size_t>(count));
    for (auto& set : sets) {
        for (const char* key : kKeys) {
            for (std::size_t n = length(random); n > 0; --n)
                set[key] += pieces[pick(random)];
        }
        set["protocol"] = random() % 2 ? "sftp" : set["protocol"];
    }
    return sets;
}

TEST(Argv, HostileValuesReachTheClientsIntactInEveryShellAndLocale) {
    ArgvSweep(clients::kMacOS).Check(HostileSets());
    ArgvSweep(clients::kLinux).Check(HostileSets());
}

TEST(Argv, RandomValuesReachTheClientsIntactInEveryShellAndLocale) {
    ArgvSweep(clients::kMacOS).Check(RandomSets(150));
    ArgvSweep(clients::kLinux).Check(RandomSets(150));
}

}  // namespace
}  // namespace torvale::test
