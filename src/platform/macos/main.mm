#import <Cocoa/Cocoa.h>

#import "platform/macos/AppDelegate.h"
#include "platform/posix/PosixBackgroundTasks.h"
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
    Add(app, NSLocalizedString(@"About Torvale", @"Menu title or item"),
        @selector(orderFrontStandardAboutPanel:), @"");
    [app addItem:NSMenuItem.separatorItem];
    Add(app, NSLocalizedString(@"Turn Alerts Back On", @"Menu title or item"),
        @selector(turnAlertsBackOn:), @"");
    [app addItem:NSMenuItem.separatorItem];
    NSMenu* services =
        [[NSMenu alloc] initWithTitle:NSLocalizedString(@"Services", @"Menu title or item")];
    Add(app, NSLocalizedString(@"Services", @"Menu title or item"), NULL, @"").submenu = services;
    application.servicesMenu = services;
    [app addItem:NSMenuItem.separatorItem];
    Add(app, NSLocalizedString(@"Hide Torvale", @"Menu title or item"), @selector(hide:), @"h");
    Add(app, NSLocalizedString(@"Hide Others", @"Menu title or item"),
        @selector(hideOtherApplications:), @"h")
        .keyEquivalentModifierMask = NSEventModifierFlagCommand | NSEventModifierFlagOption;
    Add(app, NSLocalizedString(@"Show All", @"Menu title or item"),
        @selector(unhideAllApplications:), @"");
    [app addItem:NSMenuItem.separatorItem];
    Add(app, NSLocalizedString(@"Quit Torvale", @"Menu title or item"), @selector(terminate:),
        @"q");

    NSMenu* file = Submenu(bar, NSLocalizedString(@"File", @"Menu title or item"));
    Add(file, NSLocalizedString(@"Close", @"Menu title or item"), @selector(performClose:), @"w");

    NSMenu* edit = Submenu(bar, NSLocalizedString(@"Edit", @"Menu title or item"));
    Add(edit, NSLocalizedString(@"Undo", @"Menu title or item"), @selector(undo:), @"z");
    Add(edit, NSLocalizedString(@"Redo", @"Menu title or item"), @selector(redo:),
        @"Z");  // the capital adds Shift
    [edit addItem:NSMenuItem.separatorItem];
    Add(edit, NSLocalizedString(@"Cut", @"Menu title or item"), @selector(cut:), @"x");
    Add(edit, NSLocalizedString(@"Copy", @"Menu title or item"), @selector(copy:), @"c");
    Add(edit, NSLocalizedString(@"Paste", @"Menu title or item"), @selector(paste:), @"v");
    Add(edit, NSLocalizedString(@"Select All", @"Menu title or item"), @selector(selectAll:), @"a");

    NSMenu* window = Submenu(bar, NSLocalizedString(@"Window", @"Menu title or item"));
    Add(window, NSLocalizedString(@"Minimize", @"Menu title or item"),
        @selector(performMiniaturize:), @"m");
    Add(window, NSLocalizedString(@"Zoom", @"Menu title or item"), @selector(performZoom:), @"");
    [window addItem:NSMenuItem.separatorItem];
    Add(window, NSLocalizedString(@"Bring All to Front", @"Menu title or item"),
        @selector(arrangeInFront:), @"");

    NSMenu* help = Submenu(bar, NSLocalizedString(@"Help", @"Help menu title"));
    Add(help,
        NSLocalizedString(@"Launch URL Reference",
                          @"Help menu item: opens the reference of launch URLs"),
        @selector(showLaunchURLReference:), @"?");

    application.mainMenu = bar;
    application.windowsMenu = window;
    application.helpMenu = help;
}

// NSApplication holds its delegate weakly; this keeps it for the process.
static AppDelegate* gDelegate;

int main(int argc, const char* argv[]) {
    torvale::PrepareProcess();
    // ssh runs this executable as its askpass helper, and a pass starts it to
    // serve a password or to remove a connection file once read: none of
    // these needs, or may start, the application.
    if (const auto status = torvale::RunBackgroundMode(argc, const_cast<char**>(argv)))
        return *status;
    @autoreleasepool {
        // No main interface file names the delegate: it is set before the loop starts.
        NSApplication* application = NSApplication.sharedApplication;
        gDelegate = [[AppDelegate alloc] init];
        application.delegate = gDelegate;
        InstallMainMenu(application);
    }
    return NSApplicationMain(argc, argv);
}
