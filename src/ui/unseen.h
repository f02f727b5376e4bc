// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

/// Keeps a control out of what a screen reader tells: one that lies wholly
/// behind another and does nothing, which a sighted child never sees either.
/// It has no name and is not showing for assistive tools.
void hideFromScreenReaders(QWidget *widget);
