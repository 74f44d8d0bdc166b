// libFuzzer entry of the rc_script target (fuzz/targets.h).
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return ql_fuzz::ResourceScript(data, size); }
