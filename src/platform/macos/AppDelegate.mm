#import "platform/macos/AppDelegate.h"

#include <unistd.h>

#include <memory>
#include <optional>
#include <string>

#include "core/Application.h"
#include "core/config/IniTextReader.h"
#include "platform/cli/FilePreferences.h"
#include "platform/crypto/SystemVerifier.h"
#import "platform/macos/CocoaPorts.h"
#import "platform/macos/MainViewController.h"
#include "platform/posix/PosixBackgroundTasks.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixShell.h"
#include "platform/posix/Process.h"

@implementation AppDelegate {
    torvale::TVAlertPanel _alerts;
    torvale::TVUserDefaults _preferences;
    torvale::PosixFileSystem _files;
    torvale::PosixShell _shell;
    torvale::TVSystemLog _log;
    torvale::IniTextReader _ini;
    // This executable serves the password of an SSH link, is ssh's askpass
    // helper and removes connection files once read (main runs those modes
    // before anything of AppKit).
    std::unique_ptr<torvale::PosixBackgroundTasks> _background;
    // The signed links used already: a file under a lock, as on Linux, so
    // that a second copy of the application cannot launch one again.
    std::unique_ptr<torvale::FilePreferences> _usedLinks;
    // Declared after the ports it refers to, so it is destroyed before them.
    std::unique_ptr<torvale::Application> _core;
    // Kept across closing: the Dock icon brings the same window back.
    NSWindow* _window;
    MainViewController* _root;
}

- (instancetype)init {
    if ((self = [super init])) {
        const std::string program = torvale::ThisProgram();
        _background = std::make_unique<torvale::PosixBackgroundTasks>(program);
        _usedLinks = std::make_unique<torvale::FilePreferences>(_files, torvale::UsedLinksPath(),
                                                                torvale::kUsedLinksLimit);
        _core = std::make_unique<torvale::Application>(
            torvale::Platform{_alerts, _preferences, _files, _shell, _log, _ini, *_background,
                              torvale::SystemVerifier(), *_usedLinks});
        // Where an administrator deploys what the user cannot weaken: the
        // gateway's signing keys and the allow-list.
        _core->SetSystemConfiguration("/Library/Application Support/Torvale/configuration.ini");
        _core->SetProcess(program, std::to_string(getpid()));
        _core->SetTemporaryDirectory(torvale::PrivateTemporaryDirectory());
    }
    return self;
}

- (void)applicationWillFinishLaunching:(NSNotification*)notification {
    // Before the start-up alert can run a modal loop: a URL event that comes
    // during it must reach the core, which queues it. The URL that started
    // the application is delivered right after this method returns.
    [NSAppleEventManager.sharedAppleEventManager setEventHandler:self
                                                     andSelector:@selector(handleURLEvent:
                                                                           withReplyEvent:)
                                                   forEventClass:kInternetEventClass
                                                      andEventID:kAEGetURL];
    _core->applicationWillFinishLaunching(NSHomeDirectory().fileSystemRepresentation);

    // No interface file: the window is made here. Its default style (titled,
    // closable, miniaturizable, resizable) is the one we want.
    _root = [[MainViewController alloc] initWithCore:*_core];
    // The window takes its title from its content view controller's.
    _root.title = @"Torvale";
    _window = [NSWindow windowWithContentViewController:_root];
    _window.releasedWhenClosed = NO;  // closing must not free what _window still holds
    _window.identifier = @"main";
    // The frame the user left it at, kept in the user defaults; the window is
    // made here at every start, so there is nothing else to restore.
    _window.restorable = NO;
    if (![_window setFrameUsingName:@"Main"]) [_window center];
    _window.frameAutosaveName = @"Main";
}

- (void)applicationDidFinishLaunching:(NSNotification*)notification {
    // A click on a link starts the application only to handle the link: the
    // window comes up when the user opens Torvale (or from the Dock), not
    // with every cold start.
    NSNumber* byUser = notification.userInfo[NSApplicationLaunchIsDefaultLaunchKey];
    if (byUser == nil || byUser.boolValue) [_window makeKeyAndOrderFront:nil];
}

- (IBAction)showLaunchURLReference:(id)sender {
    NSURL* reference = [NSBundle.mainBundle URLForResource:@"launch-urls" withExtension:@"md"];
    if (reference != nil) [NSWorkspace.sharedWorkspace openURL:reference];
}

- (void)handleURLEvent:(NSAppleEventDescriptor*)event
        withReplyEvent:(NSAppleEventDescriptor*)replyEvent {
    // A string that is not valid Unicode gives no data and counts as absent.
    NSString* text = [event paramDescriptorForKeyword:keyDirectObject].stringValue;
    std::optional<std::string> url;
    if ([text dataUsingEncoding:NSUTF8StringEncoding] != nil) url = torvale::FromNSString(text);
    _core->handleURLEvent(url);
    [_root refresh];
}

- (IBAction)turnAlertsBackOn:(id)sender {
    _core->TurnAlertsBackOn();
    [_root refresh];
}

- (IBAction)forgetTrustedGateways:(id)sender {
    _core->ForgetGateways();
    [_root refresh];
}

- (BOOL)validateMenuItem:(NSMenuItem*)menuItem {
    return menuItem.action != @selector(turnAlertsBackOn:) || _core->AlertsSuppressed();
}

// `defaults delete` in Terminal may have turned alerts back on meanwhile.
- (void)applicationDidBecomeActive:(NSNotification*)notification {
    [_root refresh];
}

- (BOOL)applicationShouldHandleReopen:(NSApplication*)sender hasVisibleWindows:(BOOL)visible {
    if (!visible) [_window makeKeyAndOrderFront:nil];
    return NO;  // done here; AppKit has no document to open in its place
}

// The window's state is nothing but its frame: secure coding costs nothing,
// and macOS 14 warns at every launch of an application that does not say so.
- (BOOL)applicationSupportsSecureRestorableState:(NSApplication*)application {
    return YES;
}

- (BOOL)applicationShouldTerminateAfterLastWindowClosed:(NSApplication*)sender {
    return NO;  // resident: launch URLs keep coming with no window open
}

@end
