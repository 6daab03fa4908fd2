// A window over the fake platform, with the program folder prepared the usual way.
#pragma once

#include <gtest/gtest.h>

#include "fakes.h"

namespace tavrio::testing {

class FormTest : public ::testing::Test {
protected:
    FakePlatform platform;
    std::unique_ptr<Form1> form;

    void SetUp() override {
        platform.put("\\.env", "PORT=3033\nTAVRIO_API_KEY=qvx\nCOMPNEYNAME=demo shop\n");
        platform.put("\\bot.exe");
    }
    void create() { form = std::make_unique<Form1>(platform.services()); }
    void load() {
        create();
        form->load();
    }
    // Loaded, started, and the log cleared: the window as a running panel has it.
    void loadAndStart() {
        load();
        form->click(ControlId::cmdStart);
        platform.clearLog();
    }
    const ControlState& c(ControlId id) const { return form->control(id); }
    const std::string& text(ControlId id) const { return c(id).text; }
};

}  // namespace tavrio::testing
