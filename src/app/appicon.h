#pragma once

#include <QIcon>

namespace folio {

// The program's own icon (resources/icons/foliokeeper.svg, built in), the
// same picture the desktop shows in its menu.
QIcon applicationIcon();
// Gives every window of the program that icon and ties the program to its
// desktop entry (foliokeeper.desktop), so the task bar shows its name and
// icon.
void setUpDesktopIdentity();

} // namespace folio
