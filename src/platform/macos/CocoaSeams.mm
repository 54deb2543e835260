#import "platform/macos/CocoaSeams.h"

#import <AppKit/AppKit.h>

namespace torvale {

NSString* ToNSString(std::string_view text) {
    NSString* string = [[NSString alloc] initWithBytes:text.data()
                                                length:text.size()
                                              encoding:NSUTF8StringEncoding];
    return string ?: @"";
}

bool TVAlertPanel::Run(const std::string& title, const std::string& message) {
    NSAlert* alert = [[NSAlert alloc] init];
    alert.messageText = ToNSString(title);
    alert.informativeText = ToNSString(message);
    alert.showsSuppressionButton = YES;
    [alert runModal];
    return alert.suppressionButton.state == NSControlStateValueOn;
}

bool TVUserDefaults::GetBool(const std::string& key) {
    return [NSUserDefaults.standardUserDefaults boolForKey:ToNSString(key)];
}

void TVUserDefaults::SetBool(const std::string& key, bool value) {
    [NSUserDefaults.standardUserDefaults setBool:value forKey:ToNSString(key)];
}

void TVUserDefaults::Remove(const std::string& key) {
    [NSUserDefaults.standardUserDefaults removeObjectForKey:ToNSString(key)];
}

void TVSystemLog::Write(const std::string& line) {
    NSLog(@"%@", ToNSString(line));
}

}  // namespace torvale
