#include "platform/windows/RegistryPreferences.h"

#include <algorithm>
#include <functional>
#include <limits>

#include "base/Text.h"
#include "platform/windows/AccessControl.h"
#include "platform/windows/WideText.h"
#include "platform/windows/Win32.h"

namespace torvale {
namespace {

// A list as the value holds it, and back.
std::string Joined(const std::vector<std::string>& values) {
    std::string text;
    for (const std::string& value : values)
        text += EntryEncoded(value) + "\n";
    return text;
}

std::vector<std::string> Parted(const std::string& text) {
    std::vector<std::string> values;
    const auto pieces = Split(text, '\n');
    // The line feed that closes the last entry begins no other.
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i + 1 < pieces.size() || !pieces[i].empty())
            values.push_back(EntryDecoded(Trim(pieces[i])));
    }
    return values;
}

// A change waits this long for another process's to end: they take
// milliseconds, and one that hangs must not hang this one too.
constexpr DWORD kLockWait = 10'000;

}  // namespace

std::optional<std::string> RegistryPreferences::Read(const std::string& key, std::size_t limit,
                                                     std::string* err) {
    const std::wstring subkey = Wide(subkey_);
    const std::wstring name = Wide(key);
    if (subkey.empty() || name.empty()) {
        if (err != nullptr) *err = "the key's name is empty or not UTF-8";
        return std::nullopt;
    }
    std::wstring value;
    DWORD size = 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
        LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(),
                                        RRF_RT_REG_SZ, nullptr, nullptr, &size);
        if (status == ERROR_FILE_NOT_FOUND) return std::string();
        // The text, in UTF-16, and the NUL that closes it: each character of
        // ours is one byte in UTF-8.
        const std::size_t characters = size / sizeof(wchar_t);
        if (status == ERROR_SUCCESS && characters > 0 && characters - 1 > limit) {
            if (err != nullptr) *err = "longer than " + std::to_string(limit) + " bytes";
            return std::nullopt;
        }
        value.assign(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        if (status == ERROR_SUCCESS)
            status = ::RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), RRF_RT_REG_SZ,
                                    nullptr, value.data(), &size);
        if (status == ERROR_MORE_DATA) continue;  // it grew meanwhile
        if (status == ERROR_FILE_NOT_FOUND) return std::string();
        if (status != ERROR_SUCCESS) {
            FailWith(err, static_cast<unsigned long>(status));
            return std::nullopt;
        }
        value.resize(wcsnlen(value.c_str(), size / sizeof(wchar_t)));
        std::string text = Narrow(value);
        if (text.empty() && !value.empty()) {
            if (err != nullptr) *err = "not text: it holds a lone UTF-16 surrogate";
            return std::nullopt;
        }
        if (text.size() > limit) {
            if (err != nullptr) *err = "longer than " + std::to_string(limit) + " bytes";
            return std::nullopt;
        }
        return text;
    }
    FailWith(err, ERROR_MORE_DATA);
    return std::nullopt;
}

bool RegistryPreferences::GetBool(const std::string& key) {
    return Read(key, limit_, nullptr) == "true";
}

bool RegistryPreferences::SetBool(const std::string& key, bool value, std::string* err) {
    return Change(
        key, [&](const std::string&) { return value ? "true" : "false"; }, err);
}

std::vector<std::string> RegistryPreferences::GetList(const std::string& key) {
    return Parted(Read(key, limit_, nullptr).value_or(std::string()));
}

bool RegistryPreferences::UpdateList(const std::string& key, const ListChange& change,
                                     std::string* err) {
    return Change(
        key, [&](const std::string& old) { return Joined(change(Parted(old))); }, err);
}

bool RegistryPreferences::Remove(const std::string& key, std::string* err) {
    return Change(
        key, [](const std::string&) { return std::string(); }, err);
}

bool RegistryPreferences::Change(
    const std::string& key,
    const std::function<std::optional<std::string>(const std::string&)>& change, std::string* err) {
    auto fail = [&](const std::string& why) {
        if (err != nullptr) *err = Place() + "\\" + key + ": " + why;
        return false;
    };
    // Read, change and write under a lock: two processes answering "always"
    // at once would each write what they read, and one answer would be
    // lost. The mutex is this session's, named after the user and the key.
    std::vector<unsigned char> sid = CurrentUserSid(nullptr);
    std::string user = sid.empty() ? std::string() : SidText(sid.data());
    std::string lockName = "Torvale-" + user + "-" + subkey_;
    std::replace(lockName.begin(), lockName.end(), '\\', '-');
    lockName = "Local\\" + lockName;
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, Wide(lockName).c_str());
    if (mutex == nullptr) return fail("cannot be locked: " + SystemMessage(::GetLastError()));
    const DWORD waited = ::WaitForSingleObject(mutex, kLockWait);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        ::CloseHandle(mutex);
        return fail(waited == WAIT_TIMEOUT
                        ? "cannot be locked: another change did not end"
                        : "cannot be locked: " + SystemMessage(::GetLastError()));
    }
    std::string why;
    bool kept = false;
    // One that cannot be read stays as it is: a change of what could not be
    // read would lose what it holds.
    if (const auto old = Read(key, std::numeric_limits<std::size_t>::max(), &why); !old) {
        why = "cannot be read: " + why;
    } else if (const auto text = change(*old); !text || text->empty()) {
        const LSTATUS status =
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, Wide(subkey_).c_str(), Wide(key).c_str());
        kept = status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
        if (!kept) why = "cannot be removed: " + SystemMessage(static_cast<unsigned long>(status));
    } else {
        const std::wstring value = Wide(*text);
        const LSTATUS status = ::RegSetKeyValueW(
            HKEY_CURRENT_USER, Wide(subkey_).c_str(), Wide(key).c_str(), REG_SZ, value.c_str(),
            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        kept = status == ERROR_SUCCESS;
        if (!kept) why = "cannot be written: " + SystemMessage(static_cast<unsigned long>(status));
    }
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
    return kept || fail(why);
}

}  // namespace torvale
