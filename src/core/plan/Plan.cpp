#include "core/plan/Plan.h"

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

std::string LineOf(const Command& command) {
    std::string line;
    for (const Word& word : command.words) {
        std::string written;
        ForEachRun(word, [&](std::size_t begin, std::size_t end) {
            written += Written(word[begin], RunText(word, begin, end));
        });
        // An option must never lose its argument to an empty value.
        if (written.empty()) written = "''";
        line += (line.empty() ? "" : " ") + written;
    }
    return line;
}

std::vector<std::string> ArgvOf(const Command& command) {
    std::vector<std::string> argv;
    for (const Word& word : command.words)
        argv.push_back(RunText(word, 0, word.size()));
    return argv;
}

std::vector<std::string> SecretForms(const Plan& plan) {
    std::vector<std::string> forms;
    for (const FileToWrite& file : plan.files)
        forms.insert(forms.end(), file.secrets.begin(), file.secrets.end());
    if (plan.handover && !plan.handover->secret.empty()) forms.push_back(plan.handover->secret);
    if (!plan.command) return forms;
    for (const Word& word : plan.command->words) {
        ForEachRun(word, [&](std::size_t begin, std::size_t end) {
            const std::string run = RunText(word, begin, end);
            std::size_t offset = 0;
            for (std::size_t i = begin; i < end; offset += word[i].text.size(), ++i) {
                const Piece& piece = word[i];
                if (!piece.secret || piece.text.empty()) continue;
                forms.push_back(piece.text);
                forms.push_back(end - begin == 1
                                    ? Written(piece, run)
                                    : ShellQuotedPart(run, offset, offset + piece.text.size()));
            }
        });
    }
    return forms;
}

}  // namespace torvale
