#import "platform/macos/Torvale.h"

@implementation Torvale

// No interface file: the view is a plain one made here.
- (void)loadView {
    self.view = [[NSView alloc] initWithFrame:NSMakeRect(0, 0, 480, 270)];
}

- (void)viewDidLoad {
    [super viewDidLoad];
}

@end
