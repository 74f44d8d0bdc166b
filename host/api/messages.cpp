// FormSt: message boxes and filled-in prompt records.
#include "core/host_api.h"
#include "host/ui/messages.h"

extern "C" int FormSt(const void* source, int mode, const char* caption, uintptr_t styleOrDestination) {
    return qlhost::FormStText(source, mode, caption, styleOrDestination);
}
