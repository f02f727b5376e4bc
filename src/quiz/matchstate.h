// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

/// What the window keeps of the match in progress. Three more values of the
/// match live only in captions: the record (lblpunti, lblnome), the name to
/// store (lblnome1) and the score to store (lblScore).
struct MatchState
{
    qint16 expectedAnswer = 0; // the number shown plus 1
    qint16 correctCount = 0;
    qint16 wrongCount = 0;
    qint16 hours = 0; // the countdown: hours, minutes and whole seconds left
    qint16 minutes = 0;
    float seconds = 0;
    qint16 backgroundTint = 0; // 0..14, the tint of the question's gradient
    QString playerName;        // as typed, possibly empty
};
