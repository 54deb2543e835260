#import "platform/macos/CocoaPorts.h"

#import <AppKit/AppKit.h>

#include "base/Printable.h"

namespace torvale {

NSString* _Nonnull ToNSString(std::string_view text) {
    NSString* _Nullable string = [[NSString alloc] initWithBytes:text.data()
                                                          length:text.size()
                                                        encoding:NSUTF8StringEncoding];
    return string ?: @"";
}

std::string FromNSString(NSString* _Nullable string) {
    // The bytes, not UTF8String: a NUL inside must not cut the text short.
    NSData* _Nullable bytes = [string dataUsingEncoding:NSUTF8StringEncoding];
    return bytes ? std::string(static_cast<const char*>(bytes.bytes), bytes.length) : std::string();
}

bool TVAlertPanel::Run(const std::string& title, const std::string& message) {
    NSAlert* alert = [[NSAlert alloc] init];
    // Bounded and escaped: a launch URL must not make an alert that takes
    // seconds to lay out, or text that reads as other text.
    alert.messageText = ToNSString(ForDialog(title));
    alert.informativeText = ToNSString(ForDialog(message));
    alert.showsSuppressionButton = YES;
    // AppKit's own title reads as "this message" alone; one tick silences
    // every later alert, and the window's button brings them back. "Show no
    // alert any more (bring them back in the Torvale window)".
    alert.suppressionButton.title = @"不再显示任何提醒（可在 Torvale 窗口中恢复）";
    [alert runModal];
    return alert.suppressionButton.state == NSControlStateValueOn;
}

Answer TVAlertPanel::Ask(const Question& question) {
    NSAlert* alert = [[NSAlert alloc] init];
    alert.alertStyle = NSAlertStyleWarning;
    alert.messageText = ToNSString(ForDialog(question.title));
    alert.informativeText = ToNSString(ForDialog(question.message));
    // The first button is the default one (Return), so Cancel comes first;
    // Connect gets no key at all: nothing typed by habit connects.
    NSButton* cancel = [alert addButtonWithTitle:ToNSString(question.cancel)];
    NSButton* connect = [alert addButtonWithTitle:ToNSString(question.connect)];
    connect.keyEquivalent = @"";
    // No box for a question that offers no trust from now on (an unsigned link).
    alert.showsSuppressionButton = !question.always.empty();
    alert.suppressionButton.title = ToNSString(question.always);
    // AppKit gives Escape only to a button titled "Cancel" in English.
    id escape = [NSEvent addLocalMonitorForEventsMatchingMask:NSEventMaskKeyDown
                                                      handler:^NSEvent*(NSEvent* event) {
                                                        if (event.keyCode != 53) return event;
                                                        [cancel performClick:nil];
                                                        return nil;
                                                      }];
    const NSModalResponse response = [alert runModal];
    // Nil where AppKit could not add the monitor: nothing to remove then.
    if (escape != nil) [NSEvent removeMonitor:escape];
    if (response != NSAlertSecondButtonReturn) return Answer::Cancel;
    return alert.suppressionButton.state == NSControlStateValueOn ? Answer::ConnectAlways
                                                                  : Answer::Connect;
}

bool TVUserDefaults::GetBool(const std::string& key) {
    return [NSUserDefaults.standardUserDefaults boolForKey:ToNSString(key)];
}

bool TVUserDefaults::SetBool(const std::string& key, bool value, std::string* _Nullable) {
    [NSUserDefaults.standardUserDefaults setBool:value forKey:ToNSString(key)];
    return true;
}

std::vector<std::string> TVUserDefaults::GetList(const std::string& key) {
    std::vector<std::string> values;
    for (id value in [NSUserDefaults.standardUserDefaults arrayForKey:ToNSString(key)]) {
        // `defaults write` may have put anything there.
        if ([value isKindOfClass:NSString.class]) values.push_back(FromNSString(value));
    }
    return values;
}

bool TVUserDefaults::UpdateList(const std::string& key, const ListChange& change,
                                std::string* _Nullable) {
    const std::vector<std::string> values = change(GetList(key));
    NSMutableArray<NSString*>* array = [NSMutableArray arrayWithCapacity:values.size()];
    for (const std::string& value : values)
        [array addObject:ToNSString(value)];
    [NSUserDefaults.standardUserDefaults setObject:array forKey:ToNSString(key)];
    return true;
}

bool TVUserDefaults::Remove(const std::string& key, std::string* _Nullable) {
    [NSUserDefaults.standardUserDefaults removeObjectForKey:ToNSString(key)];
    return true;
}

std::string UsedLinksPath() {
    return std::string(NSHomeDirectory().fileSystemRepresentation) +
           "/Library/Application Support/Torvale/used-links";
}

HandlerFacts TVSystemFacts::Handler() {
    HandlerFacts facts;
    facts.howToRegister = "move Torvale to /Applications and open it once";
    NSURL* _Nullable link = [NSURL URLWithString:@"torvale://&action=StartPutty&"];
    NSURL* _Nullable application =
        link != nil ? [NSWorkspace.sharedWorkspace URLForApplicationToOpenURL:link] : nil;
    if (application != nil) {
        facts.entry = FromNSString(application.lastPathComponent);
        facts.program = application.fileSystemRepresentation;
    }
    return facts;
}

std::string TVSystemFacts::ExpectedHandler() {
    return NSBundle.mainBundle.bundleURL.fileSystemRepresentation;
}

void TVSystemLog::Write(const std::string& line) {
    NSLog(@"%@", ToNSString(line));
}

}  // namespace torvale
