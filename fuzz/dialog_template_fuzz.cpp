// libFuzzer entry of the dialog_template target (fuzz/targets.h).
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return ql_fuzz::DialogTemplate(data, size); }
