// qlhost: the reference host. Loads the plug-in, then runs scenario scripts against it, or
// lists its commands.
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "host/platform/system.h"
#include "host/protocol/loader.h"
#include "host/script/parser.h"
#include "host/script/runner.h"
#include "host/serve/serve.h"
#include "host/ui/ui.h"

namespace {

constexpr const char* kUsage =
    "usage: qlhost [options] SCRIPT...\n"
    "       qlhost [--plugin PATH] --list\n"
    "       qlhost [options] --serve [--port N] [--root DIR] [--listen ADDR]\n"
    "options:\n"
    "  -q                  no transcript\n"
    "  --list              print the plug-in's command names, one a line\n"
    "  --plugin PATH       the plug-in library (default: libquillet.so beside qlhost)\n"
    "  --registry FILE     the registry file\n"
    "  --user-dir DIR      the user folder for \"#name\" files (default: the current folder)\n"
    "  --validate          check the drawing after every command (the default)\n"
    "  --no-validate       do not check the drawing after every command\n"
    "  --expect-fail TEXT  pass only when every script fails with a message containing TEXT\n"
    "  --update-golden     rewrite golden dump files that differ\n"
    "  --serve             run the host in a browser (docs/serve.md)\n"
    "  --port N            the port to serve on (default 8080; 0: any free port)\n"
    "  --root DIR          the folder whose files the browser may use (default: the current folder)\n"
    "  --listen ADDR       the address to serve on (default 127.0.0.1)\n";

int Usage(const std::string& problem) {
    if (!problem.empty()) std::cerr << "qlhost: " << problem << "\n";
    std::cerr << kUsage;
    return 2;
}

int ListCommands(const std::string& plugin) {
    std::string error;
    if (!qlhost::LoadPlugin(plugin, error)) {
        std::cerr << "qlhost: " << error << "\n";
        return 1;
    }
    for (const std::string& name : qlhost::Commands().names) std::cout << name << "\n";
    const std::string report = qlhost::UnloadPlugin();
    if (!report.empty()) {
        std::cerr << "qlhost: " << report << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qlhost::RunOptions options;
    options.plugin = "quillet";
    bool list = false;
    bool serve = false;
    qlhost::serve::ServeOptions serveOptions;
    std::vector<std::string> scripts;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "-q") {
            options.quiet = true;
        } else if (arg == "--list") {
            list = true;
        } else if (arg == "--validate") {
            options.validate = true;
        } else if (arg == "--no-validate") {
            options.validate = false;
        } else if (arg == "--update-golden") {
            options.updateGolden = true;
        } else if (arg == "--plugin") {
            if (!value(options.plugin)) return Usage("--plugin needs a path");
        } else if (arg == "--registry") {
            if (!value(text)) return Usage("--registry needs a file");
            qlhost::SetRegistryFile(std::filesystem::absolute(text).string());
        } else if (arg == "--user-dir") {
            if (!value(text)) return Usage("--user-dir needs a folder");
            qlhost::SetUserDir(std::filesystem::absolute(text).string());
        } else if (arg == "--expect-fail") {
            if (!value(options.expectFail) || options.expectFail.empty()) return Usage("--expect-fail needs a text");
        } else if (arg == "--serve") {
            serve = true;
        } else if (arg == "--port") {
            long long port;
            if (!value(text) || !qlhost::ParseWhole(text, port) || port < 0 || port > 65535)
                return Usage("--port needs a number from 0 to 65535");
            serveOptions.port = static_cast<int>(port);
        } else if (arg == "--root") {
            if (!value(serveOptions.root)) return Usage("--root needs a folder");
        } else if (arg == "--listen") {
            if (!value(serveOptions.listen)) return Usage("--listen needs an address");
        } else if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage("unknown option " + arg);
        } else {
            scripts.push_back(arg);
        }
    }
    qlhost::SetHostDataDir((std::filesystem::path(qlhost::ExecutableDir()) / "hostdata").string());
    const std::string plugin = qlhost::PluginFile(options.plugin);
    if (list) return ListCommands(plugin);
    if (serve) {
        if (!scripts.empty()) return Usage("--serve takes no script");
        options.plugin = std::filesystem::absolute(plugin).string();
        return qlhost::serve::Serve(serveOptions, options);
    }
    if (scripts.empty()) return Usage("no script given");
    return qlhost::RunScripts(scripts, options);
}
