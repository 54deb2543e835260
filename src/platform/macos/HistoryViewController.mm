#import "platform/macos/HistoryViewController.h"

#include <chrono>

#import "platform/macos/CocoaPorts.h"

// Each outcome by a literal key, so that genstrings and the localisation
// check find every one.
static NSString* OutcomeText(torvale::Outcome outcome) {
    using torvale::Outcome;
    switch (outcome) {
        case Outcome::Launched:
            return NSLocalizedString(@"launched", @"Outcome of a launch, in the history");
        case Outcome::LaunchedWithoutFile:
            return NSLocalizedString(@"launched, a file not written",
                                     @"Outcome of a launch, in the history");
        case Outcome::ClientMissing:
            return NSLocalizedString(@"client missing", @"Outcome of a launch, in the history");
        case Outcome::Refused:
            return NSLocalizedString(@"refused", @"Outcome of a launch, in the history");
        case Outcome::Cancelled:
            return NSLocalizedString(@"cancelled", @"Outcome of a launch, in the history");
        case Outcome::WriteFailed:
            return NSLocalizedString(@"failed to write", @"Outcome of a launch, in the history");
        case Outcome::NotRun:
            return NSLocalizedString(@"not run", @"Outcome of a launch, in the history");
        case Outcome::ClientFailed:
            return NSLocalizedString(@"client failed", @"Outcome of a launch, in the history");
        case Outcome::StillStarting:
            return NSLocalizedString(@"still starting", @"Outcome of a launch, in the history");
        case Outcome::NotImplemented:
            return NSLocalizedString(@"not implemented", @"Outcome of a launch, in the history");
        case Outcome::UnknownAction:
            return NSLocalizedString(@"unknown action", @"Outcome of a launch, in the history");
    }
    return @"";
}

static NSString* CellText(const torvale::LaunchRecord& record, NSString* column) {
    if ([column isEqual:@"Action"]) return torvale::ToNSString(record.action);
    if ([column isEqual:@"Client"]) return torvale::ToNSString(record.client);
    if ([column isEqual:@"Outcome"]) return OutcomeText(record.outcome);
    // A resident application's run spans days: the date counts too.
    const std::chrono::duration<double> sinceEpoch = record.time.time_since_epoch();
    return [NSDateFormatter
        localizedStringFromDate:[NSDate dateWithTimeIntervalSince1970:sinceEpoch.count()]
                      dateStyle:NSDateFormatterShortStyle
                      timeStyle:NSDateFormatterMediumStyle];
}

@implementation HistoryViewController {
    const torvale::LaunchHistory* _history;
    NSTableView* _table;
}

- (instancetype)initWithHistory:(const torvale::LaunchHistory&)history {
    if ((self = [super initWithNibName:nil bundle:nil])) {
        _history = &history;
    }
    return self;
}

- (void)loadView {
    _table = [[NSTableView alloc] init];
    NSDictionary<NSString*, NSString*>* titles = @{
        @"Time" : NSLocalizedString(@"Time", @"Column title of the history"),
        @"Action" : NSLocalizedString(@"Action", @"Column title of the history"),
        @"Client" : NSLocalizedString(@"Client", @"Column title of the history"),
        @"Outcome" : NSLocalizedString(@"Outcome", @"Column title of the history"),
    };
    for (NSString* name in @[ @"Time", @"Action", @"Client", @"Outcome" ]) {
        NSTableColumn* column = [[NSTableColumn alloc] initWithIdentifier:name];
        column.title = titles[name];
        column.width = [name isEqual:@"Client"] ? 240 : 120;
        [_table addTableColumn:column];
    }
    _table.usesAlternatingRowBackgroundColors = YES;
    _table.dataSource = self;  // weak: no cycle through the view
    _table.delegate = self;
    NSScrollView* scroll = [[NSScrollView alloc] initWithFrame:NSMakeRect(0, 0, 640, 280)];
    scroll.documentView = _table;
    scroll.hasVerticalScroller = YES;
    self.view = scroll;
}

- (void)reload {
    [_table reloadData];
}

- (NSInteger)numberOfRowsInTableView:(NSTableView*)tableView {
    return static_cast<NSInteger>(_history->Entries().size());
}

- (NSView*)tableView:(NSTableView*)tableView
    viewForTableColumn:(NSTableColumn*)column
                   row:(NSInteger)row {
    // A row asked for before the next reload is still in range: the history
    // never shrinks, and a row shows whatever entry sits there now.
    const torvale::LaunchRecord& record = _history->Entries()[static_cast<std::size_t>(row)];
    NSTableCellView* cell = [tableView makeViewWithIdentifier:column.identifier owner:self];
    if (cell == nil) {
        cell = [[NSTableCellView alloc] init];
        cell.identifier = column.identifier;
        NSTextField* text = [NSTextField labelWithString:@""];
        text.lineBreakMode = NSLineBreakByTruncatingMiddle;
        text.translatesAutoresizingMaskIntoConstraints = NO;
        [cell addSubview:text];
        cell.textField = text;
        [NSLayoutConstraint activateConstraints:@[
            [text.leadingAnchor constraintEqualToAnchor:cell.leadingAnchor constant:2],
            [text.trailingAnchor constraintEqualToAnchor:cell.trailingAnchor constant:-2],
            [text.centerYAnchor constraintEqualToAnchor:cell.centerYAnchor],
        ]];
    }
    cell.textField.stringValue = CellText(record, column.identifier);
    return cell;
}

@end
