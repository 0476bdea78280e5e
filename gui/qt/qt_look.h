#pragma once
// Fonts and the window icon for the Qt backend.

#include <QFont>
#include <QIcon>

#include "wizard/layout.h"

namespace tamberlin {

/// The font `wanted`: its first family that the system really has (not a substitute that the
/// font configuration offers for any name), at its point size.
QFont qtFont(const FontChoice& wanted);

/// The window's icon: a 32 x 32 picture drawn here, so the program needs no picture file.
QIcon wizardIcon();

}  // namespace tamberlin
