#import <Cocoa/Cocoa.h>

#import "platform/macos/AppDelegate.h"
#include "platform/posix/Process.h"

// Every title is a literal key, so that genstrings and the localisation
// check find each one.
static NSMenuItem* Add(NSMenu* menu, NSString* title, SEL action, NSString* key) {
    return [menu addItemWithTitle:title action:action keyEquivalent:key];
}

static NSMenu* Submenu(NSMenu* bar, NSString* title) {
    NSMenu* menu = [[NSMenu alloc] initWithTitle:title];
    [bar addItemWithTitle:title action:NULL keyEquivalent:@""].submenu = menu;
    return menu;
}

// There is no main interface file to hold the menu; it follows the Human
// Interface Guidelines. The Services and Window menus are AppKit's own, so
// it fills them in (the services on offer, the open windows).
static void InstallMainMenu(NSApplication* application) {
    NSMenu* bar = [[NSMenu alloc] init];
    // AppKit shows the application's name as this menu's title, whatever it is.
    NSMenu* app = Submenu(bar, @"Torvale");
    Add(app, NSLocalizedString(@"About Torvale", nil), @selector(orderFrontStandardAboutPanel:), @"");
    [app addItem:NSMenuItem.separatorItem];
    Add(app, NSLocalizedString(@"Turn Alerts Back On", nil), @selector(turnAlertsBackOn:), @"");
    [app addItem:NSMenuItem.separatorItem];
    NSMenu* services = [[NSMenu alloc] initWithTitle:NSLocalizedString(@"Services", nil)];
    Add(app, NSLocalizedString(@"Services", nil), NULL, @"").submenu = services;
    application.servicesMenu = services;
    [app addItem:NSMenuItem.separatorItem];
    Add(app, NSLocalizedString(@"Hide Torvale", nil), @selector(hide:), @"h");
    Add(app, NSLocalizedString(@"Hide Others", nil), @selector(hideOtherApplications:), @"h")
        .keyEquivalentModifierMask = NSEventModifierFlagCommand | NSEventModifierFlagOption;
    Add(app, NSLocalizedString(@"Show All", nil), @selector(unhideAllApplications:), @"");
    [app addItem:NSMenuItem.separatorItem];
    Add(app, NSLocalizedString(@"Quit Torvale", nil), @selector(terminate:), @"q");

    NSMenu* file = Submenu(bar, NSLocalizedString(@"File", nil));
    Add(file, NSLocalizedString(@"Close", nil), @selector(performClose:), @"w");

    NSMenu* edit = Submenu(bar, NSLocalizedString(@"Edit", nil));
    Add(edit, NSLocalizedString(@"Undo", nil), @selector(undo:), @"z");
    Add(edit, NSLocalizedString(@"Redo", nil), @selector(redo:), @"Z");  // the capital adds Shift
    [edit addItem:NSMenuItem.separatorItem];
    Add(edit, NSLocalizedString(@"Cut", nil), @selector(cut:), @"x");
    Add(edit, NSLocalizedString(@"Copy", nil), @selector(copy:), @"c");
    Add(edit, NSLocalizedString(@"Paste", nil), @selector(paste:), @"v");
    Add(edit, NSLocalizedString(@"Select All", nil), @selector(selectAll:), @"a");

    NSMenu* window = Submenu(bar, NSLocalizedString(@"Window", nil));
    Add(window, NSLocalizedString(@"Minimize", nil), @selector(performMiniaturize:), @"m");
    Add(window, NSLocalizedString(@"Zoom", nil), @selector(performZoom:), @"");
    [window addItem:NSMenuItem.separatorItem];
    Add(window, NSLocalizedString(@"Bring All to Front", nil), @selector(arrangeInFront:), @"");

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
