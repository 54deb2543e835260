#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "core/ports/Preferences.h"

namespace torvale {

// Preferences in the registry, as REG_SZ values of a key under
// HKEY_CURRENT_USER, named after the preference: true is "true", a list is
// its entries each closed by a line feed, each written as FilePreferences
// writes it (EntryEncoded: "%XX" for blanks, controls, "%" and bytes 0x7F
// and above), so that what a launch URL named is kept byte for byte in
// plain ASCII. Each change reads and writes its value holding a mutex of
// this user's and key's, so that no concurrent change is lost; a value that
// cannot be read is never written.
class RegistryPreferences final : public Preferences {
  public:
    // The key of the settings and that of the signed links used already.
    static constexpr const char* kSettingsKey = "Software\\Torvale";
    static constexpr const char* kUsedLinksKey = "Software\\Torvale\\UsedLinks";

    // A value longer than `limit` bytes reads as never stored; a change
    // reads it whole, whatever its length, and writes what the change leaves.
    explicit RegistryPreferences(std::string subkey, std::size_t limit = 1 << 16)
        : subkey_(std::move(subkey)), limit_(limit) {}

    bool GetBool(const std::string& key) override;
    bool SetBool(const std::string& key, bool value, std::string* err) override;
    std::vector<std::string> GetList(const std::string& key) override;
    bool UpdateList(const std::string& key, const ListChange& change, std::string* err) override;
    bool Remove(const std::string& key, std::string* err) override;

    // Where they are, as regedit shows it: "HKEY_CURRENT_USER\Software\Torvale".
    std::string Place() const { return "HKEY_CURRENT_USER\\" + subkey_; }

  private:
    // The value's text, the empty string where there is none; nothing, with
    // `err` saying why, where it cannot be read or is longer than `limit`.
    std::optional<std::string> Read(const std::string& key, std::size_t limit, std::string* err);
    // Under the mutex: the value read whole, `change` made of it, the result
    // written, or the value removed where the result is empty.
    bool Change(const std::string& key,
                const std::function<std::optional<std::string>(const std::string&)>& change,
                std::string* err);

    std::string subkey_;
    std::size_t limit_;
};

}  // namespace torvale
