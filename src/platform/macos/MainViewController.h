#import <Cocoa/Cocoa.h>

#include "core/Application.h"

// The main window's root: where the user data lives and whether alerts are
// shown, above the history of launch URLs.
@interface MainViewController : NSViewController

// The core outlives the window: the application delegate holds both.
- (instancetype)initWithCore:(torvale::Application&)core;
// After each request pass and whenever the alert setting may have changed.
- (void)refresh;

@end
