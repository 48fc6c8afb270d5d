#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>

namespace cirrowisp {

// Random choices for generated test inputs. Draws from mt19937's raw output only: its sequence
// is fixed by the standard, unlike the distributions', so a seed gives the same inputs with
// every standard library.
class Draw {
public:
    explicit Draw(std::uint32_t seed) : engine_(seed) {}
    std::uint32_t below(std::uint32_t bound) {
        return static_cast<std::uint32_t>(engine_() % bound);
    }
    bool chance(std::uint32_t percent) { return below(100) < percent; }
    double unit() { return static_cast<double>(engine_()) / 4294967296.0; }
    template <typename T, std::size_t N>
    const T& pick(const std::array<T, N>& items) {
        return items[below(static_cast<std::uint32_t>(N))];
    }

private:
    std::mt19937 engine_;
};

}  // namespace cirrowisp
