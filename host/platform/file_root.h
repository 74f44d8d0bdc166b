// The folder that file names must stay in while the host is driven from a browser
// (qlhost --serve). Every file name the plug-in hands the host (LoadFile, FullFileName,
// PartLoad, the file dialog's answer) and every name the browser sends goes through
// ConfineToRoot, so a name typed at a prompt reaches no further than the file verbs.
#pragma once

#include <string>

namespace qlhost {

// Resolves name (relative to root, or absolute; "\" taken as "/") to an absolute path with
// every symbolic link followed. False with a message when the path leaves root, is hidden
// below it (a part of it starts with "."), goes through a link that points nowhere, is
// empty or holds a NUL. root must be canonical.
bool ConfineToRoot(const std::string& root, const std::string& name, std::string& path, std::string& error);

// The root plug-in file names are confined to; empty (the default, scripts) confines nothing.
void SetFileRoot(const std::string& canonicalRoot);
const std::string& FileRoot();

// A file name from the plug-in, as the host opens it: unchanged without a root; with one,
// the confined path, or false after telling the transcript why ("file refused: ...").
bool ResolvePluginFile(const std::string& name, std::string& path);

}  // namespace qlhost
