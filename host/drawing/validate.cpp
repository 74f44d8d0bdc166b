// Full consistency check of the drawing: links, owners, lengths, ids, member lists.
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "host/drawing/drawing.h"

namespace qlhost {
namespace {

struct Checker {
    const Drawing& drawing;
    std::unordered_set<uint32_t> ids;
    size_t nodes = 0;
    size_t lists = 0;
    std::string fault;

    bool Fail(const std::string& what) {
        fault = what;
        return false;
    }

    static std::string Where(const HostList& list, const Node* node) {
        std::string text = "list \"" + list.name + "\"";
        if (node) text += " entity #" + std::to_string(node->id);
        return text;
    }

    bool CheckNode(const HostList& list, const Node* node) {
        if (!drawing.live.count(node))
            return Fail(Where(list, nullptr) + ": node not in the live set");
        if (node->magic != Node::kMagic) return Fail(Where(list, node) + ": bad magic");
        if (node->owner != &list) return Fail(Where(list, node) + ": wrong owner");
        uint32_t length = 0;
        std::memcpy(&length, node->record(), sizeof length);
        if (length < kMinRecordLength || length > node->capacity)
            return Fail(Where(list, node) + ": record length " + std::to_string(length) +
                        " outside 32.." + std::to_string(node->capacity));
        if (node->id == 0 || !ids.insert(node->id).second)
            return Fail(Where(list, node) + ": id missing or used twice");
        if (node->serial == 0 || node->serial >= drawing.nextSerial)
            return Fail(Where(list, node) + ": serial out of range");
        if (node->children) {
            const HostList& members = *node->children;
            if (members.parentNode != node || members.parent != &list)
                return Fail(Where(list, node) + ": member list not tied to its container");
        }
        return true;
    }

    // Checks one list's chain; appends its member lists to pending.
    bool CheckList(const HostList& list, std::vector<const HostList*>& pending) {
        ++lists;
        if (!drawing.lists.count(&list))
            return Fail(Where(list, nullptr) + ": list not registered");
        size_t count = 0;
        const Node* prev = nullptr;
        for (const Node* node = list.head; node; prev = node, node = node->next) {
            if (node->prev != prev) return Fail(Where(list, node) + ": broken back link");
            if (++count > list.count)
                return Fail(Where(list, nullptr) + ": more nodes than counted");
            if (!CheckNode(list, node)) return false;
            if (node->children) pending.push_back(node->children);
        }
        if (list.tail != prev) return Fail(Where(list, nullptr) + ": tail is not the last node");
        if (count != list.count)
            return Fail(Where(list, nullptr) + ": count differs from the chain");
        nodes += count;
        return true;
    }
};

}  // namespace

std::string ValidateDrawing(const Drawing& drawing) {
    Checker checker{drawing, {}, 0, 0, {}};
    std::vector<const HostList*> pending;
    if (drawing.work) pending.push_back(drawing.work.get());
    for (const auto& list : drawing.temporaries) pending.push_back(list.get());
    while (!pending.empty()) {
        const HostList* list = pending.back();
        pending.pop_back();
        if (!checker.CheckList(*list, pending)) return checker.fault;
    }
    if (checker.nodes != drawing.live.size())
        return "live set holds " + std::to_string(drawing.live.size()) + " nodes, lists hold " +
               std::to_string(checker.nodes);
    if (checker.lists != drawing.lists.size())
        return "registered lists " + std::to_string(drawing.lists.size()) + ", reachable " +
               std::to_string(checker.lists);
    return {};
}

}  // namespace qlhost
