#pragma once

#include <functional>
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
    // Replaces the list with what `change` makes of it, read and written as
    // one step: a change another process makes meanwhile is never lost.
    using ListChange = std::function<std::vector<std::string>(std::vector<std::string>)>;
    virtual bool UpdateList(const std::string& key, const ListChange& change, std::string* err) = 0;
    // Forgets the key, as if it had never been stored.
    virtual bool Remove(const std::string& key, std::string* err) = 0;
};

}  // namespace torvale
