// SPDX-License-Identifier: GPL-3.0-or-later
#include "randomsource.h"

#include <chrono>

float RandomSource::next()
{
    return float(m_engine() >> 8) * 0x1p-24f;
}

void RandomSource::seedFromClock()
{
    using namespace std::chrono;
    const auto sinceMidnight = system_clock::now().time_since_epoch() % days(1);
    m_engine.seed(std::uint32_t(duration_cast<nanoseconds>(sinceMidnight).count()));
}
