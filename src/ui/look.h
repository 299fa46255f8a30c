#pragma once
// The program's look, the same under every desktop theme: Fusion with its
// own light palette (the window's colours are fixed light greys and dark
// red, so a dark system palette would leave some boxes dark and others
// light), the interface font the geometry is laid out for, the window icon
// and the desktop file name that task bars match to the menu entry.

class QApplication;

namespace qm {

void ApplyLook(QApplication& app);

}  // namespace qm
