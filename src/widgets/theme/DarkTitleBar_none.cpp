#include "theme/DarkTitleBar.h"

void RequestDarkTitleBar(QWidget*) {}
