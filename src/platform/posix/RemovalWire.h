#pragma once

// What the remover of a connection file reads on its standard input: the
// file, and how long it waits for a client to read it, in the framing of
// WireParts.h.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace torvale {

struct Removal {
    std::string path;
    std::chrono::seconds limit{60};
};

std::string EncodeRemoval(const Removal& removal);
// Nothing for a text that is not one whole removal.
std::optional<Removal> DecodeRemoval(std::string_view text);

}  // namespace torvale
