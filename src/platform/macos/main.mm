#import <Cocoa/Cocoa.h>

#import "platform/macos/AppDelegate.h"
#include "platform/posix/Process.h"

static NSMenuItem* Add(NSMenu* menu, NSString* title, SEL action, NSString* key) {
    return [menu addItemWithTitle:NSLocalizedString(title, nil) action:action keyEquivalent:key];
}

// There is no main interface file to hold the menu. Making the Window menu
// AppKit's own lets it list the open windows there.
static void InstallMainMenu(NSApplication* application) {
    // AppKit shows the application's name as this menu's title, whatever it is.
    NSMenu* app = [[NSMenu alloc] initWithTitle:@"Torvale"];
    Add(app, @"About Torvale", @selector(orderFrontStandardAboutPanel:), @"");
    [app addItem:NSMenuItem.separatorItem];
    Add(app, @"Turn Alerts Back On", @selector(turnAlertsBackOn:), @"");
    [app addItem:NSMenuItem.separatorItem];
    Add(app, @"Hide Torvale", @selector(hide:), @"h");
    Add(app, @"Hide Others", @selector(hideOtherApplications:), @"h").keyEquivalentModifierMask =
        NSEventModifierFlagCommand | NSEventModifierFlagOption;
    Add(app, @"Show All", @selector(unhideAllApplications:), @"");
    [app addItem:NSMenuItem.separatorItem];
    Add(app, @"Quit Torvale", @selector(terminate:), @"q");

    NSMenu* edit = [[NSMenu alloc] initWithTitle:NSLocalizedString(@"Edit", nil)];
    Add(edit, @"Undo", @selector(undo:), @"z");
    Add(edit, @"Redo", @selector(redo:), @"Z");  // the capital adds Shift
    [edit addItem:NSMenuItem.separatorItem];
    Add(edit, @"Cut", @selector(cut:), @"x");
    Add(edit, @"Copy", @selector(copy:), @"c");
    Add(edit, @"Paste", @selector(paste:), @"v");
    Add(edit, @"Select All", @selector(selectAll:), @"a");

    NSMenu* window = [[NSMenu alloc] initWithTitle:NSLocalizedString(@"Window", nil)];
    Add(window, @"Minimize", @selector(performMiniaturize:), @"m");
    Add(window, @"Zoom", @selector(performZoom:), @"");
    [window addItem:NSMenuItem.separatorItem];
    Add(window, @"Close", @selector(performClose:), @"w");

    NSMenu* bar = [[NSMenu alloc] init];
    for (NSMenu* menu in @[ app, edit, window ]) {
        [bar addItemWithTitle:menu.title action:NULL keyEquivalent:@""].submenu = menu;
    }
    application.mainMenu = bar;
    application.windowsMenu = window;
}

// NSApplication holds its delegate weakly; this keeps it for the process.
static AppDelegate* gDelegate;

int main(int argc, const char* argv[]) {
    torvale::PrepareProcess();
    @autoreleasepool {
        // No main interface file names the delegate: it is set before the loop starts.
        NSApplication* application = NSApplication.sharedApplication;
        gDelegate = [[AppDelegate alloc] init];
        application.delegate = gDelegate;
        InstallMainMenu(application);
    }
    return NSApplicationMain(argc, argv);
}
