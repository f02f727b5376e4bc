// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "design.h"

#include <QFont>

/// The font a control was designed with, as the closest face on this
/// machine; `base` gives what the design leaves open (the system default
/// face keeps all of it).
QFont toFont(const design::Font &design, const QFont &base);
