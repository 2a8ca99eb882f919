#pragma once

#include <cstdint>
#include <string>
#include <vector>

class threadResize;

// The command line of vimbel-batch:
//   vimbel-batch [--SETTING=VALUE ...] [--cancel-after=N] FOLDER
// SETTING is a worker setting by its own name; settings not given stay 0 / False.
struct BatchOptions {
    struct Setting {
        std::string name;
        std::int64_t value = 0;  // Booleans as 0 / 1
        friend bool operator==(const Setting&, const Setting&) = default;
    };
    std::vector<Setting> settings;  // in command-line order; a later one wins
    std::int64_t cancelAfter = 0;   // set the stop flag after this many "NbDone"; 0: never
    std::string folder;
    bool help = false;
};

// Throws std::invalid_argument with a message fit for the user when an option or value is bad.
[[nodiscard]] BatchOptions parseBatchOptions(const std::vector<std::string>& arguments);
// Writes the parsed settings into the worker.
void applyBatchSettings(const BatchOptions& options, threadResize& worker);
[[nodiscard]] std::string batchUsage();
