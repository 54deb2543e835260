// The main window and menu, built in code so that CMake and the Command Line
// Tools alone build the bundle (compiling an interface file needs Xcode).

#import <Cocoa/Cocoa.h>

NSWindow* TVMakeMainWindow(void);
NSMenu* TVMakeMainMenu(void);
