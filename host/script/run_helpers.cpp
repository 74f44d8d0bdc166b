// Argument helpers of the scenario verbs.
#include <filesystem>

#include "host/io/drawing_io.h"
#include "host/script/run_state.h"
#include "host/state/events.h"

namespace qlhost {

bool NeedArgs(const ScriptAction& action, size_t least, size_t most) {
    const size_t n = action.action.args.size();
    if (n >= least && n <= most) return true;
    std::string wanted = std::to_string(least);
    if (most != least) wanted += most == SIZE_MAX ? " or more" : " to " + std::to_string(most);
    ScriptFault("`" + action.action.verb + "` takes " + wanted + " argument(s), not " + std::to_string(n));
    return false;
}

bool NumberArg(const ScriptAction& action, size_t index, double& value) {
    if (index < action.action.args.size() && ParseNumber(action.action.args[index], value)) return true;
    ScriptFault("`" + action.action.verb + "`: argument " + std::to_string(index + 1) + " \"" +
                (index < action.action.args.size() ? action.action.args[index] : std::string()) +
                "\" is not a number");
    return false;
}

bool WholeArg(const ScriptAction& action, size_t index, long long& value) {
    if (index < action.action.args.size() && ParseWhole(action.action.args[index], value)) return true;
    ScriptFault("`" + action.action.verb + "`: argument " + std::to_string(index + 1) + " \"" +
                (index < action.action.args.size() ? action.action.args[index] : std::string()) +
                "\" is not a whole number");
    return false;
}

bool Options(const ScriptAction& action, size_t from, const std::vector<std::string>& keys,
             std::map<std::string, std::string>& options, std::vector<std::string>& positional) {
    const auto& args = action.action.args;
    for (size_t i = from; i < args.size(); ++i) {
        const size_t eq = args[i].find('=');
        const bool quoted = i < action.quoted.size() && action.quoted[i];
        if (quoted || eq == std::string::npos || eq == 0) {
            positional.push_back(args[i]);
            continue;
        }
        const std::string key = args[i].substr(0, eq);
        bool known = false;
        for (const std::string& candidate : keys) known = known || candidate == key;
        if (!known) {
            ScriptFault("`" + action.action.verb + "`: unknown option " + key + "=");
            return false;
        }
        options[key] = args[i].substr(eq + 1);
    }
    return true;
}

bool EntityIdArg(const std::string& word, uint32_t& id) {
    long long number = 0;
    if (ParseWhole(word, number) && number > 0 && number <= UINT32_MAX) {
        id = static_cast<uint32_t>(number);
        return true;
    }
    auto it = Run().names.find(word);
    if (it != Run().names.end()) {
        id = it->second;
        return true;
    }
    ScriptFault("\"" + word + "\" is neither an entity id nor a name given with id=");
    return false;
}

std::string ScriptPath(const std::string& name) {
    const std::filesystem::path path(name);
    if (path.is_absolute() || !Run().script || Run().script->folder.empty()) return name;
    return (std::filesystem::path(Run().script->folder) / path).string();
}

std::string SavedJson() {
    std::string text;
    WriteDrawingJson(*TheDrawing().work, [&](const std::string& piece) {
        text += piece;
        return true;
    });
    return text;
}

}  // namespace qlhost
