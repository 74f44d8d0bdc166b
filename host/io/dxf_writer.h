// The DXF writer of the export: dxflib's text writer with its numbers written as dxflib writes
// them, but without the flush dxflib does after every number (a write to the file each time,
// 7.5 million of them for a million entities). The file's bytes are dxflib's own.
#pragma once

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-copy"
#include <dl_writer_ascii.h>
#pragma GCC diagnostic pop

#include <string>

namespace qlhost::io {

class DxfWriter : public DL_WriterA {
public:
    DxfWriter(const char* path, DL_Codes::version version) : DL_WriterA(path, version) {}
    void dxfReal(int gc, double value) const override;
};

// A number as dxflib's writer prints it: 16 decimals (6 for minimal R12), a ',' from the locale
// made a '.', trailing zeros cut after the first decimal.
std::string DxfRealText(double value, DL_Codes::version version);

}  // namespace qlhost::io
