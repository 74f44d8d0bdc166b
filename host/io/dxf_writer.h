// The DXF writer of the export: the text of dxflib's own writer, byte for byte, gathered in
// memory and written in pieces of a megabyte. dxflib's writer flushes the file after every
// number (7.5 million writes for a million entities) and goes through std::ostream for every
// group; this one appends to a string. dxflib's DL_WriterA is still the base the writing calls
// take; its own file is /dev/null.
#pragma once

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-copy"
#include <dl_writer_ascii.h>
#pragma GCC diagnostic pop

#include <fstream>
#include <string>

namespace qlhost::io {

class DxfWriter : public DL_WriterA {
public:
    DxfWriter(const char* path, DL_Codes::version version);
    ~DxfWriter() override;

    // As DL_WriterA's (which are not virtual; the export calls them on this type).
    bool openFailed() const;
    void close() const;

    void dxfReal(int gc, double value) const override;
    void dxfInt(int gc, int value) const override;
    void dxfHex(int gc, int value) const override;
    void dxfString(int gc, const char* value) const override;
    void dxfString(int gc, const std::string& value) const override;

private:
    void Group(int gc) const;
    void Flush() const;

    mutable std::ofstream file_;
    mutable std::string pending_;
    mutable bool failed_ = false;  // a null string, as dxflib's stream, stops all output
};

// A number as dxflib's writer prints it: 16 decimals (6 for minimal R12), a ',' from the locale
// made a '.', trailing zeros cut after the first decimal.
std::string DxfRealText(double value, DL_Codes::version version);

}  // namespace qlhost::io
