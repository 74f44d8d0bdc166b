// Saving a file whole without risking the old one: the bytes go to a temporary file in the
// target's folder, and only when every write and the close succeeded is it renamed over the
// target. A save that fails (a full disk, a file size limit, a folder that cannot be written)
// says why and leaves the previous file byte for byte as it was.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qlhost {

// Writes bytes to path. A symbolic link is followed: the file it points at is replaced and the
// link stays. The new file keeps the permissions of the one it replaces. False with
// "path: cannot write (reason)" or "path: write failed (reason); the file is left as it was".
bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error);

// The same for a file made piece by piece, so a large drawing is never held as one text:
// produce hands each piece to write, which returns false once a write has failed; produce
// returns false when it stopped for that (or any other) reason, and the save then fails.
using SafeWriteSink = std::function<bool(std::string_view piece)>;
bool WriteFileSafely(const std::string& path, const std::function<bool(const SafeWriteSink& write)>& produce,
                     std::string& error);

}  // namespace qlhost
