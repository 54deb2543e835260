// The POSIX file system, and the launchers that write through it, on a real
// temporary directory.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/posix/PosixFileSystem.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace torvale::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

TEST(PosixFileSystem, WriteFileCreatesAndReplacesWithTheMode) {
    TempDir dir;
    PosixFileSystem files;
    const std::string path = dir / "a.rdp";
    ASSERT_TRUE(files.WriteFile(path, "one", 0600));
    EXPECT_EQ(FileMode(path), 0600u);
    ASSERT_TRUE(files.WriteFile(path, "two\n", 0600));
    EXPECT_EQ(ReadFile(path), "two\n");
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"a.rdp"});
}

TEST(PosixFileSystem, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    if (RunningAsRoot()) GTEST_SKIP() << "root writes into read-only directories";
    TempDir dir;
    PosixFileSystem files;
    const std::string path = dir / "a.rdp";
    ASSERT_TRUE(files.WriteFile(path, "old", 0600));
    ::chmod(dir.path().c_str(), 0500);
    EXPECT_FALSE(files.WriteFile(path, "new", 0600));
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"a.rdp"});
}

TEST(PosixFileSystem, WriteOverADirectoryFailsCleanly) {
    TempDir dir;
    PosixFileSystem files;
    fs::create_directory(dir / "a.rdp");
    EXPECT_FALSE(files.WriteFile(dir / "a.rdp", "x", 0600));
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"a.rdp"});
}

TEST(PosixFileSystem, CopyNeedsAFreeDestination) {
    TempDir dir;
    PosixFileSystem files;
    ASSERT_TRUE(files.WriteFile(dir / "from", "data", 0600));
    ASSERT_TRUE(files.Copy(dir / "from", dir / "to", 0600));
    EXPECT_EQ(ReadFile(dir / "to"), "data");
    EXPECT_EQ(FileMode(dir / "to"), 0600u);
    EXPECT_FALSE(files.Copy(dir / "from", dir / "to", 0600));
    EXPECT_FALSE(files.Copy(dir / "missing", dir / "other", 0600));
    EXPECT_FALSE(files.Copy(dir / "from", dir / "no/such/dir", 0600));
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"from", "to"}));
}

TEST(PosixFileSystem, ExistsFollowsLinks) {
    TempDir dir;
    PosixFileSystem files;
    WriteFile(dir / "file", "");
    fs::create_symlink(dir / "file", dir / "link");
    fs::create_symlink(dir / "missing", dir / "dangling");
    EXPECT_TRUE(files.Exists(dir / "file"));
    EXPECT_TRUE(files.Exists(dir / "link"));
    EXPECT_FALSE(files.Exists(dir / "dangling"));
    EXPECT_FALSE(files.Exists(dir / "missing"));
}

TEST(PosixFileSystem, PathsWithNulAreRefused) {
    TempDir dir;
    PosixFileSystem files;
    const std::string cut = dir / "victim";
    WriteFile(cut, "keep");
    const std::string withNul = cut + std::string("\0.rdp", 5);
    EXPECT_FALSE(files.WriteFile(withNul, "x", 0600));
    EXPECT_FALSE(files.Remove(withNul));
    EXPECT_FALSE(files.Exists(withNul));
    EXPECT_EQ(ReadFile(cut), "keep");
}

// Start-up and the remote desktop launchers on the real file system.
struct RealHarness {
    TempDir home;
    FakeAlertPanel alerts;
    FakePreferences preferences;
    PosixFileSystem files;
    FakeShell shell;
    FakeLog log;
    AppDelegate delegate{{alerts, preferences, files, shell, log}};

    std::string ConfigDir() const { return home / "Documents/torvale"; }
    void Start() { delegate.applicationWillFinishLaunching(home.path()); }
};

TEST(RealStartup, CreatesPrivateDirectoryWithEmptyConfiguration) {
    RealHarness h;
    h.Start();
    EXPECT_EQ(FileMode(h.ConfigDir()), 0700u);
    EXPECT_EQ(ReadFile(h.ConfigDir() + "/configuration.ini"), "");
    EXPECT_TRUE(fs::is_regular_file(h.ConfigDir() + "/configuration.ini"));
}

TEST(RealStartup, PlainFileAtTheDirectoryIsLeftAlone) {
    RealHarness h;
    fs::create_directory(h.home / "Documents");
    WriteFile(h.ConfigDir(), "not a directory");
    h.Start();
    EXPECT_EQ(ReadFile(h.ConfigDir()), "not a directory");
    EXPECT_TRUE(h.alerts.shown.empty());
    EXPECT_TRUE(h.log.lines.empty());
}

TEST(RealStartup, DirectoryNamedConfigurationIniCounts) {
    RealHarness h;
    fs::create_directories(h.ConfigDir() + "/configuration.ini");
    h.Start();
    EXPECT_TRUE(fs::is_directory(h.ConfigDir() + "/configuration.ini"));
}

TEST(RealMstsc, FilesAreWrittenPrivatelyAndCopiesAccumulate) {
    RealHarness h;
    h.Start();
    // No client exists on this machine: answer the presence check in a
    // directory of our own by pointing the launcher only at what it writes.
    struct : FileSystem {
        PosixFileSystem real;
        bool Exists(const std::string& path) override {
            return path.starts_with("/Applications/") || real.Exists(path);
        }
        bool CreateDirectory(const std::string& p, unsigned m) override {
            return real.CreateDirectory(p, m);
        }
        bool WriteFile(const std::string& p, std::string_view c, unsigned m) override {
            return real.WriteFile(p, c, m);
        }
        bool Remove(const std::string& p) override { return real.Remove(p); }
        bool Copy(const std::string& f, const std::string& t, unsigned m) override {
            return real.Copy(f, t, m);
        }
    } withClients;
    AppDelegate delegate({h.alerts, h.preferences, withClients, h.shell, h.log});
    delegate.applicationWillFinishLaunching(h.home.path());

    delegate.handleURLEvent("torvale://&action=StartMstsc&target_ip=10.0.0.1&screen=1&");
    delegate.handleURLEvent("torvale://&action=StartMstsc&target_ip=10.0.0.2&screen=1&");
    delegate.handleURLEvent("torvale://&action=StartMstsc&target_ip=10.0.0.1&screen=2&");
    delegate.handleURLEvent("torvale://&action=StartMstscAutoRun&path=a.exe&");

    const std::string dir = h.ConfigDir();
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"10,0,0,1.rdp", "10,0,0,2.rdp", "activex.rdp",
                                                      "activex_autorun.rdp", "configuration.ini"}));
    for (const char* name :
         {"10,0,0,1.rdp", "10,0,0,2.rdp", "activex.rdp", "activex_autorun.rdp"}) {
        EXPECT_EQ(FileMode(dir + "/" + name), 0600u) << name;
    }
    EXPECT_EQ(ReadFile(dir + "/10,0,0,1.rdp"), ReadFile(dir + "/activex.rdp"));
    EXPECT_NE(ReadFile(dir + "/10,0,0,2.rdp"), ReadFile(dir + "/activex.rdp"));
    EXPECT_TRUE(h.alerts.shown.empty());
    EXPECT_EQ(h.shell.lines.size(), 4u);

    if (RunningAsRoot()) return;
    // An unwritable directory: both alerts, the command still runs, and the
    // files already there are kept as they were.
    const std::string before = ReadFile(dir + "/activex.rdp");
    ::chmod(dir.c_str(), 0500);
    delegate.handleURLEvent("torvale://&action=StartMstsc&target_ip=10.0.0.3&");
    ::chmod(dir.c_str(), 0700);
    ASSERT_EQ(h.alerts.shown.size(), 2u);
    EXPECT_EQ(h.alerts.shown[0].message, "创建activex.rdp文件出错" + dir + "/activex.rdp");
    EXPECT_EQ(h.alerts.shown[1].message, "复制文件出错" + dir + "/10,0,0,3.rdp");
    EXPECT_EQ(ReadFile(dir + "/activex.rdp"), before);
    EXPECT_EQ(h.shell.lines.size(), 5u);
    EXPECT_EQ(Entries(dir).size(), 5u);
}

}  // namespace
}  // namespace torvale::test
