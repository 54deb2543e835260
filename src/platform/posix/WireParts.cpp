#include "platform/posix/WireParts.h"

#include <charconv>

namespace torvale {

void PutPart(std::string& out, std::string_view part) {
    out += std::to_string(part.size());
    out += '\n';
    out += part;
}

std::optional<std::string> TakePart(std::string_view& text) {
    const std::size_t newline = text.find('\n');
    if (newline == std::string_view::npos || newline == 0) return std::nullopt;
    std::size_t size = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + newline, size);
    if (error != std::errc() || end != text.data() + newline || size > text.size() - newline - 1)
        return std::nullopt;
    std::string part(text.substr(newline + 1, size));
    text.remove_prefix(newline + 1 + size);
    return part;
}

std::optional<long long> TakeNumber(std::string_view& text, long long largest) {
    const auto part = TakePart(text);
    long long number = 0;
    if (!part) return std::nullopt;
    const auto [end, error] = std::from_chars(part->data(), part->data() + part->size(), number);
    if (error != std::errc() || end != part->data() + part->size() || number < 0 ||
        number > largest)
        return std::nullopt;
    return number;
}

}  // namespace torvale
