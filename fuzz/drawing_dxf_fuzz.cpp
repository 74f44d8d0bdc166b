// libFuzzer entry of the drawing_dxf target (fuzz/targets.h).
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return ql_fuzz::DrawingDxf(data, size); }
