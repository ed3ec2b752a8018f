#pragma once
// Field-by-field comparison of two settings records, for tests that load the same settings twice.

#include <gtest/gtest.h>

#include "config/setting_table.h"
#include "config/settings.h"

inline void expectSameSettings(const Settings& a, const Settings& b) {
    for (const SettingRow& row : kSettingRows) {
        if (const std::string* text = settingText(a, row)) {
            EXPECT_EQ(*text, *settingText(b, row)) << row.key;
        } else {
            EXPECT_EQ(settingNumber(a, row), settingNumber(b, row)) << row.key;
        }
    }
    for (int kind : {Freight, Tram}) {
        EXPECT_EQ(a.modelHashes[kind], b.modelHashes[kind]) << "model hashes of kind " << kind;
    }
    EXPECT_EQ(a.followTopSpeed, b.followTopSpeed);
    EXPECT_EQ(a.followAcceleration, b.followAcceleration);
    EXPECT_EQ(a.followBraking, b.followBraking);
}
