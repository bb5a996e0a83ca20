// Pins the regional settings (and the ANSI code page) for one test, so results never depend
// on the machine's locale; the defaults are the "C" locale's values in Windows-1252.
#pragma once

#include "base/CodePage.h"
#include "platform/RegionalSettings.h"

#include <gtest/gtest.h>

class PinnedSettings : public ::testing::Test {
protected:
    void SetUp() override {
        base::CodePage::setActive(1252);
        platform::setRegionalSettings(platform::RegionalSettings{});
    }
    void TearDown() override { platform::resetRegionalSettings(); }

    template <typename Change>
    void pin(Change change) {
        platform::RegionalSettings s;
        change(s);
        platform::setRegionalSettings(s);
    }
};
