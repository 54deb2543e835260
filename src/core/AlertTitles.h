#pragma once

#include <string>

namespace torvale::titles {

// Missing client, placeholder action, failed file operation, refused launch.
inline const std::string kSorry = "抱歉";
// Unrecognised action.
inline const std::string kError = "错误";
// The decoded launch URL, or a command line before it runs.
inline const std::string kDebug = "调试";

}  // namespace torvale::titles
