// The checks a DXF file passes before dxflib reads it. dxflib reads whatever opens: random
// bytes load as an empty drawing, a value that is not a number becomes an uninitialised
// coordinate, and a vertex count allocates before a single vertex is read. The scan refuses a
// file that is not a DXF drawing and caps the counts dxflib allocates for by what follows.
#pragma once

#include <string>

namespace qlhost::io {

// Lines dxflib can read: it reads into a buffer of 1024 characters and silently stops at a
// longer line.
constexpr size_t kMaxDxfLine = 1023;

// Checks the DXF text of a file: group codes that are whole numbers from 0 to 1071 each
// followed by a value; a value that parses (finite, in range) wherever the code asks for a
// number; SECTION ... ENDSEC blocks and a closing EOF. Vertex, knot and control point counts
// larger than the values that follow them in their entity are lowered to that number.
// On success text is the file as dxflib is to read it; otherwise error is
// "FILE:LINE: problem".
bool ScanDxf(const std::string& fileName, std::string& text, std::string& error);

}  // namespace qlhost::io
