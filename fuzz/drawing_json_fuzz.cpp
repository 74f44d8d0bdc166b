// libFuzzer entry of the drawing_json target (fuzz/targets.h).
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return ql_fuzz::DrawingJson(data, size); }
