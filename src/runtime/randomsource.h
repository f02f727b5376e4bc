// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <random>

/// Uniform single-precision values in [0, 1), from a seedable generator.
class RandomSource
{
public:
    /// A value v with 0 <= v < 1: 24 random bits scaled by 2^-24, so it can
    /// never round up to 1 (as std::generate_canonical<float> may).
    float next();
    void seed(std::uint32_t value) { m_engine.seed(value); }
    /// Seeds from the time of day, in nanoseconds, so that runs differ.
    void seedFromClock();

private:
    std::mt19937 m_engine;
};
