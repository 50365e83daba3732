#pragma once

class QWidget;

namespace folio {

// Gives every control of a window a name a screen reader can say ("Folder
// tree", "Document title", a toolbar button by its tool tip) and its tool
// tip as the description, where the control has none of its own. Controls
// made later (a window's parts shown on demand) are named when the window
// is shown: call it again then; names already given are kept.
void nameForAccessibility(QWidget *window);

// Names every window of the program when it is first shown.
void nameWindowsWhenShown();

} // namespace folio
