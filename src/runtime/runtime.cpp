// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime.h"

QString Runtime::WindowsDirectory() const
{
    return QStringLiteral(SEQUILLA_RECORD_DIR);
}
