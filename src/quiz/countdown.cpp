// SPDX-License-Identifier: GPL-3.0-or-later
// The countdown: five minutes in hh:mm:ss, one second off each tick; the
// first tick that finds "00:00:00" on display ends the game.
#include "runtime/conversions.h"
#include "runtime/int16.h"
#include "ui/designlabel.h"
#include "ui/tavola.h"

#include <QTimer>

namespace {
// Five minutes; only a test build, never installed, plays a shorter match,
// to see the time run out.
#ifdef SEQUILLA_MATCH_SECONDS
constexpr int matchSeconds = SEQUILLA_MATCH_SECONDS;
#else
constexpr int matchSeconds = 5 * 60;
#endif
} // namespace

void Tavola::StartClock()
{
    Timer1->start();
    m_state.hours = 0;
    m_state.minutes = matchSeconds / 60;
    m_state.seconds = matchSeconds % 60;
}

void Tavola::ShowClock()
{
    lblconto->setCaption(FormatNumber(m_state.hours, u"00") + u':' +
                         FormatNumber(m_state.minutes, u"00") + u':' +
                         FormatNumber(m_state.seconds, u"00"));
}

void Tavola::Timer1_Timer()
{
    // Ticks keep coming while the end-of-game boxes are open; once the end
    // has begun they must not start it again.
    if (m_gameEnding)
        return;
    // The display, not the fields, says when the time is up.
    if (lblconto->caption() == u"00:00:00")
        EndGame();
    if (m_state.seconds == 0) {
        m_state.minutes = checkedAdd(m_state.minutes, -1);
        m_state.seconds = 60;
    }
    m_state.seconds -= 1;
    ShowClock();
}
