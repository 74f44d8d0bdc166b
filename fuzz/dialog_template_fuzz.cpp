// libFuzzer entry of the dialog_template target: the input as the bytes of an RT_DIALOG
// resource, read as the Windows build reads a module's dialogs.
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/ui/dialog_template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qlhost::rc::Dialog dialog;
    std::string error;
    qlhost::rc::ReadDialogTemplate(data, size, dialog, error);
    return 0;
}
