// The ports behind the core that Cocoa provides: NSAlert, NSUserDefaults and
// the unified log. File system, shell and INI parser are the shared ones.

#pragma once

#import <Foundation/Foundation.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/ports/AlertPanel.h"
#include "core/ports/Log.h"
#include "core/ports/Preferences.h"
#include "core/ports/SystemFacts.h"

namespace torvale {

// UTF-8 bytes to NSString; text that is not UTF-8 becomes the empty string.
NSString* _Nonnull ToNSString(std::string_view text);
// And back, NUL characters included; nil is the empty string.
std::string FromNSString(NSString* _Nullable string);

class TVAlertPanel final : public AlertPanel {
  public:
    bool Run(const std::string& title, const std::string& message) override;
    Answer Ask(const Question& question) override;
};

class TVUserDefaults final : public Preferences {
  public:
    bool GetBool(const std::string& key) override;
    // The user defaults keep every change: these never fail.
    bool SetBool(const std::string& key, bool value, std::string* _Nullable err) override;
    std::vector<std::string> GetList(const std::string& key) override;
    // Called on the main thread only, so one change at a time.
    bool UpdateList(const std::string& key, const ListChange& change,
                    std::string* _Nullable err) override;
    bool Remove(const std::string& key, std::string* _Nullable err) override;
};

// Where the signed links used already are kept.
std::string UsedLinksPath();

// What LaunchServices says: the application it opens torvale:// links with,
// as this application sees it.
class TVSystemFacts final : public SystemFacts {
  public:
    HandlerFacts Handler() override;
    std::string ExpectedHandler() override;
    // macOS has them.
    std::optional<bool> ChineseFont(std::string* _Nullable) override { return std::nullopt; }
    std::optional<bool> Display() override { return std::nullopt; }
    std::string PreferencesPlace() override { return "the user defaults of dev.torvale.Torvale"; }
    std::string HowToShowAlerts() override {
        return "click Turn Alerts Back On in Torvale's window";
    }
    // The window's history shows the passes.
    std::string PassLogPlace() override { return {}; }
    std::vector<std::string> LastPasses(std::size_t) override { return {}; }
    std::string UsedLinksPlace() override { return UsedLinksPath(); }
};

class TVSystemLog final : public Log {
  public:
    void Write(const std::string& line) override;
    // The window's history shows the passes; the system log keeps them too.
    void Pass(const std::string& line) override { Write(line); }
};

}  // namespace torvale
