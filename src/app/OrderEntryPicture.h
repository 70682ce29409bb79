#pragma once

#include <QImage>

// The entry window's picture: a still image of a physician's order-entry screen, 987 x 654,
// 24-bit colour, painted at run time.
QImage orderEntryPicture();
