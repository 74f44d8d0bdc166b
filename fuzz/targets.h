// Every fuzz target by name: fuzz/<name>_fuzz.cpp runs one under libFuzzer, the replay test
// runs each over its seed corpus and its regression inputs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fuzz/file_targets.h"
#include "fuzz/record_targets.h"

namespace ql_fuzz {

using TargetProc = int (*)(const uint8_t* data, size_t size);

struct Target {
    const char* name;  // also the folder of its corpus and of its regression inputs
    TargetProc proc;
};

inline constexpr Target kTargets[] = {
    {"pat_file", PatFile},
    {"pat_hatch", PatHatch},
    {"stroke_font", StrokeFont},
    {"menu_file", MenuFile},
    {"rc_script", ResourceScript},
    {"dialog_template", DialogTemplate},
    {"reg_text", RegistryText},
    {"drawing_json", DrawingJson},
    {"drawing_dxf", DrawingDxf},
    {"scenario_script", ScenarioScript},
    {"entity_record", EntityRecord},
};

}  // namespace ql_fuzz
