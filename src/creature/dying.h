#pragma once

#include <cstdint>

namespace kanimo {

struct Creature;

// `size` after `times` dead tests, each subtraction of deadShrink rounded on its own, as
// the loop would leave it but without taking every step: a dead creature of a crowded
// world is owed thousands of tests in one pass.
double shrunkSize(double size, std::uint64_t times);

// `times` applications of isDead at once to a creature without energy.
void applyDeadTests(Creature& creature, std::uint64_t times);

} // namespace kanimo
