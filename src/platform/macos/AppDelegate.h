// The Cocoa application delegate: forwards start-up, URL events and the
// alerts' return to the portable core, which holds every piece of logic.

#import <Cocoa/Cocoa.h>

@interface AppDelegate : NSObject <NSApplicationDelegate, NSMenuItemValidation>

// Sent up the responder chain by the menu item and by the window's button.
- (IBAction)turnAlertsBackOn:(id)sender;
// Sent by the window's button beside the trusted hosts.
- (IBAction)forgetTrustedGateways:(id)sender;
// Sent by the Help menu: the launch-URL reference, bundled with the app.
- (IBAction)showLaunchURLReference:(id)sender;

@end
