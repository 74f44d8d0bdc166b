// File names of the part commands: the proposed "Work" folder, the three-letter extension
// test and the "%s.CV7" form. Every copy is bounded by the destination's size; a name that
// does not fit is refused, never cut into another file's name.
#pragma once

#include <cstddef>

// Room for a part file name with its NUL: far beyond the host's path limit.
constexpr size_t kPartNameSize = 4096;

// Copies name into out when it fits with its NUL; false (out untouched) otherwise.
bool CopyName(char* out, size_t size, const char* name);

// The program path cut after its last backslash (or to nothing), with "Work" appended; false
// when it does not fit.
bool WorkFolderName(const char* programPath, char* out, size_t size);

// True when the name ends in a three-letter extension (its fourth character from the end is
// a dot).
bool HasThreeLetterExtension(const char* name);

// The name formatted with "%s.CV7"; false when it does not fit.
bool WithPartExtension(const char* name, char* out, size_t size);
