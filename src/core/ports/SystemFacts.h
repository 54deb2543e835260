#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace torvale {

// Which program the system hands torvale:// links to.
struct HandlerFacts {
    std::string entry;          // the desktop entry or application; empty: none
    std::string program;        // the program it runs; empty when it names none
    std::string howToRegister;  // the command or step that makes this one the handler
    std::string unknown;        // why the system could not say: a helper failed or hung
    // Why the entry gets no link to the program where it gets none (Windows:
    // arguments other than `--url "%1"`, no "URL Protocol"); empty: none.
    std::string misuse;
    // Where Torvale's own desktop entry is missing, no registration can
    // name it: how to put it back.
    std::string howToRestore;
};

// What only the system can say about how Torvale is set up, for the checks
// of `--doctor` and the macOS window. The core judges; this only tells.
class SystemFacts {
  public:
    virtual ~SystemFacts() = default;

    virtual HandlerFacts Handler() = 0;
    // The program that should be the handler: this one, or the desktop
    // handler installed beside it.
    virtual std::string ExpectedHandler() = 0;
    // Whether a font with Chinese glyphs is installed: nothing where the
    // question does not arise, or, with `err` saying why, where the system
    // could not say. And whether there is a display to show dialogs on.
    virtual std::optional<bool> ChineseFont(std::string* err) = 0;
    virtual std::optional<bool> Display() = 0;
    // Where the preferences are kept, as a user would look for them, and
    // how the user shows alerts again after "don't show again".
    virtual std::string PreferencesPlace() = 0;
    virtual std::string HowToShowAlerts() = 0;
    // Where the passes are logged (empty: nowhere the doctor can read), and
    // the last `count` of them, oldest first.
    virtual std::string PassLogPlace() = 0;
    virtual std::vector<std::string> LastPasses(std::size_t count) = 0;
    // Where the signed links used already are kept; empty: nowhere.
    virtual std::string UsedLinksPlace() = 0;
};

}  // namespace torvale
