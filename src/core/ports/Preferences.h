#pragma once

#include <string>
#include <vector>

namespace torvale {

// Per-user settings that outlive the process: booleans and lists of text.
class Preferences {
  public:
    virtual ~Preferences() = default;

    // False when the key was never stored.
    virtual bool GetBool(const std::string& key) = 0;
    virtual void SetBool(const std::string& key, bool value) = 0;
    // Empty when the key was never stored.
    virtual std::vector<std::string> GetList(const std::string& key) = 0;
    virtual void SetList(const std::string& key, const std::vector<std::string>& values) = 0;
    // Forgets the key, as if it had never been stored.
    virtual void Remove(const std::string& key) = 0;
};

}  // namespace torvale
