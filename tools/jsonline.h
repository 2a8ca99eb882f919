#pragma once

#include <string>

#include "engine/framework/dictionary.h"

// One progress message as one JSON object on one line, e.g. {"NbDone":1}. Texts that are not
// valid UTF-8 are repaired first, so the line is always valid JSON.
[[nodiscard]] std::string jsonLine(const fw::Dictionary& message);
