#pragma once

#include <QIcon>

// The main window's own icon: a pill bottle, 32 x 32 pixels in at most 16 colours.
QIcon mainWindowIcon();
