// Command lines built from hostile values, run through the real shells with a
// fake `open` first on PATH: the client must receive exactly the intended
// argv, whatever the values hold.

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <random>

#include <gtest/gtest.h>

#include "support/Fakes.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace torvale::test {
namespace {

using Argv = std::vector<std::string>;

// Percent-escapes every byte, so the value arrives as itself after decoding.
std::string Escaped(const std::string& value) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (char byte : value) {
        const auto c = static_cast<unsigned char>(byte);
        out += '%';
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out;
}

struct Values {
    std::string username, password, sid, cid, proxy, target_user, target_ip, host, port,
        monitoruser, monitorpassword, monitorport, sshport, path, param, rdparg;

    std::string Fields() const {
        std::string fields;
        auto add = [&](const char* key, const std::string& value) {
            fields += "&" + std::string(key) + "=" + Escaped(value);
        };
        add("username", username);
        add("password", password);
        add("sid", sid);
        add("cid", cid);
        add("proxy_addr", proxy);
        add("target_username", target_user);
        add("target_ip", target_ip);
        add("host", host);
        add("port", port);
        add("monitoruser", monitoruser);
        add("monitorpassword", monitorpassword);
        add("monitorport", monitorport);
        add("sshport", sshport);
        add("path", path);
        add("param", param);
        add("rdparg", rdparg);
        return fields + "&";
    }
};

std::string Login(const Values& v) {
    const std::size_t cut = v.username.find("--");
    return (cut == std::string::npos ? v.username : v.username.substr(0, cut + 2)) + v.sid;
}

std::string SshPort(const Values& v) {
    return v.sshport.empty() || v.sshport == "0" ? "22" : v.sshport;
}

// A value standing alone as a word leaves no argument when it is empty.
void Word(Argv& argv, const std::string& value) {
    if (!value.empty()) argv.push_back(value);
}

Argv MonitorArgv(const Values& v, const Argv& switches, const std::string& afterUser,
                 const std::string& afterSid) {
    Argv a{"/Applications/SecureCRT.app", "-n", "--args"};
    a.insert(a.end(), switches.begin(), switches.end());
    a.push_back(v.monitoruser + afterUser + v.sid + afterSid + v.cid);
    a.push_back("/password");
    Word(a, v.monitorpassword);
    Word(a, v.host);
    a.push_back("/P");
    Word(a, v.monitorport);
    return a;
}

struct LauncherCase {
    const char* action;
    std::string extraFields;
    std::function<Argv(const Values&, const std::string& configDir)> intended;
};

const std::vector<LauncherCase>& Launchers() {
    static const std::vector<LauncherCase> cases = {
        {"StartSecureCRT", "&protocol=ssh2&crttab=1&entrust_password=1",
         [](const Values& v, const std::string&) {
             Argv a{"/Applications/SecureCRT.app",     "-n",    "--args", "/T",       "/N",
                    v.target_user + "@" + v.target_ip, "/ssh2", "/AUTH",  "password", "/l"};
             Word(a, Login(v));
             a.push_back("/password");
             Word(a, v.password);
             a.push_back("/P");
             Word(a, SshPort(v));
             Word(a, v.proxy);
             return a;
         }},
        {"StartSecureCRTDisplay", "",
         [](const Values& v, const std::string&) {
             return MonitorArgv(v, {"/ssh2", "/AUTH", "password", "/l"}, "--", "--");
         }},
        {"StartSecureCRTMonitor", "",
         [](const Values& v, const std::string&) {
             return MonitorArgv(v, {"/ssh2", "/l"}, "2-", "-");
         }},
        {"StartFileZilla", "&protocol=sftp&entrust_password=1",
         [](const Values& v, const std::string&) {
             return Argv{
                 "/Applications/FileZilla.app", "--args",
                 "sftp://" + Login(v) + ":" + v.password + "@" + v.proxy + ":" + SshPort(v)};
         }},
        {"StartMstsc", "",
         [](const Values& v, const std::string& dir) {
             Argv a{"/Applications/Microsoft Remote Desktop.app"};
             if (!v.rdparg.empty()) a.push_back("/" + v.rdparg);
             std::string target = v.target_ip;
             std::replace(target.begin(), target.end(), '.', ',');
             a.push_back(dir + "/" + target + ".rdp");
             return a;
         }},
        {"StartMstscAutoRun", "",
         [](const Values&, const std::string& dir) {
             return Argv{"/Applications/Remote Desktop Connection.app",
                         dir + "/activex_autorun.rdp"};
         }},
        {"StartMstscAutoRunReplay", "",
         [](const Values& v, const std::string&) {
             return Argv{"/Applications/QuendalApp.app",
                         "--args",
                         "/v:" + v.host + ":" + v.port,
                         "/u:" + v.username,
                         "/p:" + v.password,
                         "/app-name:" + v.path,
                         "/app-cmd:\"" + v.param + "\""};
         }},
    };
    return cases;
}

// Shells to check: dash as /bin/sh here, and bash in POSIX mode as macOS's
// /bin/sh is.
const std::vector<Argv>& Shells() {
    static const std::vector<Argv> shells = {{"/bin/sh", "-c"}, {"bash", "--posix", "-c"}};
    return shells;
}

class ArgvHarness {
  public:
    ArgvHarness() : home_(root_ / "home dir 'q'") {
        ::mkdir(bin_.c_str(), 0700);
        ::mkdir(home_.c_str(), 0700);
        if (::symlink(FAKE_OPEN_PATH, (bin_ + "/open").c_str()) != 0) ADD_FAILURE() << "symlink";
    }

    std::string ConfigDir() const { return home_ + "/Documents/torvale"; }

    // The line a launcher builds for these values.
    std::string LineFor(const LauncherCase& launcher, const Values& values) {
        Harness h(home_);
        h.InstallAll();
        h.OpenFields("&action=" + std::string(launcher.action) + launcher.extraFields +
                     values.Fields());
        EXPECT_EQ(h.shell.lines.size(), 1u) << launcher.action;
        return h.shell.lines.empty() ? std::string() : h.shell.lines[0];
    }

    // Runs the lines as shell scripts and returns what `open` received, per
    // line. Lines go in batches: one argument may hold only 128 KiB on Linux.
    std::vector<Argv> Run(const Argv& shell, const std::vector<std::string>& lines) {
        const std::string log = root_ / "open.log";
        ::unlink(log.c_str());
        std::string script;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            script += lines[i] + "\n";
            if (i + 1 == lines.size() || script.size() + lines[i + 1].size() > 100000) {
                Argv argv = shell;
                argv.push_back(script);
                const ProcessResult result =
                    RunProcess(argv, {"PATH=" + bin_ + ":/usr/bin:/bin", "FAKE_OPEN_LOG=" + log,
                                      "HOME=" + home_, "LC_ALL=C.UTF-8"});
                EXPECT_EQ(result.err, "");
                script.clear();
            }
        }
        return ReadOpenLog(log);
    }

  private:
    TempDir root_;
    std::string bin_ = root_ / "bin";
    std::string home_;
};

void ExpectIntended(ArgvHarness& h, const std::vector<Values>& valueSets) {
    for (const LauncherCase& launcher : Launchers()) {
        std::vector<std::string> lines;
        std::vector<Argv> intended;
        for (const Values& values : valueSets) {
            lines.push_back(h.LineFor(launcher, values));
            intended.push_back(launcher.intended(values, h.ConfigDir()));
        }
        for (const Argv& shell : Shells()) {
            const std::vector<Argv> received = h.Run(shell, lines);
            ASSERT_EQ(received.size(), intended.size()) << launcher.action << " via " << shell[0];
            for (std::size_t i = 0; i < intended.size(); ++i) {
                EXPECT_EQ(received[i], intended[i])
                    << launcher.action << " via " << shell[0] << "\nline: " << lines[i];
            }
        }
    }
}

const std::vector<std::string> kHostile = {
    "plain",
    "two words",
    "it's",
    "\"dq\"",
    "back\\slash",
    "trail\\",
    "$(touch /tmp/torvale-pwned)",
    "`id`",
    "${HOME}",
    "$HOME",
    "a;b",
    "a|b",
    "a;b #",
    "a<b>c",
    "*",
    "?",
    "[a-z]",
    "~",
    "~root",
    "{a,b}",
    "!",
    "!!",
    "line\nfeed",
    "tab\there",
    "-n",
    "--args",
    "=cmd",
    "=",
    "/",
    "中文 用户",
    "%41",
    "a'b\"c\\d$e`f",
    "\\'",
    "'",
    "''",
    std::string(300, 'x') + "'" + std::string(300, ' '),
};

TEST(CommandLineArgv, WorkedValuesReachTheClientAsIntended) {
    ArgvHarness h;
    Values v{"admin--web", "pw",   "1024",  "3",   "10.0.0.1", "root", "10.0.0.5",
             "10.0.0.1",   "3389", "audit", "mpw", "2222",     "22",   "C:\\Tools\\Viewer.exe",
             "report.txt", "admin"};
    ExpectIntended(h, {v});
}

TEST(CommandLineArgv, HostileValuesInEveryPlace) {
    ArgvHarness h;
    std::vector<Values> sets;
    for (const std::string& s : kHostile) {
        // Each value in every parameter at once, and paired with a plain one.
        sets.push_back(Values{s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s});
        sets.push_back(Values{"u--" + s, s, "", s, "gw", s, "", s, "", s, "", s, "0", s, "", s});
    }
    ExpectIntended(h, sets);
}

std::string RandomValue(std::mt19937& random) {
    static const std::vector<std::string> pieces = [] {
        std::vector<std::string> p;
        // "&" cannot occur in a value: it always ends the field.
        for (int c = 1; c < 128; ++c) {
            if (c != '&') p.emplace_back(1, static_cast<char>(c));
        }
        for (const char* s : {"中", "é", "😀", "--", "'\\''", "$(", "\\\n"})
            p.emplace_back(s);
        return p;
    }();
    std::uniform_int_distribution<std::size_t> length(0, 12);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::string value;
    for (std::size_t n = length(random); n > 0; --n)
        value += pieces[pick(random)];
    return value;
}

TEST(CommandLineArgv, SeededRandomValues) {
    ArgvHarness h;
    std::mt19937 random(20261206);
    std::vector<Values> sets;
    for (int i = 0; i < 400; ++i) {
        Values v;
        for (std::string* field :
             {&v.username, &v.password, &v.sid, &v.cid, &v.proxy, &v.target_user, &v.target_ip,
              &v.host, &v.port, &v.monitoruser, &v.monitorpassword, &v.monitorport, &v.sshport,
              &v.path, &v.param, &v.rdparg}) {
            *field = RandomValue(random);
        }
        sets.push_back(v);
    }
    ExpectIntended(h, sets);
}

}  // namespace
}  // namespace torvale::test
