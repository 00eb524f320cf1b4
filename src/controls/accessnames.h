#pragma once
// Names for screen readers. A control with a caption of its own (a button,
// a check box) is named by it; a text field, a list or a drop-down list has
// none, so it takes the text of the label the window places before it:
// just above it or just to its left, in the same container. The label
// stays its name (its buddy), so a caption changed later renames the field.
class QWidget;

namespace ctl {

// Gives each unnamed field of the container the label placed before it.
// Fields named already (an accessible name, a label of their own) keep
// their name; each label names one field at most. Labels call this when
// they are shown, so every window is named once it is on screen.
void nameFieldsByLabels(QWidget* container);

} // namespace ctl
