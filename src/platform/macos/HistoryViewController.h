#import <Cocoa/Cocoa.h>

#include "core/LaunchHistory.h"

// The launch URLs handled in this run, newest first. The core keeps them;
// this only shows them.
@interface HistoryViewController : NSViewController <NSTableViewDataSource, NSTableViewDelegate>

// The history belongs to the core, which outlives the window.
- (instancetype)initWithHistory:(const torvale::LaunchHistory&)history;
- (void)reload;

@end
