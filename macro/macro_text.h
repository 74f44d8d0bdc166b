// Bounded text helpers of the macro commands.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/host_api.h"

// Size of the plug-in's buffers for text answers (kinds 0 and 1): the host writes at most
// 255 characters and the NUL into them.
constexpr size_t kTextAnswerSize = 256;

// Copies the text at source (at most sourceMax bytes, up to its NUL) into destination, cut to
// fit destinationSize with the NUL.
void CopyBounded(char* destination, size_t destinationSize, const char* source, size_t sourceMax);

// Cuts a file name at its last "." searched from the end back to its second character, so a
// name that only starts with "." keeps it.
void CutExtension(char* name);

// The working drawing's file name without its extension, "error" without a working list;
// the name is copied first, so neither the list object nor a constant is changed.
void DrawingBaseName(const DList* work, char* name, size_t size);

// How many bytes of a layer name to read at byte 12 of a layer entry of the given length,
// at most cap.
size_t LayerNameLimit(uint32_t entryLength, size_t cap);
