#include "host/all_vehicles.h"

#include "host/native_invoker.h"
#include "host/recorder.h"

int32_t ListAllVehicles(int32_t* handles, int32_t capacity) {
    if (gReplaySources.allVehicles != nullptr) {
        return gReplaySources.allVehicles(handles, capacity);
    }
    int32_t count = 0;
    if (gHook.worldGetAllVehicles != nullptr && capacity > 0) {
        count = gHook.worldGetAllVehicles(handles, capacity);
    }
    // The count comes from the game: never more handles than the buffer holds.
    if (count < 0) {
        count = 0;
    } else if (count > capacity) {
        count = capacity;
    }
    if (gRecorderOn) [[unlikely]] {
        recordAllVehicles(handles, count);
    }
    return count;
}
