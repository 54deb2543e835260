#pragma once

#include "core/ports/IniReader.h"

namespace torvale {

// IniReader on inih (https://github.com/benhoyt/inih), as Debian and Homebrew
// package it: multi-line values, ";" comments after a value, a UTF-8 BOM.
class InihParser final : public IniReader {
  public:
    bool Parse(std::string_view text, const std::function<std::string(const IniEntry&)>& onEntry,
               IniError* err) override;
};

}  // namespace torvale
