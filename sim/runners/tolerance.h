#pragma once
// How closely two floats the plug-in computed on two platforms must agree: the Windows and Linux C
// runtimes' maths functions round their last bits differently. The Wine check compares traces with
// it, a replay compares a recording's float arguments with it.

#include <algorithm>
#include <cmath>

namespace sim {

inline constexpr double kRelativeTolerance = 1e-5;
inline constexpr double kAbsoluteTolerance = 1e-6;  // for values that should be zero but come out as a residue

inline bool floatsAgree(double x, double y, double relative = kRelativeTolerance, double absolute = kAbsoluteTolerance) {
    if (std::isnan(x) || std::isnan(y)) return std::isnan(x) && std::isnan(y);
    if (std::isinf(x) || std::isinf(y)) return x == y;
    const double difference = std::fabs(x - y);
    return difference <= absolute || difference <= relative * std::max(std::fabs(x), std::fabs(y));
}

}  // namespace sim
