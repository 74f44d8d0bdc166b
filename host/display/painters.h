// The preview painters handed to the plug-in (GetGDraw2, GetGDraw3) and EDrawM: each call
// appends primitives to the frame of its context (FrameOf).
#pragma once

#include "core/host_api.h"

namespace qlhost {

GDraw2* Painter2();
GDraw3* Painter3();
// EDrawM: a copy of the record (and of the members of a stored container) into the frame.
void DrawEntityInto(void* ctx, const EntRec* record);

// Bytes of a text data part and the string after it that a painter copies.
constexpr size_t kTextDataSize = 72;
constexpr size_t kMaxPreviewText = 32000;

}  // namespace qlhost
