// Whole-file saves through a temporary file renamed over the target (host/io/safe_file.h).
#include "host/io/safe_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qlhost {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinks = 40;  // the kernel's own limit on links followed in one path

// The file a path finally names: a symbolic link (or a chain of them) is followed, so that a
// save replaces the file it points at instead of turning the link into a file.
fs::path FinalTarget(const std::string& path) {
    fs::path target(path);
    std::error_code ec;
    for (int i = 0; i < kMaxLinks && fs::is_symlink(target, ec); ++i) {
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

long ProcessId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<long>(getpid());
#endif
}

// A name beside the target that no other save of this or another process uses; hidden, so
// folder listings leave it out while it exists.
fs::path TemporaryBeside(const fs::path& target) {
    static unsigned long counter = 0;
    std::string name(1, '.');
    name += target.filename().string();
    name += '.';
    name += std::to_string(ProcessId());
    name += '.';
    name += std::to_string(++counter);
    name += ".tmp";
    return target.parent_path() / name;
}

std::FILE* OpenNew(const fs::path& temp) {
#ifdef _WIN32
    return std::fopen(temp.string().c_str(), "wb");
#else
    return std::fopen(temp.c_str(), "wbx");  // x: never reuse a file that is already there
#endif
}

// The new file gets the permissions of the file it replaces (a private registry stays private).
void KeepPermissions(std::FILE* file, const fs::path& target) {
#ifndef _WIN32
    struct stat old;
    if (::stat(target.c_str(), &old) == 0) (void)::fchmod(fileno(file), old.st_mode & 07777);
#else
    (void)file;
    (void)target;
#endif
}

std::string Reason(int code) { return code != 0 ? std::strerror(code) : "unknown error"; }

}  // namespace

bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error) {
    return WriteFileSafely(path, [&](const SafeWriteSink& write) { return write(bytes); }, error);
}

bool WriteFileSafely(const std::string& path, const std::function<bool(const SafeWriteSink& write)>& produce,
                     std::string& error) {
    const fs::path target = FinalTarget(path);
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
        error = path + ": cannot write (it is a folder)";
        return false;
    }
    const fs::path temp = TemporaryBeside(target);
    errno = 0;
    std::FILE* file = OpenNew(temp);
    if (file == nullptr) {
        error = path + ": cannot write (" + Reason(errno) + ")";
        return false;
    }
    KeepPermissions(file, target);
    errno = 0;
    int code = 0;
    const bool produced = produce([&](std::string_view piece) {
        if (code != 0) return false;
        if (std::fwrite(piece.data(), 1, piece.size(), file) == piece.size()) return true;
        code = errno != 0 ? errno : EIO;
        return false;
    });
    bool written = produced && code == 0 && std::fflush(file) == 0;
    if (!written && code == 0) code = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        code = errno;
    }
    if (written) fs::rename(temp, target, ec);
    if (written && !ec) return true;
    std::error_code ignored;
    fs::remove(temp, ignored);
    error = path + ": write failed (" + (written ? ec.message() : Reason(code)) + "); the file is left as it was";
    return false;
}

}  // namespace qlhost
