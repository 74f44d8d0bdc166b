// libFuzzer entry of the entity_record target (fuzz/targets.h).
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return ql_fuzz::EntityRecord(data, size); }
