#include "train/derailment.h"

// Placeholder until this step is built.
void updateDerailment(ScriptState&) {}
void derailTrain(ScriptState&) {}
void stopDerailmentShake(ScriptState&) {}
void appendDerailedWagon(ScriptState&, EntityHandle, TrainKind) {}
void checkWagonExplosion(DerailedWagon&, float) {}
