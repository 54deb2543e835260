#pragma once

// What one launch will do, as plain data: made by a launcher from the
// request, carried out by the executor, printed by the dry run. Nothing in
// it has happened yet.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/plan/Handover.h"
#include "core/plan/Outcome.h"

namespace torvale {

// How a piece of a command-line word is written in the /bin/sh line.
enum class Quoting {
    Literal,       // fixed text of this application, as it is
    Value,         // a value: runs of them quoted together by ShellQuote
    Program,       // a client's path, as ProgramWord writes it
    DoubleQuoted,  // a value in a double-quoted place of a fixed format
};

struct Piece {
    std::string text;
    Quoting quoting = Quoting::Value;
    bool secret = false;  // from a secret launch parameter
};

// One argument of the client: its pieces, written together as one word.
using Word = std::vector<Piece>;

// The command line a launch runs, word by word. The line that /bin/sh -c is
// given, and the argv the shell makes of it, both come from these words.
struct Command {
    std::vector<Word> words;
    // Whether the debug alert shows the line before it runs: the remote
    // desktop lines never had it.
    bool debugShown = true;
    // Its client asks about a server's certificate on its terminal.
    bool asksOnTerminal = false;

    // Appends fixed words of this application, blanks between them.
    void Literal(std::string_view words);
    // Appends one word made of one value.
    void Value(std::string_view value, bool secret = false);
};

// The exact line: words one blank apart, every value quoted, an empty word
// written ''. Masked, for showing only, each secret piece stands as kMask
// where the line writes it, in a run of values quoted as the mask needs.
std::string LineOf(const Command& command, bool masked = false);
// The words the shell makes of that line: the client's argv; masked as the
// line is.
std::vector<std::string> ArgvOf(const Command& command, bool masked = false);

// What a launch shares with the host it connects to, as its client applies
// an .rdp file's "redirectclipboard" and "drivestoredirect".
struct Shares {
    bool clipboard = false;
    // The drives named by what they share: all of them, the home folder,
    // those plugged in later...
    bool allDrives = false, homeDrive = false, laterDrives = false;
    // ...and the paths, each in the form the file system resolves.
    std::vector<std::string> paths;
    std::string home;  // the user's home folder in that form, for naming it in words

    bool Drives() const { return allDrives || homeDrive || laterDrives || !paths.empty(); }
};

// Where a launch connects, and as whom, as its client will read it.
struct Destination {
    std::string host;     // as the allow-list and the trusted hosts name it
    std::string address;  // the host with the port the launch carries, if any
    std::string client;   // the name the question gives it: "FreeRDP", "OpenSSH (xterm)"
    std::string login;
    std::optional<Shares> shares;
};

// A connection file the launch writes before its command runs.
struct FileToWrite {
    std::string path;
    std::string text;
    // The text with the secrets it holds masked where they stand, for showing.
    std::string shown;
    unsigned mode = 0600;
    // The alert when it cannot be written.
    std::string failureAlert;
    // Whether the command opens this file: then nothing runs without it.
    bool neededByCommand = true;
    // A file with a password in it is removed once its client has read it
    // (or a minute on), and at the latest at the next start.
    bool removedOnceRead = false;
};

// The alert shown instead of a launch that does not go ahead.
struct Refusal {
    Outcome outcome;
    std::string title;
    std::string message;
    std::string detail;  // for the history: the unsafe key, ...
};

struct Plan {
    std::string_view action;  // the action name, empty for an unknown one
    // The launch URL, its secrets masked, which the debug alert shows first,
    // when it asks for it (debug=1).
    std::optional<std::string> debugUrl;
    std::string client;  // the program or bundle looked for or found
    std::string clientReason;
    std::optional<Refusal> refusal;  // then nothing below is carried out
    std::optional<Destination> destination;
    std::vector<FileToWrite> files;
    // How the files' paths separate their folders ('\\' on Windows): the
    // history names a file by what follows the last separator.
    char separator = '/';
    // The password the command's client asks its askpass helper for: offered
    // just before the command runs.
    std::optional<Handover> handover;
    // Why a password the link entrusts is to be typed instead, where the
    // client cannot be handed it; the launch goes on.
    std::string passwordToType;
    std::optional<Command> command;
};

}  // namespace torvale
