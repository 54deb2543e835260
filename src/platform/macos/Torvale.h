#import <Cocoa/Cocoa.h>

// The application's own view inside the main window.
@interface Torvale : NSViewController
@end
