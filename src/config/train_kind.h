#pragma once
#include <cstdint>

// The two kinds of train the plug-in drives; every per-kind setting is a pair indexed by it.
enum TrainKind : int32_t { Freight = 0, Tram = 1 };
