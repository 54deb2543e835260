#import <Cocoa/Cocoa.h>

// The main window's content.
@interface ViewController : NSViewController
@end
