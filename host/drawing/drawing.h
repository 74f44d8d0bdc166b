// The reference host's drawing: entity nodes, drawing lists and the settings tables.
// Every room of the host uses this header to reach entities; the plug-in sees the same
// objects only through the DList operations and entity record pointers of core/host_api.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/host_api.h"

namespace qlhost {

class HostList;
struct Drawing;

// One stored entity. The packed record bytes follow the node header in the same heap block,
// so an entity pointer (EntRec*) handed to the plug-in is node->record(); NodeOf() maps it
// back and validates it against the set of live nodes.
struct Node {
    static constexpr uint32_t kMagic = 0x51454e54;  // "QENT"
    enum Flag : uint32_t {
        kSelected = 1u << 0,
        kDeleted = 1u << 1,   // DeleteEntity: hidden from walks until restored or purged
        kNewTag = 1u << 2,    // SetNewTag
        kHighlighted = 1u << 3,
    };
    uint32_t magic = kMagic;
    uint32_t id = 0;              // drawing-wide id, stable for the entity's life; scripts use it
    HostList* owner = nullptr;
    Node* prev = nullptr;
    Node* next = nullptr;
    HostList* children = nullptr; // member list (group 10, symbol reference 12, containers 13, 34, 36)
    uint32_t flags = 0;
    uint32_t capacity = 0;        // bytes available for the record after the header

    EntRec* record() { return reinterpret_cast<EntRec*>(this) + kHeaderSize; }
    const EntRec* record() const { return reinterpret_cast<const EntRec*>(this) + kHeaderSize; }
    uint32_t length() const;      // total record length from record offset 0
    int type() const { return record()[4]; }

    static constexpr size_t kHeaderSize = 64;  // keeps records 16-byte aligned
};

// A drawing list. Derives from the plug-in-visible DList, whose first member is the table
// of operations and whose file name lies 300 bytes in.
class HostList : public DList {
public:
    HostList(Drawing* drawing, std::string name, int mode, HostList* parent, Node* parentNode);
    ~HostList();
    HostList(const HostList&) = delete;
    HostList& operator=(const HostList&) = delete;

    Drawing* drawing;
    std::string name;
    int mode;
    HostList* parent;       // list holding the container entity, null at the top
    Node* parentNode;       // the container entity, null at the top
    Node* head = nullptr;
    Node* tail = nullptr;
    size_t count = 0;       // nodes in the list, deleted ones included

    // Appends a copy of a record of the given length (length is also written at offset 0).
    Node* Append(const void* record, uint32_t length);
    // Unlinks and frees a node and its member lists.
    void Free(Node* node);
    // Moves node to just before / after other (both in this list).
    void LinkBefore(Node* node, Node* other);
    void LinkAfter(Node* node, Node* other);
    // Creates the member list of a node (or returns the existing one).
    HostList* Children(Node* node);
    // Removes every node.
    void Clear();
};

// Validated lookup of an entity pointer from the plug-in: the node whose record it is, or
// null when the pointer is not a live entity.
Node* NodeOf(const EntRec* record);

// Settings tables as GetTemplate returns them (byte blobs in the packed forms of the records
// documentation) and the current drawing attributes.
struct Tables {
    std::vector<unsigned char> attributes;  // kind 0
    std::vector<unsigned char> layers;      // kind 4
    std::vector<unsigned char> fillStyles;  // kind 5
    std::vector<unsigned char> lineStyles;  // kind 7
    std::vector<unsigned char> fonts;       // kind 8
    std::vector<unsigned char> dimStyles;   // kind 9
    std::vector<unsigned char> textStyles;  // kind 10
};

// The whole drawing of the host: the working list, temporary lists, tables, ids.
struct Drawing {
    Drawing();
    ~Drawing();

    std::unique_ptr<HostList> work;
    std::vector<std::unique_ptr<HostList>> temporaries;  // CreateDList, PartLoad
    std::unordered_set<const Node*> live;
    Tables tables;
    uint32_t nextId = 1;
    std::string fileName = "Untitled.cv7";

    // Resets to an empty drawing with the default tables.
    void Reset();
    // Purges entities deleted during the last command (called at CmdEnd).
    void PurgeDeleted();
    // Finds an entity by id anywhere (work list and its member lists).
    Node* FindById(uint32_t id);
};

// The one drawing of the running host.
Drawing& TheDrawing();

// Canonical, stable text listing of a list (and its member lists) for golden files.
std::string DumpList(const HostList& list);

// Full consistency check of a drawing (links, lengths, ids, selection counts); returns an
// empty string when sound, else a description of the first fault.
std::string ValidateDrawing(const Drawing& drawing);

}  // namespace qlhost
