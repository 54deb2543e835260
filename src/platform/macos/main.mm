#import <Cocoa/Cocoa.h>

#import "platform/macos/AppDelegate.h"
#import "platform/macos/MainWindow.h"

// NSApplication holds its delegate weakly; this keeps it for the process.
static AppDelegate* gDelegate;

int main(int argc, const char* argv[]) {
    @autoreleasepool {
        // There is no main interface file to name the delegate, so it and
        // the menu are set up before the main loop starts.
        NSApplication* application = NSApplication.sharedApplication;
        gDelegate = [[AppDelegate alloc] init];
        application.delegate = gDelegate;
        application.mainMenu = TVMakeMainMenu();
    }
    return NSApplicationMain(argc, argv);
}
