#import "platform/macos/AppDelegate.h"

#include <memory>
#include <optional>
#include <string>

#include "app/AppDelegate.h"
#import "platform/macos/CocoaSeams.h"
#import "platform/macos/MainWindow.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixShell.h"

@implementation AppDelegate {
    torvale::NSAlertPanel _alerts;
    torvale::UserDefaultsPreferences _preferences;
    torvale::PosixFileSystem _files;
    torvale::PosixShell _shell;
    torvale::NSLogLog _log;
    std::unique_ptr<torvale::AppDelegate> _core;
}

- (instancetype)init {
    if ((self = [super init])) {
        _core = std::make_unique<torvale::AppDelegate>(
            torvale::Platform{_alerts, _preferences, _files, _shell, _log});
    }
    return self;
}

- (void)applicationWillFinishLaunching:(NSNotification*)notification {
    _core->applicationWillFinishLaunching(NSHomeDirectory().fileSystemRepresentation);

    // Registered before launching finishes: the URL that started the
    // application is delivered right after this method returns.
    [NSAppleEventManager.sharedAppleEventManager setEventHandler:self
                                                     andSelector:@selector(handleURLEvent:
                                                                           withReplyEvent:)
                                                   forEventClass:kInternetEventClass
                                                      andEventID:kAEGetURL];

    self.window = TVMakeMainWindow();
    [[[NSWindowController alloc] initWithWindow:self.window] showWindow:nil];
}

- (void)applicationDidFinishLaunching:(NSNotification*)notification {
}

- (void)applicationWillTerminate:(NSNotification*)notification {
}

- (BOOL)applicationShouldTerminateAfterLastWindowClosed:(NSApplication*)sender {
    return NO;  // resident: launch URLs keep coming with no window open
}

- (void)handleURLEvent:(NSAppleEventDescriptor*)event
        withReplyEvent:(NSAppleEventDescriptor*)replyEvent {
    // The bytes, not UTF8String: a NUL inside the URL must not cut it short.
    // A string that is not valid Unicode gives no data and counts as absent.
    NSString* text = [event paramDescriptorForKeyword:keyDirectObject].stringValue;
    NSData* bytes = [text dataUsingEncoding:NSUTF8StringEncoding];
    std::optional<std::string> url;
    if (bytes != nil) {
        url.emplace(static_cast<const char*>(bytes.bytes), bytes.length);
    }
    _core->handleURLEvent(url);
}

@end
