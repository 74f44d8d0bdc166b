// libFuzzer entry of the pat_hatch target (fuzz/targets.h).
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return ql_fuzz::PatHatch(data, size); }
