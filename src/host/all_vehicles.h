#pragma once
// The game's vehicles, all of them, through the hook's own export worldGetAllVehicles rather than a
// native: the nearby list reaches 50 m, a train on the map is a kilometre away.

#include <cstdint>

// Up to `capacity` handles into `handles`; the count back, 0 without a hook. The recorder keeps the
// answer as it keeps a native's, so that a replay lists the same vehicles.
int32_t ListAllVehicles(int32_t* handles, int32_t capacity);
