// The Windows build carries no web server: --serve is refused with a clear error.
#include <iostream>

#include "host/serve/serve.h"

namespace qlhost::serve {

int Serve(const ServeOptions&, const RunOptions&) {
    std::cerr << "qlhost: --serve is not available in the Windows build\n";
    return 2;
}

}  // namespace qlhost::serve
