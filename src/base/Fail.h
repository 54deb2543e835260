#pragma once

#include <string>
#include <utility>

namespace torvale {

// The one way an operation that fails says why: `why` into `err`, where the
// caller asked for it (a null `err` asks for no reason). Answers false.
inline bool Fail(std::string* err, std::string why) {
    if (err != nullptr) *err = std::move(why);
    return false;
}

}  // namespace torvale
