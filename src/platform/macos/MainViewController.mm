#import "platform/macos/MainViewController.h"

#include "base/Printable.h"
#include "core/doctor/Findings.h"
#import "platform/macos/CocoaPorts.h"
#import "platform/macos/HistoryViewController.h"

@implementation MainViewController {
    torvale::Application* _core;
    HistoryViewController* _history;
    NSTextField* _alerts;
    NSButton* _turnOn;
    NSTextField* _trusted;
    NSButton* _forget;
    NSTextField* _checks;
    torvale::TVSystemFacts _facts;
}

- (instancetype)initWithCore:(torvale::Application&)core {
    if ((self = [super initWithNibName:nil bundle:nil])) {
        _core = &core;
        _history = [[HistoryViewController alloc] initWithHistory:core.History()];
    }
    return self;
}

- (void)loadView {
    NSView* view = [[NSView alloc] initWithFrame:NSMakeRect(0, 0, 720, 560)];
    NSString* format = NSLocalizedString(@"User data: %@", @"%@: the user data directory");
    NSTextField* directory = [NSTextField
        labelWithString:[NSString localizedStringWithFormat:format,
                                                            torvale::ToNSString(_core->ConfigDir)]];
    directory.selectable = YES;  // the path is there to be copied
    directory.lineBreakMode = NSLineBreakByTruncatingMiddle;
    _alerts = [NSTextField labelWithString:@""];
    // No target: the action goes up the responder chain to the application delegate.
    _turnOn = [NSButton
        buttonWithTitle:NSLocalizedString(@"Turn Alerts Back On",
                                          @"Button: shows alerts again after \"don't show again\"")
                 target:nil
                 action:@selector(turnAlertsBackOn:)];
    _trusted = [NSTextField labelWithString:@""];
    _trusted.selectable = YES;
    _trusted.lineBreakMode = NSLineBreakByTruncatingTail;
    _forget = [NSButton
        buttonWithTitle:NSLocalizedString(@"Forget Trusted Gateways",
                                          @"Button: forgets every host trusted with \"always\"")
                 target:nil
                 action:@selector(forgetTrustedGateways:)];
    // The checks of `torvale --doctor`, computed by the core.
    _checks = [NSTextField wrappingLabelWithString:@""];
    _checks.selectable = YES;
    _checks.font = [NSFont monospacedSystemFontOfSize:NSFont.smallSystemFontSize
                                               weight:NSFontWeightRegular];
    [self addChildViewController:_history];
    NSView* table = _history.view;
    for (NSView* subview in @[ directory, _alerts, _turnOn, _trusted, _forget, _checks, table ]) {
        subview.translatesAutoresizingMaskIntoConstraints = NO;
        [view addSubview:subview];
    }
    [NSLayoutConstraint activateConstraints:@[
        [directory.topAnchor constraintEqualToAnchor:view.topAnchor constant:12],
        [directory.leadingAnchor constraintEqualToAnchor:view.leadingAnchor constant:16],
        [directory.trailingAnchor constraintLessThanOrEqualToAnchor:view.trailingAnchor
                                                           constant:-16],
        [_turnOn.topAnchor constraintEqualToAnchor:directory.bottomAnchor constant:8],
        [_alerts.leadingAnchor constraintEqualToAnchor:directory.leadingAnchor],
        [_alerts.firstBaselineAnchor constraintEqualToAnchor:_turnOn.firstBaselineAnchor],
        [_turnOn.leadingAnchor constraintEqualToAnchor:_alerts.trailingAnchor constant:8],
        [_forget.topAnchor constraintEqualToAnchor:_turnOn.bottomAnchor constant:8],
        [_trusted.leadingAnchor constraintEqualToAnchor:directory.leadingAnchor],
        [_trusted.firstBaselineAnchor constraintEqualToAnchor:_forget.firstBaselineAnchor],
        [_forget.leadingAnchor constraintEqualToAnchor:_trusted.trailingAnchor constant:8],
        [_forget.trailingAnchor constraintLessThanOrEqualToAnchor:view.trailingAnchor constant:-16],
        [_checks.topAnchor constraintEqualToAnchor:_forget.bottomAnchor constant:8],
        [_checks.leadingAnchor constraintEqualToAnchor:directory.leadingAnchor],
        [_checks.trailingAnchor constraintEqualToAnchor:view.trailingAnchor constant:-16],
        [table.topAnchor constraintEqualToAnchor:_checks.bottomAnchor constant:12],
        [table.leadingAnchor constraintEqualToAnchor:view.leadingAnchor],
        [table.trailingAnchor constraintEqualToAnchor:view.trailingAnchor],
        [table.bottomAnchor constraintEqualToAnchor:view.bottomAnchor],
    ]];
    self.view = view;
    [self refresh];
}

- (void)refresh {
    const bool suppressed = _core->AlertsSuppressed();
    _alerts.stringValue =
        suppressed
            ? NSLocalizedString(@"Alerts are turned off.",
                                @"State of the alerts, beside their button")
            : NSLocalizedString(@"Alerts are on.", @"State of the alerts, beside their button");
    // Hidden, not removed: the table below keeps its place.
    _turnOn.hidden = !suppressed;
    NSMutableArray<NSString*>* hosts = [NSMutableArray array];
    for (const std::string& host : _core->TrustedGateways())
        [hosts addObject:torvale::ToNSString(torvale::Printable(host))];
    _trusted.stringValue = [NSString
        localizedStringWithFormat:NSLocalizedString(@"Trusted gateways: %@",
                                                    @"%@: the trusted hosts, or \"none\""),
                                  hosts.count > 0 ? [hosts componentsJoinedByString:@", "]
                                                  : NSLocalizedString(@"none", @"No trusted host")];
    _forget.enabled = hosts.count > 0;
    NSMutableArray<NSString*>* checks = [NSMutableArray array];
    for (const torvale::Finding& finding : torvale::Diagnose(*_core, _facts))
        [checks addObject:torvale::ToNSString(torvale::FindingLine(finding))];
    _checks.stringValue = [checks componentsJoinedByString:@"\n"];
    [_history reload];
}

@end
