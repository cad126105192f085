// Translation in a child process. glslang dies on some broken sources instead of reporting
// them; run apart, such a death becomes a compile error of the source, and the program that
// loads it can still say what went wrong and end as it means to.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "CgTranslator.h"

namespace cgrt {

// A translation that takes longer than this is taken for a hang.
constexpr std::chrono::milliseconds TRANSLATION_TIME_LIMIT{30000};

// Starts getting the translator ready while the caller does other work (opens its window), where
// the platform can: on Linux the translator child starts and builds glslang's tables. Call it
// early.
void prepareTranslations();

// As translate(), run in a child process: a crash or a hang there, or a child that cannot be
// started, gives a failed translation whose listing says so.
Translation translateApart(std::string_view source, const std::string& name, Stage stage,
                           const std::string& entry,
                           std::chrono::milliseconds limit = TRANSLATION_TIME_LIMIT);

}  // namespace cgrt
