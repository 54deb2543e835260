#pragma once

namespace torvale::titles {

// Missing client, placeholder action, failed file operation, refused launch.
inline constexpr char kSorry[] = "抱歉";
// Unrecognised action.
inline constexpr char kError[] = "错误";
// The decoded launch URL, or a command line before it runs.
inline constexpr char kDebug[] = "调试";

}  // namespace torvale::titles
