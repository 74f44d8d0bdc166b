// The DXF writer: groups appended to a string as dxflib's writer prints them (a group code
// right-aligned in three columns, a line end, the value, a line end), numbers printed with
// to_chars into the same text as dxflib's printf.
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

namespace {
constexpr size_t kPiece = 1 << 20;
}  // namespace

DxfWriter::DxfWriter(const char* path, DL_Codes::version version)
    : DL_WriterA("/dev/null", version), file_(path, std::ios::binary | std::ios::trunc) {}

DxfWriter::~DxfWriter() { close(); }

bool DxfWriter::openFailed() const { return !file_.is_open(); }

void DxfWriter::close() const {
    if (!file_.is_open()) return;
    Flush();
    file_.close();
}

void DxfWriter::Flush() const {
    if (!pending_.empty() && file_.is_open()) file_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
    pending_.clear();
}

void DxfWriter::Group(int gc) const {
    pending_ += gc < 10 ? "  " : (gc < 100 ? " " : "");
    char digits[16];
    const auto written = std::to_chars(digits, digits + sizeof digits, gc);
    pending_.append(digits, written.ptr);
    pending_ += '\n';
}

void DxfWriter::dxfString(int gc, const char* value) const {
    if (failed_) return;
    Group(gc);
    if (value == nullptr) {
        failed_ = true;
        return;
    }
    pending_ += value;
    pending_ += '\n';
    if (pending_.size() >= kPiece) Flush();
}

void DxfWriter::dxfString(int gc, const std::string& value) const {
    if (failed_) return;
    Group(gc);
    pending_ += value;
    pending_ += '\n';
    if (pending_.size() >= kPiece) Flush();
}

void DxfWriter::dxfInt(int gc, int value) const {
    char digits[16];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    dxfString(gc, std::string(digits, written.ptr));
}

void DxfWriter::dxfHex(int gc, int value) const {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%0X", static_cast<unsigned>(value));
    dxfString(gc, digits);
}

void DxfWriter::dxfReal(int gc, double value) const {
    dxfString(gc, DxfRealText(value, version));
}

}  // namespace qlhost::io
