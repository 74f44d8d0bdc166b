// Commands whose subsystem is not built yet: each shows nothing and ends at once, so the
// command table is complete. A subsystem removes its commands from here as it lands.
#include "core/commands.h"
#include "core/host_api.h"

