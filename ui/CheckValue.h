#pragma once

class QCheckBox;

// A check box's value as the windows' rules use it: 0 unchecked, 1 checked, 2 grayed (Qt's
// partly checked state). Setting 2 makes the box three-state; setting 0 or 1 leaves that as it
// is. Setting a value emits the box's own signals, so rules tied to its value changes run as on
// a click.
namespace CheckValue {

int value(const QCheckBox *box);
void setValue(QCheckBox *box, int value);

} // namespace CheckValue
