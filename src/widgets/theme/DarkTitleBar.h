#pragma once

class QWidget;

// Asks the window manager to draw the title bar of a window whose native window exists in its
// dark variant; where the platform has no such request, does nothing. Main thread.
void RequestDarkTitleBar(QWidget* window);
