#pragma once

#include <string>
#include <vector>

namespace torvale {

// Per-user settings that outlive the process: booleans and lists of text.
// A change that cannot be kept answers false and says why in `err`.
class Preferences {
  public:
    virtual ~Preferences() = default;

    // False when the key was never stored.
    virtual bool GetBool(const std::string& key) = 0;
    virtual bool SetBool(const std::string& key, bool value, std::string* err) = 0;
    // Empty when the key was never stored.
    virtual std::vector<std::string> GetList(const std::string& key) = 0;
    virtual bool SetList(const std::string& key, const std::vector<std::string>& values,
                         std::string* err) = 0;
    // Forgets the key, as if it had never been stored.
    virtual bool Remove(const std::string& key, std::string* err) = 0;
};

}  // namespace torvale
