#include <gtest/gtest.h>

#include "panel_driver.h"
#include "program_folder.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    e2e::setArtifacts(argc, argv);
    // Nothing of an earlier, interrupted run may be left to confuse this one.
    e2e::killAll(L"TavrioPanel.exe");
    e2e::killAll(L"bot.exe");
    const int result = RUN_ALL_TESTS();
    e2e::killAll(L"bot.exe");
    return result;
}
