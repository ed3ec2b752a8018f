#pragma once
#include "host/script_state.h"

void updateDerailment(ScriptState& state);
void derailTrain(ScriptState& state);
void stopDerailmentShake(ScriptState& state);
void appendDerailedWagon(ScriptState& state, EntityHandle handle, TrainKind kind);
// elapsed: seconds since the previous check of this wagon.
void checkWagonExplosion(DerailedWagon& wagon, float elapsed);
