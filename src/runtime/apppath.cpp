// SPDX-License-Identifier: GPL-3.0-or-later
#include "apppath.h"

#include <QCoreApplication>

QString AppPath()
{
    return QCoreApplication::applicationDirPath();
}
