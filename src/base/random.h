#pragma once

#include <cstdint>

namespace kanimo {

// The one generator every chance event of a world goes through. Two outputs share one
// 64-bit state: rand() steps only the low word, rand31() steps the whole state, so the
// order in which callers interleave them is part of the simulation's behaviour.
struct Random {
    std::uint32_t low = 1;
    std::uint32_t high = 0;

    void srand(std::uint32_t seed);
    int rand();   // 0 .. 32767
    int rand31(); // 0 .. 2147483647
    int random(int n);
};

inline void Random::srand(std::uint32_t seed) {
    low = seed;
    high = 0;
    rand();
}

inline int Random::rand() {
    low = low * 22695477u + 1u;
    return static_cast<int>((low >> 16) & 0x7FFFu);
}

inline int Random::rand31() {
    constexpr std::uint64_t multiplier = (std::uint64_t{346} << 32) | 20021u;
    std::uint64_t state = (std::uint64_t{high} << 32) | low;
    state = state * multiplier + 1u;
    low = static_cast<std::uint32_t>(state);
    high = static_cast<std::uint32_t>(state >> 32);
    return static_cast<int>(high & 0x7FFFFFFFu);
}

// random(0) is 0 without touching the state; otherwise the truncating remainder, which
// for a negative n (no caller passes one) lies in 0 .. |n| - 1.
inline int Random::random(int n) {
    if (n == 0) return 0;
    return rand31() % n;
}

} // namespace kanimo
