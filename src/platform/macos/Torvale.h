#import <Cocoa/Cocoa.h>

#include "core/AppDelegate.h"

// The main window's root: where the user data lives and whether alerts are
// shown, above the history of launch URLs.
@interface Torvale : NSViewController

// The core outlives the window: the application delegate holds both.
- (instancetype)initWithCore:(torvale::AppDelegate&)core;
// After each request pass and whenever the alert setting may have changed.
- (void)refresh;

@end
