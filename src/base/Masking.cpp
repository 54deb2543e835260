#include "base/Masking.h"

#include <algorithm>
#include <utility>

namespace torvale {
namespace {

using Span = std::pair<std::size_t, std::size_t>;  // [first, second)

// Knuth-Morris-Pratt: a plain find from each position is quadratic when the
// text nearly holds the secret everywhere.
void FindAll(std::string_view text, std::string_view secret, std::vector<Span>& found) {
    // border[i]: the length of the longest proper prefix of secret[0, i) that
    // is also its suffix.
    std::vector<std::size_t> border(secret.size() + 1, 0);
    for (std::size_t i = 1, k = 0; i < secret.size(); ++i) {
        while (k > 0 && secret[i] != secret[k])
            k = border[k];
        if (secret[i] == secret[k]) ++k;
        border[i + 1] = k;
    }
    std::size_t matched = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        while (matched > 0 && text[i] != secret[matched])
            matched = border[matched];
        if (text[i] == secret[matched]) ++matched;
        if (matched == secret.size()) {
            found.emplace_back(i + 1 - secret.size(), i + 1);
            matched = 0;
        }
    }
}

}  // namespace

std::string Masked(std::string_view text, const std::vector<std::string>& secrets) {
    // Each secret's places come out in order, so merging them keeps the whole
    // linear where a sort would not. A form given twice (a password that
    // quoting leaves as it is) is looked for once.
    std::vector<Span> found;
    for (auto secret = secrets.begin(); secret != secrets.end(); ++secret) {
        if (secret->empty() || std::find(secrets.begin(), secret, *secret) != secret) continue;
        const auto before = static_cast<std::ptrdiff_t>(found.size());
        FindAll(text, *secret, found);
        std::inplace_merge(found.begin(), found.begin() + before, found.end());
    }
    if (found.empty()) return std::string(text);
    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < found.size();) {
        std::size_t end = found[i].second;
        std::size_t next = i + 1;
        while (next < found.size() && found[next].first < end) {
            end = std::max(end, found[next].second);
            ++next;
        }
        out.append(text.substr(copied, found[i].first - copied));
        out += kMask;
        copied = end;
        i = next;
    }
    out.append(text.substr(copied));
    return out;
}

}  // namespace torvale
