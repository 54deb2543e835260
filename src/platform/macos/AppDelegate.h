// The Cocoa application delegate: forwards start-up and URL events to the
// portable core, which holds every piece of logic.

#import <Cocoa/Cocoa.h>

@interface AppDelegate : NSObject <NSApplicationDelegate>

// Built in code (there is no interface file); owned here because nothing
// else keeps it.
@property(strong) NSWindow* window;

- (void)handleURLEvent:(NSAppleEventDescriptor*)event
        withReplyEvent:(NSAppleEventDescriptor*)replyEvent;

@end
