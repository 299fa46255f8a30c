#pragma once
// One QApplication for all window tests, on the offscreen platform.

#include <QApplication>

namespace qm {

/// Creates the application on first use (offscreen, the program's look).
QApplication& TestApp();

}  // namespace qm
