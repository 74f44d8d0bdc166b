// Numbers of the DXF writer, printed with to_chars into the same text as dxflib's printf.
#include "host/io/dxf_writer.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace qlhost::io {
namespace {

// Fixed notation with the given decimals, exactly rounded as printf rounds; printf itself for
// what to_chars cannot hold in the buffer.
size_t PrintFixed(char* out, size_t size, double value, int decimals) {
    const auto written = std::to_chars(out, out + size - 1, value, std::chars_format::fixed, decimals);
    if (written.ec == std::errc()) {
        *written.ptr = '\0';
        return static_cast<size_t>(written.ptr - out);
    }
    const int n = std::snprintf(out, size, decimals == 6 ? "%.6lf" : "%.16lf", value);
    return n < 0 ? 0 : std::strlen(out);
}

}  // namespace

std::string DxfRealText(double value, DL_Codes::version version) {
    char text[400];
    size_t length = PrintFixed(text, sizeof text, value, version == DL_Codes::AC1009_MIN ? 6 : 16);
    for (size_t i = 0; i < length; ++i)
        if (text[i] == ',') text[i] = '.';
    // Trailing zeros go, keeping one decimal after the point.
    bool dot = false;
    long end = -1;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '.') {
            dot = true;
            end = static_cast<long>(i) + 2;
        } else if (dot && text[i] != '0') {
            end = static_cast<long>(i) + 1;
        }
    }
    if (end > 0 && end < static_cast<long>(length)) length = static_cast<size_t>(end);
    return std::string(text, length);
}

void DxfWriter::dxfReal(int gc, double value) const {
    dxfString(gc, DxfRealText(value, version));
}

}  // namespace qlhost::io
