#pragma once
// Field-by-field comparison of two settings records, for tests that load the same settings twice.

#include <gtest/gtest.h>

#include "config/settings.h"

inline void expectSameSettings(const Settings& a, const Settings& b) {
    EXPECT_EQ(a.displaysPosition, b.displaysPosition);
    EXPECT_EQ(a.displaySpeed, b.displaySpeed);
    EXPECT_EQ(a.displayDerailment, b.displayDerailment);
    EXPECT_EQ(a.displayDoors, b.displayDoors);
    EXPECT_EQ(a.displayTrainDistance, b.displayTrainDistance);
    EXPECT_EQ(a.keyActionManualDerailment, b.keyActionManualDerailment);
    EXPECT_EQ(a.keyActionOpenCloseDoors, b.keyActionOpenCloseDoors);
    EXPECT_EQ(a.keyActionRadio, b.keyActionRadio);
    EXPECT_EQ(a.keyActionEngineerCommand, b.keyActionEngineerCommand);
    EXPECT_EQ(a.keyActionChangeSeat, b.keyActionChangeSeat);
    EXPECT_EQ(a.entranceType, b.entranceType);
    EXPECT_EQ(a.enterDelay, b.enterDelay);
    EXPECT_EQ(a.derailmentCameraShake, b.derailmentCameraShake);
    EXPECT_EQ(a.derailedWagonsMaxCount, b.derailedWagonsMaxCount);
    EXPECT_EQ(a.derailedWagonsMaxDistance, b.derailedWagonsMaxDistance);
    EXPECT_EQ(a.seat, b.seat);
    for (int kind : {Freight, Tram}) {
        EXPECT_EQ(a.models[kind], b.models[kind]);
        EXPECT_EQ(a.modelHashes[kind], b.modelHashes[kind]);
        EXPECT_EQ(a.speedForward[kind], b.speedForward[kind]);
        EXPECT_EQ(a.speedBackward[kind], b.speedBackward[kind]);
        EXPECT_EQ(a.acceleration[kind], b.acceleration[kind]);
        EXPECT_EQ(a.braking[kind], b.braking[kind]);
        EXPECT_EQ(a.derailmentSensitivity[kind], b.derailmentSensitivity[kind]);
        EXPECT_EQ(a.explosionSensitivity[kind], b.explosionSensitivity[kind]);
    }
}
