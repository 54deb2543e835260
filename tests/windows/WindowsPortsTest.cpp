// The Windows system ports on the real registry and files of the test's
// Wine prefix: each case makes its own key or folder, named after this
// process, and removes it.

#include <gtest/gtest.h>

#include "core/config/Configuration.h"
#include "platform/windows/AccessControl.h"
#include "platform/windows/InstalledPrograms.h"
#include "platform/windows/RegistryPreferences.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WindowsBackgroundTasks.h"
#include "platform/windows/WindowsFileSystem.h"
// After windows.h.
#include <aclapi.h>
#include <sddl.h>

namespace torvale::test {
namespace {

const std::string kPid = std::to_string(::GetCurrentProcessId());

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(search, &found)) {
        const std::wstring name = found.cFileName, at = path + L"\\" + name;
        if (name == L"." || name == L"..") continue;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) RemoveTree(at);
        ::DeleteFileW(at.c_str());
    }
    if (search != INVALID_HANDLE_VALUE) ::FindClose(search);
    ::RemoveDirectoryW(path.c_str());
}

// A folder of this user's temporary one, removed with what is in it.
struct Scratch {
    std::string path;
    Scratch() {
        wchar_t temporary[MAX_PATH + 1];
        const DWORD n = ::GetTempPathW(MAX_PATH + 1, temporary);
        path = Narrow(std::wstring_view(temporary, n)) + "torvale-test-" + kPid;
        RemoveTree(Wide(path));  // Wine gives the next run the same process ID
    }
    ~Scratch() { RemoveTree(Wide(path)); }
};

// Gives what stands at the path the owner and list an SDDL string gives
// (the list protected), or no list at all.
DWORD SetSecurity(const std::string& path, const std::string& sddl, bool noList = false) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(Wide(sddl).c_str(), SDDL_REVISION_1,
                                                                &sd, nullptr))
        return ::GetLastError();
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    ::GetSecurityDescriptorOwner(sd, &owner, &defaulted);
    ::GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
    std::wstring name = WidePath(path);
    const DWORD status =
        ::SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                    PROTECTED_DACL_SECURITY_INFORMATION,
                                owner, nullptr, noList ? nullptr : dacl, nullptr);
    ::LocalFree(sd);
    return status;
}

// Wine keeps no security descriptor of a file: it tells one made of the
// Unix file's mode, owned by this user, with SYSTEM always let in, and turns
// a list it is given into a mode.
const bool kWine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version");

std::string ThisUser() {
    std::vector<unsigned char> sid = CurrentUserSid(nullptr);
    return sid.empty() ? "" : SidText(sid.data());
}

TEST(WindowsPorts, PreferencesKeepHostileEntriesByteForByteAndReadNoLongValue) {
    const std::string subkey = "Software\\Torvale-test-" + kPid;
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Wide(subkey).c_str());
    RegistryPreferences preferences(subkey, 64);
    const std::vector<std::string> hostile = {"gw.example", "a b\n=%41", std::string("\0\xff", 2),
                                              "\xE4\xB8\xAD", ""};
    std::string err;
    ASSERT_TRUE(preferences.UpdateList(
        "Trusted", [&](auto) { return hostile; }, &err))
        << err;
    EXPECT_EQ(preferences.GetList("Trusted"), hostile);
    wchar_t raw[256];
    DWORD size = sizeof raw;
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, Wide(subkey).c_str(), L"Trusted", RRF_RT_REG_SZ,
                             nullptr, raw, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(Narrow(raw), "gw.example\na%20b%0A=%2541\n%00%FF\n%E4%B8%AD\n\n");
    EXPECT_FALSE(preferences.GetBool("Silenced"));
    ASSERT_TRUE(preferences.SetBool("Silenced", true, &err)) << err;
    EXPECT_TRUE(preferences.GetBool("Silenced"));
    ASSERT_TRUE(preferences.Remove("Silenced", &err)) << err;
    EXPECT_FALSE(preferences.GetBool("Silenced"));
    EXPECT_NE(::RegGetValueW(HKEY_CURRENT_USER, Wide(subkey).c_str(), L"Silenced", RRF_RT_ANY,
                             nullptr, nullptr, nullptr),
              ERROR_SUCCESS);

    // Longer than the limit: read as nothing, changed whole.
    const std::wstring longer(65, L'x');
    ::RegSetKeyValueW(HKEY_CURRENT_USER, Wide(subkey).c_str(), L"Trusted", REG_SZ, longer.c_str(),
                      static_cast<DWORD>((longer.size() + 1) * sizeof(wchar_t)));
    EXPECT_TRUE(preferences.GetList("Trusted").empty());
    std::vector<std::string> seen;
    ASSERT_TRUE(preferences.UpdateList(
        "Trusted", [&](auto old) { return seen = old, std::vector<std::string>{"y"}; }, &err));
    EXPECT_EQ(seen, std::vector<std::string>{std::string(65, 'x')});
    EXPECT_EQ(preferences.GetList("Trusted"), std::vector<std::string>{"y"});
    // Nor is one that is not text, a lone surrogate in it.
    const wchar_t lone[] = {L'a', 0xD800, 0};
    ::RegSetKeyValueW(HKEY_CURRENT_USER, Wide(subkey).c_str(), L"Trusted", REG_SZ, lone,
                      sizeof lone);
    EXPECT_FALSE(preferences.UpdateList(
        "Trusted", [](auto) { return std::vector<std::string>{}; }, &err));
    EXPECT_EQ(err, "HKEY_CURRENT_USER\\" + subkey +
                       "\\Trusted: cannot be read: not text: it holds a lone UTF-16 surrogate");
    // A value of another type is never written over.
    const DWORD number = 1;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, Wide(subkey).c_str(), L"Trusted", REG_DWORD, &number,
                      sizeof number);
    EXPECT_FALSE(preferences.UpdateList(
        "Trusted", [](auto) { return std::vector<std::string>{}; }, &err));
    EXPECT_EQ(err.find("HKEY_CURRENT_USER\\" + subkey + "\\Trusted: cannot be read: "), 0u) << err;
    EXPECT_EQ(::RegDeleteTreeW(HKEY_CURRENT_USER, Wide(subkey).c_str()), ERROR_SUCCESS);
}

TEST(WindowsPorts, PrivateFilesAndFoldersHaveOneEntryForThisUserAndAreReplacedWhole) {
    const Scratch scratch;
    WindowsFileSystem files;
    std::string err;
    const std::string folder = scratch.path + "/data/torvale", file = folder + "/a.rdp";
    ASSERT_TRUE(files.CreateDirectory(folder, 0700, &err)) << err;
    ASSERT_TRUE(files.WriteFile(file, "old", 0600, &err)) << err;
    ASSERT_TRUE(files.WriteFile(file, std::string(70000, 'n'), 0600, &err)) << err;
    for (const std::string& path : {scratch.path + "/data", folder, file}) {
        AccessList list;
        bool present = false;
        ASSERT_TRUE(files.ReadAccess(path, &list, &present, &err)) << path << ": " << err;
        ASSERT_EQ(list.entries.size(), kWine ? 2u : 1u) << path;
        const AccessEntry& entry = list.entries.back();
        EXPECT_EQ(entry.sid, ThisUser());
        EXPECT_EQ(entry.rights, static_cast<std::uint32_t>(FILE_ALL_ACCESS));
        EXPECT_TRUE(entry.allows && !entry.inheritOnly);
        EXPECT_TRUE(!kWine || list.entries[0].sid == "S-1-5-18");
        EXPECT_EQ(files.Inspect(path)->mode, path == file ? 0600u : 0700u) << path;
    }
    // Where Wine's lists come from modes, one not private lets everyone read.
    ASSERT_TRUE(files.CreateEmptyFile(scratch.path + "/open", 0644, &err)) << err;
    EXPECT_TRUE(!kWine || files.Inspect(scratch.path + "/open")->mode == 0644u);
    EXPECT_EQ(files.ReadFile(file, 70000, &err), std::string(70000, 'n'));
    EXPECT_FALSE(files.ReadFile(file, 69999, &err));
    EXPECT_EQ(err, "larger than 69999 bytes");
    EXPECT_EQ(files.ReadFile(folder + "/none", 10, &err), "");
    EXPECT_FALSE(files.ReadFile(folder, 10, &err));
    EXPECT_FALSE(files.CreateEmptyFile(file, 0644, &err));
    EXPECT_EQ(files.ReadFile(file, 70000, &err)->size(), 70000u);

    // What writers that ended left goes; what a running one writes stays.
    const std::string ended = folder + "/.torvale-999999-abcdef";
    const std::string running = folder + "/.torvale-" + kPid + "-abcdef";
    ASSERT_TRUE(files.CreateEmptyFile(ended, 0600, &err) &&
                files.CreateEmptyFile(running, 0600, &err));
    ASSERT_TRUE(files.RemoveLeftovers(folder, {}, &err)) << err;
    EXPECT_EQ(files.List(folder, &err),
              (std::vector<std::string>{".torvale-" + kPid + "-abcdef", "a.rdp"}));
}

TEST(WindowsPorts, TheAdministratorsFileCountsOnlyWhereNoOneElseMayChangeIt) {
    const Scratch scratch;
    WindowsFileSystem files;
    std::string err;
    const std::string folder = scratch.path + "/Torvale", path = folder + "/configuration.ini";
    ASSERT_TRUE(files.CreateDirectory(folder, 0755, &err)) << err;
    bool present = true;
    FileFault fault;
    EXPECT_TRUE(TrustSystemFile(files, path, &present, &fault));
    EXPECT_FALSE(present);
    ASSERT_TRUE(files.WriteFile(path, "[gateways]\n", 0644, &err)) << err;
    const std::string safe = "(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";
    ASSERT_EQ(SetSecurity(folder, "O:BAD:P" + safe), 0u);
    ASSERT_EQ(SetSecurity(path, "O:SYD:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;FR;;;BU)"), 0u);
    // Under Wine the owner stays this user, whatever it is given.
    EXPECT_EQ(TrustSystemFile(files, path, &present, &fault), !kWine) << fault.why;
    EXPECT_TRUE(present);
    const std::string only =
        ": only a folder of the administrators' that no one else may change counts";
    const std::string shown = "\"" + scratch.path + "\\Torvale\"";
    if (kWine) {
        const std::string user = ThisUser();
        EXPECT_EQ(fault.why, "its folder " + folder + " is owned by " + user + ", changeable by " +
                                 user + only);
        EXPECT_EQ(fault.fix.find("icacls " + shown + " /setowner *S-1-5-32-544 && icacls "), 0u);
    } else {
        ASSERT_EQ(SetSecurity(path, "O:SYD:P(A;;FA;;;BA)(A;;FR;;;BU)(A;;0x100116;;;BU)"), 0u);
        EXPECT_FALSE(TrustSystemFile(files, path, &present, &fault));
        EXPECT_NE(fault.why.find(" is changeable by Users (S-1-5-32-545): "), std::string::npos);
    }
    // No list at all: Wine makes the folder everyone's to write.
    ASSERT_EQ(SetSecurity(folder, "O:BAD:P", true), 0u);
    EXPECT_FALSE(TrustSystemFile(files, path, &present, &fault));
    EXPECT_NE(fault.why.find(kWine ? "Everyone (S-1-1-0): only" : "without an access-control list"),
              std::string::npos)
        << fault.why;
    EXPECT_NE(fault.fix.find(" && icacls " + shown + " /grant:r *S-1-5-32-544:(OI)(CI)F "),
              std::string::npos)
        << fault.fix;
}

TEST(WindowsPorts, AppPathsOfTheUserThenOfTheMachineAndOnlyAProgramThatIsThere) {
    const Scratch scratch;
    WindowsFileSystem files;
    const std::string exe = "torvale-test-" + kPid + ".exe";
    const std::string key = std::string(kAppPathsKey) + "\\" + exe;
    const std::string user = scratch.path + "\\user\\" + exe;
    const std::string machine = scratch.path + "\\machine\\" + exe;
    std::string err;
    for (const std::string& path : {user, machine}) {
        ASSERT_TRUE(files.CreateDirectory(path.substr(0, path.rfind('\\')), 0755, &err)) << err;
        ASSERT_TRUE(files.WriteFile(path, "MZ", 0644, &err)) << err;
    }
    const auto set = [&](HKEY root, const std::string& value) {
        const std::wstring text = Wide(value);
        return ::RegSetKeyValueW(root, Wide(key).c_str(), nullptr, REG_SZ, text.c_str(),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    };
    ASSERT_EQ(set(HKEY_CURRENT_USER, "\"" + user + "\""), ERROR_SUCCESS);
    ASSERT_EQ(set(HKEY_LOCAL_MACHINE, machine), ERROR_SUCCESS);
    EXPECT_EQ(RegisteredProgram(exe), user);
    // A key whose program is gone is passed by.
    ASSERT_TRUE(::DeleteFileW(Wide(user).c_str()));
    EXPECT_EQ(RegisteredProgram(exe), machine);
    ASSERT_TRUE(::DeleteFileW(Wide(machine).c_str()));
    EXPECT_EQ(RegisteredProgram(exe), user);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Wide(key).c_str());
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, Wide(key).c_str());
    EXPECT_EQ(RegisteredProgram(exe), "");
    EXPECT_EQ(RegisteredProgram("..\\" + exe), "");
    ::SetEnvironmentVariableW(L"TORVALE_TEST", L"C:\\\u4e2d");
    EXPECT_EQ(ExpandedPath("%TORVALE_TEST%\\PuTTY\\putty.exe"),
              "C:\\\xE4\xB8\xAD\\PuTTY\\putty.exe");
    EXPECT_EQ(ExpandedPath("%NOT_SET_%\\a"), "%NOT_SET_%\\a");
}

// Finish, not the limit (an hour), removes them: a file replaced meanwhile
// is another file, and is left.
TEST(WindowsPorts, PasswordFilesGoAtFinishButNotOneReplacedMeanwhile) {
    const Scratch scratch;
    WindowsFileSystem files;
    WindowsBackgroundTasks tasks;
    const std::string read = scratch.path + "\\a.pw", replaced = scratch.path + "\\b.pw";
    std::string err;
    ASSERT_TRUE(files.CreateDirectory(scratch.path, 0700, &err)) << err;
    for (const std::string& path : {read, replaced}) {
        ASSERT_TRUE(files.WriteFile(path, "pw", 0600, &err)) << err;
        ASSERT_TRUE(tasks.RemoveOnceRead(path, std::chrono::hours(1), &err)) << err;
    }
    // Moved aside, not deleted: Wine's file index is the inode, which a new
    // file may be given again once the old one is gone.
    ASSERT_TRUE(::MoveFileW(Wide(replaced).c_str(), Wide(replaced + ".old").c_str()));
    ASSERT_TRUE(files.WriteFile(replaced, "mine", 0600, &err)) << err;
    EXPECT_FALSE(tasks.RemoveOnceRead(scratch.path + "\\none.pw", std::chrono::hours(1), &err));
    EXPECT_NE(err.find("(2)"), std::string::npos) << err;  // ERROR_FILE_NOT_FOUND
    tasks.Finish();
    EXPECT_FALSE(files.Exists(read));
    EXPECT_EQ(files.ReadFile(replaced, 16, &err), "mine");
    EXPECT_FALSE(tasks.ServeHandover({}, &err));
    EXPECT_EQ(err, "no askpass helper on Windows: no client there takes a password that way");
}

// A console client (cmd.exe, held suspended: it reads nothing) keeps
// the file its argv names until it ends, then it goes at once; one it is not
// given, and one handed over after it started, wait for Finish.
TEST(WindowsPorts, PasswordFileGoesAsItsClientEnds) {
    const Scratch scratch;
    WindowsFileSystem files;
    WindowsBackgroundTasks tasks;
    const std::string named = scratch.path + "\\a.pw", other = scratch.path + "\\b.pw",
                      later = scratch.path + "\\c.pw";
    const auto hour = std::chrono::hours(1);
    std::string err;
    ASSERT_TRUE(files.CreateDirectory(scratch.path, 0700, &err)) << err;
    for (const std::string& path : {named, other, later})
        ASSERT_TRUE(files.WriteFile(path, "pw", 0600, &err)) << err;
    ASSERT_TRUE(tasks.RemoveOnceRead(named, hour, &err) && tasks.RemoveOnceRead(other, hour, &err));
    std::wstring line = L"cmd.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                                 CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                                 &process));
    // A console program, so only its end counts. A file it is given but
    // not as a password file (mstsc's .rdp file) waits for Finish.
    EXPECT_TRUE(tasks.ClientStarted(process.hProcess, {"x", "/password=" + named, other}, &err))
        << err;
    EXPECT_TRUE(tasks.RemoveOnceRead(later, hour, &err)) << err;
    EXPECT_TRUE(files.Exists(named));
    ::TerminateProcess(process.hProcess, 0);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    for (int tries = 0; files.Exists(named) && tries < 300; ++tries)
        ::Sleep(100);
    EXPECT_FALSE(files.Exists(named));
    EXPECT_TRUE(files.Exists(other) && files.Exists(later));
    tasks.Finish();
    EXPECT_FALSE(files.Exists(other) || files.Exists(later));
    wchar_t folder[MAX_PATH];
    const std::wstring system(folder, ::GetSystemDirectoryW(folder, MAX_PATH));
    EXPECT_FALSE(IsGuiImage(system + L"\\cmd.exe"));
    EXPECT_TRUE(IsGuiImage(system + L"\\notepad.exe"));
    EXPECT_FALSE(IsGuiImage(Wide(named)));
}

}  // namespace
}  // namespace torvale::test
