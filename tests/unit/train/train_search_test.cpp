// The train search against a game that reports nonsense counts of nearby vehicles.
#include <gtest/gtest.h>

#include "host/native_catalogue.h"
#include "host/script_state.h"
#include "train/entry.h"
#include "unit/support/recording_hook.h"

namespace {

constexpr uint64_t kJustPressed = nativeIdentity(Native::ControlJustPressed).hash;
constexpr uint64_t kNearby = nativeIdentity(Native::ListNearbyVehicles).hash;
constexpr uint64_t kModel = nativeIdentity(Native::GetEntityModel).hash;

struct NearbyHook : recording_hook::Binding {
    static int32_t& reported() {
        static int32_t count = 0;
        return count;
    }
    static uint64_t& capacitySeen() {
        static uint64_t capacity = 0;
        return capacity;
    }
    explicit NearbyHook(int32_t count) {
        reported() = count;
        capacitySeen() = 0;
        recording_hook::state().results[kJustPressed] = {1};
        // Fills the caller's buffer as the game would, slot 3 left empty, and claims `count`.
        gHook.nativeCall = [] {
            auto& s = recording_hook::state();
            uint64_t* result = recording_hook::call();
            if (s.calls.back().hash == kNearby) {
                auto* buffer = reinterpret_cast<uint64_t*>(s.calls.back().slots.at(1));
                capacitySeen() = buffer[0];
                for (int i = 1; i <= 10; ++i) {
                    buffer[i] = (i == 3) ? 0 : (0xFFFFFFFF00000000ull | static_cast<uint64_t>(1000 + i));
                }
                result[0] = static_cast<uint32_t>(reported());
            }
            return result;
        };
    }
};

std::vector<uint64_t> modelQueries() {
    std::vector<uint64_t> handles;
    for (const auto& call : recording_hook::state().calls) {
        if (call.hash == kModel) {
            handles.push_back(call.slots.at(0));
        }
    }
    return handles;
}

TEST(TrainSearch, ReadsOnlyTheSlotsItOwnsWhateverCountTheGameReports) {
    const std::vector<uint64_t> all = {1001, 1002, 1004, 1005, 1006, 1007, 1008, 1009, 1010};
    for (int32_t count : {0, 2, 10, 11, 5000, 2147483647, -1, -2147483647 - 1}) {
        NearbyHook hook(count);
        ScriptState state;
        state.train = 55;
        searchForTrain(state);
        EXPECT_EQ(NearbyHook::capacitySeen(), 10u);
        std::vector<uint64_t> expected;
        if (count > 0) {
            expected = count >= 10 ? all : std::vector<uint64_t>{1001, 1002};
        }
        // Handles come from the low halves; the empty slot is skipped.
        EXPECT_EQ(modelQueries(), expected) << "count " << count;
        EXPECT_EQ(state.train, 0);
        EXPECT_EQ(state.mode, OnFoot);
    }
}

}  // namespace
