// The reference host as the fuzz targets use it: scratch files of this process, a host put
// into a known state before every input and back afterwards (so the replay test can run the
// targets beside other tests), and an event port that answers modal windows from a list.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/commands.h"
#include "hatch/engine/pat_reader.h"
#include "host/drawing/drawing.h"
#include "host/fonts/stroke_font.h"
#include "host/geometry/geometry.h"
#include "host/platform/hooks.h"
#include "host/platform/registry.h"
#include "host/platform/system.h"
#include "host/protocol/protocol.h"
#include "host/state/events.h"
#include "host/ui/resources.h"
#include "host/ui/ui.h"

namespace ql_fuzz {

// A folder of this process for the files an input is written to.
inline const std::filesystem::path& ScratchDir() {
    static const std::filesystem::path dir = [] {
        std::filesystem::path d = std::filesystem::temp_directory_path() /
                                  ("quillet-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

inline std::string WriteScratch(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = (ScratchDir() / name).string();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

// The host for one input: an empty drawing and session, an empty registry in a scratch file,
// the scratch folder as the user folder, the source tree's host data and dialog templates,
// the commands the targets run, and modal windows answered from answers. Everything it
// changes is put back when it goes.
class HostSandbox {
public:
    HostSandbox()
        : savedUserDir_(qlhost::UserDir()),
          savedDataDir_(qlhost::HostDataDir()),
          savedRegistry_(qlhost::RegistryFile()),
          savedCommands_(qlhost::Commands()) {
        const std::string registry = (ScratchDir() / "fuzz.reg").string();
        std::remove(registry.c_str());
        qlhost::SetRegistryFile(registry);
        qlhost::SetUserDir(ScratchDir().string());
        qlhost::SetHostDataDir(std::string(QL_SOURCE_DIR) + "/host/data");
        qlhost::SetResourceFolder(nullptr, std::string(QL_SOURCE_DIR) + "/resources");
        qlhost::SetCommandTable({"Quillet",
                                 {"QLTEXTEXPL", "QLHATCHSTANDARD", "QLCUT", "QLCMENU"},
                                 {nullptr, QLTEXTEXPL, QLHATCHSTANDARD, QLCUT, QLCMENU}});
        previousPort_ = qlhost::SetEventPort(&answers_);
        Clean();
    }

    ~HostSandbox() {
        qlhost::AbandonCommand();
        Clean();
        qlhost::SetEventPort(previousPort_);
        qlhost::SetCommandTable(savedCommands_);
        qlhost::SetRegistryFile(savedRegistry_);
        qlhost::SetHostDataDir(savedDataDir_);
        qlhost::SetUserDir(savedUserDir_);
    }

    HostSandbox(const HostSandbox&) = delete;
    HostSandbox& operator=(const HostSandbox&) = delete;

    // The next answer a modal window takes (`dialog click 1`, `menu "Label"`, ...).
    void Answer(const std::string& verb, std::vector<std::string> args) {
        answers_.queue.push_back(qlhost::UiAction{verb, std::move(args), "fuzz", 1});
    }

    static qlhost::HostList& Work() { return *qlhost::TheDrawing().work; }

private:
    static void Clean() {
        qlhost::ResetSession();
        qlhost::ReleaseAllKeys();
        qlhost::ClearQueuedCommands();
        qlhost::TheDrawing().Reset();
        qlhost::ResetMatrixStack();
        qlhost::ClearSymbolDefinitions();
        qlhost::ClearStrokeFonts();
        FreePatLibrary();
    }

    std::string savedUserDir_;
    std::string savedDataDir_;
    std::string savedRegistry_;
    qlhost::CommandTable savedCommands_;
    // Modal windows take the answers in order; faults and the transcript are dropped.
    struct Answers final : qlhost::EventPort {
        std::deque<qlhost::UiAction> queue;
        bool Next(qlhost::UiAction& action, const std::string&) override {
            if (queue.empty()) return false;
            action = queue.front();
            queue.pop_front();
            return true;
        }
        bool Peek(qlhost::UiAction& action) override {
            if (queue.empty()) return false;
            action = queue.front();
            return true;
        }
        void Fault(const std::string&) override {}
        void Transcript(const std::string&) override {}
    };
    Answers answers_;
    qlhost::EventPort* previousPort_ = nullptr;
};

}  // namespace ql_fuzz
