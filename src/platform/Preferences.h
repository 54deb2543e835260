#pragma once

#include <string>

namespace torvale {

// Per-user booleans that outlive the process.
class Preferences {
  public:
    virtual ~Preferences() = default;

    // False when the key was never stored.
    virtual bool GetBool(const std::string& key) = 0;
    virtual void SetBool(const std::string& key, bool value) = 0;
    // Forgets the key, as if it had never been stored.
    virtual void Remove(const std::string& key) = 0;
};

}  // namespace torvale
