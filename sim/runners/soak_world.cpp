#include "sim/runners/soak_world.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iterator>

#include "config/setting_table.h"
#include "config/settings.h"

namespace sim {

namespace {

// The soak's own draws, made as its run makes them, so that a seed plays the same ride.
struct Draws {
    std::mt19937& random;
    int between(int from, int to) const { return std::uniform_int_distribution<int>(from, to)(random); }
    bool chance(double p) const { return std::uniform_real_distribution<double>(0.0, 1.0)(random) < p; }
};

}  // namespace

std::vector<Vector3> roundedLoop(const Line& line) {
    std::vector<Vector3> points;
    const float x0 = line.origin.x, y0 = line.origin.y, z = line.origin.z;
    const float w = line.width, h = line.height, rt = line.tightRadius, rg = line.gentleRadius;
    auto arc = [&](float cx, float cy, float r, float fromDeg, float toDeg) {
        const int steps = std::max(90, static_cast<int>(std::ceil(r * 3.14159265f / 2.0f)));
        for (int i = 0; i <= steps; ++i) {
            const double a = (fromDeg + (toDeg - fromDeg) * static_cast<float>(i) / static_cast<float>(steps)) *
                             3.14159265358979 / 180.0;
            points.push_back(Vector3{static_cast<float>(cx + r * std::cos(a)), static_cast<float>(cy + r * std::sin(a)), z});
        }
    };
    points.push_back(Vector3{x0, y0 + rg, z});  // the foot of the left side
    arc(x0 + rt, y0 + h - rt, rt, 180.0f, 90.0f);
    arc(x0 + w - rt, y0 + h - rt, rt, 90.0f, 0.0f);
    arc(x0 + w - rg, y0 + rg, rg, 0.0f, -90.0f);
    arc(x0 + rg, y0 + rg, rg, -90.0f, -180.0f);
    points.pop_back();  // the loop closes on its first point by itself
    return points;
}

// The candidates go by what the key means, so a new key gets its share of odd values without a line
// here.
std::string plausibleIni(std::mt19937& random) {
    const Draws draw{random};
    auto choose = [&](std::initializer_list<const char*> values) {
        return std::string(values.begin()[draw.between(0, static_cast<int>(values.size()) - 1)]);
    };
    // At most one kind's models are spoilt at a time: the settings are read again only once a
    // train has been recognised, so with neither recognised the file would never be read again.
    const int spoilt = draw.chance(0.2) ? draw.between(0, 1) : -1;
    std::string text;
    for (const SettingRow& row : kSettingRows) {
        if (row.opensSection != nullptr) text += std::string(row.opensSection) + "\n";
        std::string value;
        double probability = 0.3;
        switch (row.unit) {
            case SettingUnit::None:  // the model lists, always written
                probability = 1.0;
                if (row.kind == Freight)
                    value = spoilt != 0 ? choose({"freight", "freight", "FREIGHT", "freight, metrotrain"})
                                        : choose({"nonsense", "", ",", "metrotrain"});
                else
                    value = spoilt != 1 ? choose({"metrotrain", "metrotrain", "METROTRAIN", " metrotrain ,x"})
                                        : choose({"freight", "x", ""});
                break;
            case SettingUnit::Choice: value = choose({"0", "0", "1", "1", "2", "-1", "7"}); break;
            case SettingUnit::Switch: value = choose({"0", "1", "1"}); break;
            case SettingUnit::Seconds: value = choose({"0", "0.1", "0.7", "1.2", "-1", "0.0001"}); break;
            case SettingUnit::Count:
                probability = 0.5;
                value = choose({"-3", "0", "1", "3", "5", "20", "20", "40", "7.9", "1e12"});
                break;
            case SettingUnit::Metres:
                probability = 0.4;
                value = choose({"0", "50", "200", "200", "1000", "-5", "1e38"});
                break;
            case SettingUnit::Speed: value = choose({"3", "7", "10", "25", "40", "40", "80", "0", "-5", "1e30"}); break;
            case SettingUnit::Acceleration:
            case SettingUnit::Braking:
                probability = 0.5;
                value = choose({"1", "2.4", "3", "5.5", "8", "20", "20", "0", "-1", "1e30"});
                break;
            case SettingUnit::Fraction: value = choose({"0", "0.5", "0.88", "0.88", "0.9", "0.95", "1", "2", "-1"}); break;
            case SettingUnit::Control:
                // Moved keys, now and then onto another action's key or a control that is no key at all.
                probability = 0.15;
                value = choose({"71", "86", "INPUT_VEH_HORN", "input_veh_duck", "172", "177", "179", "113 G",
                                "INPUT_VEH_CIN_CAM", "24", "0", "360", "361", "-1", "INPUT_NOTHING", "65"});
                break;
        }
        if (draw.chance(probability)) text += std::string(row.key) + " = " + value + "\n";
    }
    return text;
}

std::string garbageIni(std::mt19937& random) {
    const Draws draw{random};
    static const char* const kStrangers[] = {"Nonsense.Key", "", "="};
    constexpr int kKeyCount = static_cast<int>(std::size(kSettingRows));
    constexpr int kStrangerCount = static_cast<int>(std::size(kStrangers));
    static const char* const kValues[] = {
        "abc", "1e999", "-1e999", "nan", "inf", "-inf", "0x10", " ", "=", "1.5.3", "+-1", "--2", "1e-999",
        "99999999999999999999999999999999999999999", "3.4028236e38", "-2147483649", ";comment", "[Section]",
        "1 = 2 = 3", "\t0.5\t", "5;", "freight,,,metrotrain", ",",
    };
    // One kind stays recognisable (see plausibleIni); the first line supplying a key wins.
    std::string text = draw.chance(0.5) ? "Train.Models=freight\n" : "Tram.Models=metrotrain\n";
    const int lines = draw.between(0, 40);
    for (int i = 0; i < lines; ++i) {
        switch (draw.between(0, 9)) {
            case 0:
                for (int n = draw.between(1, 60); n > 0; --n) text += static_cast<char>(draw.between(0, 255));
                break;
            case 1:
                text += std::string(static_cast<size_t>(draw.between(100, 10000)), static_cast<char>(draw.between(32, 126)));
                break;
            default:
            {
                const int k = draw.between(0, kKeyCount + kStrangerCount - 1);
                text += std::string(k < kKeyCount ? kSettingRows[k].key : kStrangers[k - kKeyCount]) +
                        (draw.chance(0.8) ? "=" : " ") +
                        kValues[draw.between(0, sizeof kValues / sizeof kValues[0] - 1)];
            }
        }
        const int end = draw.between(0, 3);
        text += end == 0 ? "\r\n" : end == 1 ? "\r" : "\n";
    }
    return text;
}

}  // namespace sim
