#import "platform/macos/MainWindow.h"

#import "platform/macos/Torvale.h"
#import "platform/macos/ViewController.h"

NSWindow* TVMakeMainWindow(void) {
    NSWindow* window =
        [[NSWindow alloc] initWithContentRect:NSMakeRect(0, 0, 480, 270)
                                    styleMask:NSWindowStyleMaskTitled | NSWindowStyleMaskClosable |
                                              NSWindowStyleMaskMiniaturizable
                                      backing:NSBackingStoreBuffered
                                        defer:NO];
    window.title = @"Torvale";
    window.releasedWhenClosed = NO;  // closing it must not end the application

    ViewController* content = [[ViewController alloc] init];
    Torvale* main = [[Torvale alloc] init];
    [content addChildViewController:main];
    main.view.frame = content.view.bounds;
    main.view.autoresizingMask = NSViewWidthSizable | NSViewHeightSizable;
    [content.view addSubview:main.view];
    window.contentViewController = content;
    [window center];
    return window;
}

NSMenu* TVMakeMainMenu(void) {
    NSMenu* applicationMenu = [[NSMenu alloc] initWithTitle:@"Torvale"];
    [applicationMenu addItemWithTitle:@"Hide Torvale" action:@selector(hide:) keyEquivalent:@"h"];
    [applicationMenu addItem:NSMenuItem.separatorItem];
    [applicationMenu addItemWithTitle:@"Quit Torvale"
                               action:@selector(terminate:)
                        keyEquivalent:@"q"];

    NSMenuItem* applicationItem = [[NSMenuItem alloc] init];
    applicationItem.submenu = applicationMenu;
    NSMenu* mainMenu = [[NSMenu alloc] init];
    [mainMenu addItem:applicationItem];
    return mainMenu;
}
