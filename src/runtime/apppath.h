// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/// The directory of the program file, with no trailing separator.
QString AppPath();
