#pragma once
// Compares two native-call traces (JSON Lines) of the same scenario, one from the Linux simulator and
// one from the Windows plug-in under Wine. Integers, texts and hashes must agree exactly; floats may
// differ in their last bits, since the two C runtimes' maths functions round differently. The
// position of an explosion comes from the C runtime's random generator, which differs between the
// two runtimes, so those arguments are not compared.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <istream>
#include <optional>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "sim/runners/tolerance.h"

namespace trace_compare {

struct Options {
    double relativeTolerance = sim::kRelativeTolerance;
    double absoluteTolerance = sim::kAbsoluteTolerance;
};

// Arguments drawn from rand(): the x, y and z of the explosion.
inline bool isRandomArgument(const nlohmann::json& line, std::size_t argument) {
    const auto op = line.find("op");
    return op != line.end() && op->is_string() && *op == "CreateExplosion" && argument < 3;
}

inline bool numbersAgree(const nlohmann::json& a, const nlohmann::json& b, const Options& options) {
    if (a.is_number_float() || b.is_number_float()) {
        return sim::floatsAgree(a.get<double>(), b.get<double>(), options.relativeTolerance, options.absoluteTolerance);
    }
    // Integers of either signedness compare by value; an unsigned above INT64_MAX only equals itself.
    if (a.is_number_unsigned() && b.is_number_unsigned()) {
        return a.get<uint64_t>() == b.get<uint64_t>();
    }
    if (a.is_number_unsigned() || b.is_number_unsigned()) {
        const auto& u = a.is_number_unsigned() ? a : b;
        const auto& s = a.is_number_unsigned() ? b : a;
        return s.get<int64_t>() >= 0 && static_cast<uint64_t>(s.get<int64_t>()) == u.get<uint64_t>();
    }
    return a.get<int64_t>() == b.get<int64_t>();
}

// Empty when the values agree, otherwise where and how they differ (path as "args[3]").
inline std::optional<std::string> compareValues(const nlohmann::json& a, const nlohmann::json& b,
                                                const Options& options, const std::string& path) {
    if (a.is_number() && b.is_number()) {
        if (numbersAgree(a, b, options)) {
            return std::nullopt;
        }
        return path + ": " + a.dump() + " vs " + b.dump();
    }
    if (a.type() != b.type()) {
        return path + ": " + a.dump() + " vs " + b.dump() + " (different kinds)";
    }
    if (a.is_array()) {
        if (a.size() != b.size()) {
            return path + ": " + std::to_string(a.size()) + " vs " + std::to_string(b.size()) + " elements";
        }
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (auto difference = compareValues(a[i], b[i], options, path + "[" + std::to_string(i) + "]")) {
                return difference;
            }
        }
        return std::nullopt;
    }
    if (a.is_object()) {
        if (a.size() != b.size()) {
            return path + ": objects with different keys";
        }
        for (auto it = a.begin(); it != a.end(); ++it) {
            const auto other = b.find(it.key());
            if (other == b.end()) {
                return path + ": key \"" + it.key() + "\" missing on one side";
            }
            const std::string child = path.empty() ? it.key() : path + "." + it.key();
            if (auto difference = compareValues(*it, *other, options, child)) {
                return difference;
            }
        }
        return std::nullopt;
    }
    if (a != b) {
        return path + ": " + a.dump() + " vs " + b.dump();
    }
    return std::nullopt;
}

inline std::optional<std::string> compareLines(const nlohmann::json& a, const nlohmann::json& b,
                                               const Options& options) {
    if (!a.is_object() || !b.is_object()) {
        return compareValues(a, b, options, "line");
    }
    const auto argsA = a.find("args");
    const auto argsB = b.find("args");
    if (argsA == a.end() || argsB == b.end() || !argsA->is_array() || !argsB->is_array() ||
        argsA->size() != argsB->size()) {
        return compareValues(a, b, options, "");
    }
    // Blank the random arguments on both sides, then compare everything else as it stands.
    nlohmann::json left = a;
    nlohmann::json right = b;
    for (std::size_t i = 0; i < argsA->size(); ++i) {
        if (isRandomArgument(a, i)) {
            left["args"][i] = nullptr;
            right["args"][i] = nullptr;
        }
    }
    return compareValues(left, right, options, "");
}

struct Result {
    bool same = false;
    std::size_t lines = 0;  // lines compared
    std::string message;    // the first difference, or why the traces could not be read
};

inline Result compareTraces(std::istream& expected, std::istream& actual, const Options& options = {}) {
    Result result;
    std::string lineA;
    std::string lineB;
    std::size_t number = 0;
    for (;;) {
        const bool haveA = static_cast<bool>(std::getline(expected, lineA));
        const bool haveB = static_cast<bool>(std::getline(actual, lineB));
        if (!haveA && !haveB) {
            break;
        }
        ++number;
        if (haveA != haveB) {
            result.message = "line " + std::to_string(number) + ": " +
                             (haveA ? "the second trace ends early" : "the second trace has more lines") +
                             " (" + (haveA ? lineA : lineB) + ")";
            result.lines = number - 1;
            return result;
        }
        const auto a = nlohmann::json::parse(lineA, nullptr, false);
        const auto b = nlohmann::json::parse(lineB, nullptr, false);
        if (a.is_discarded() || b.is_discarded()) {
            result.message = "line " + std::to_string(number) + ": not JSON in the " +
                             (a.is_discarded() ? "first" : "second") + " trace";
            result.lines = number - 1;
            return result;
        }
        if (auto difference = compareLines(a, b, options)) {
            result.message = "line " + std::to_string(number) + ": " + *difference + "\n  first:  " + lineA +
                             "\n  second: " + lineB;
            result.lines = number - 1;
            return result;
        }
    }
    result.lines = number;
    result.same = true;
    return result;
}

inline Result compareTraceTexts(const std::string& expected, const std::string& actual, const Options& options = {}) {
    std::istringstream a(expected);
    std::istringstream b(actual);
    return compareTraces(a, b, options);
}

}  // namespace trace_compare
