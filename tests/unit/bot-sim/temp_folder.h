#pragma once
#include <random>
#include <string>

#include "sim_files.h"

// A fresh folder per test, removed afterwards, standing in for the program folder.
struct TempFolder {
    botsim::fs::path path;
    TempFolder() {
        std::random_device random;
        path =
            botsim::fs::temp_directory_path() / ("bot-sim-test-" + std::to_string(random()) + std::to_string(random()));
        botsim::fs::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ignored;
        botsim::fs::remove_all(path, ignored);
    }
    bool has(const char* name) const { return botsim::fs::exists(path / name); }
    std::string read(const char* name) const { return botsim::readText(path / name).value_or("<missing>"); }
    void write(const char* name, const std::string& text) const { botsim::writeWhole(path / name, text); }
};
