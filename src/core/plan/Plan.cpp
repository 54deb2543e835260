#include "core/plan/Plan.h"

#include "base/Masking.h"
#include "base/ShellQuote.h"

namespace torvale {
namespace {

// Visits the word's pieces as the line writes them: each run of adjacent
// values together (one ShellQuote), every other piece alone.
template <typename Visit>
void ForEachRun(const Word& word, Visit visit) {
    for (std::size_t i = 0; i < word.size();) {
        std::size_t end = i + 1;
        if (word[i].quoting == Quoting::Value) {
            while (end < word.size() && word[end].quoting == Quoting::Value)
                ++end;
        }
        visit(i, end);
        i = end;
    }
}

std::string RunText(const Word& word, std::size_t begin, std::size_t end) {
    std::string text;
    for (std::size_t i = begin; i < end; ++i)
        text += word[i].text;
    return text;
}

std::string Written(const Piece& piece, const std::string& runText) {
    switch (piece.quoting) {
        case Quoting::Literal:
            return piece.text;
        case Quoting::Value:
            return ShellQuote(runText);
        case Quoting::Program:
            return ProgramWord(piece.text);
        case Quoting::DoubleQuoted:
            return DoubleQuoted(piece.text);
    }
    return {};
}

}  // namespace

void Command::Literal(std::string_view text) {
    while (!text.empty()) {
        const std::size_t blank = text.find(' ');
        if (blank != 0) words.push_back({{std::string(text.substr(0, blank)), Quoting::Literal}});
        text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
    }
}

void Command::Value(std::string_view value, bool secret) {
    words.push_back({{std::string(value), Quoting::Value, secret}});
}

std::string LineOf(const Command& command, bool masked) {
    std::string line;
    for (const Word& word : command.words) {
        std::string written;
        ForEachRun(word, [&](std::size_t begin, std::size_t end) {
            const std::string run = RunText(word, begin, end);
            // Masked, each secret piece stands as the mask, and a run of
            // values that holds one is quoted as the mask needs, whatever
            // the secret holds, so the quotes tell nothing.
            std::string shown;
            bool holdsSecret = false;
            for (std::size_t i = begin; i < end; ++i) {
                const bool secret = masked && word[i].secret && !word[i].text.empty();
                shown += secret ? std::string(kMask) : word[i].text;
                holdsSecret = holdsSecret || secret;
            }
            if (!holdsSecret)
                written += Written(word[begin], run);
            else
                written += end - begin == 1 ? shown : ShellQuote(shown);
        });
        // An option must never lose its argument to an empty value.
        if (written.empty()) written = "''";
        line += (line.empty() ? "" : " ") + written;
    }
    return line;
}

std::vector<std::string> ArgvOf(const Command& command, bool masked) {
    std::vector<std::string> argv;
    for (const Word& word : command.words) {
        std::string text;
        for (const Piece& piece : word)
            text += masked && piece.secret && !piece.text.empty() ? kMask : piece.text;
        argv.push_back(std::move(text));
    }
    return argv;
}

}  // namespace torvale
