// The Windows build carries no DXF library: DXF files are refused with a clear error.
#include "host/io/drawing_io.h"

namespace qlhost {
namespace {

bool Unavailable(const std::string& path, std::string& error) {
    error = path + ": DXF files are not supported by the Windows build of qlhost";
    return false;
}

}  // namespace

bool ImportDxf(const std::string& path, HostList&, std::string& error) { return Unavailable(path, error); }
bool ImportDxf(const std::string& path, HostList&, std::string& error, const DxfImportOptions&) {
    return Unavailable(path, error);
}
bool ExportDxf(const std::string& path, const HostList&, std::string& error) { return Unavailable(path, error); }

}  // namespace qlhost
