#pragma once

#include <charconv>
#include <string>
#include <unordered_map>

namespace kanimo {

struct Creature;
struct World;

// Appends `value` as printf's "%.17g" would write it, without going through printf.
void appendDouble(std::string& out, double value);

// Appends a whole number in decimal.
template <typename Integer> void appendInteger(std::string& out, Integer value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// Writes the state of a world in the fixed line format of --dump and --trace, so that
// runs of different builds or implementations can be compared line by line. Keeps its
// partner index table between calls to avoid rebuilding its buckets every step.
class StateDump {
  public:
    // Appends the header line of step k and one line per creature, in list order.
    void append(std::string& out, const World& world, long long step);

  private:
    std::unordered_map<const Creature*, int> index_;
};

} // namespace kanimo
