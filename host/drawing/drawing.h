// The reference host's drawing: entity nodes, drawing lists and the settings tables.
// Every room of the host uses this header to reach entities; the plug-in sees the same
// objects only through the DList operations and entity record pointers of core/host_api.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/host_api.h"
#include "host/drawing/node_store.h"
#include "host/drawing/pointer_set.h"
#include "host/state/parts.h"

namespace qlhost {

class HostList;
struct Drawing;

// Records shorter than the common header or longer than this are refused.
constexpr uint32_t kMinRecordLength = 32;
constexpr uint32_t kMaxRecordLength = 64u << 20;
// Member lists inside member lists: a list this deep takes no entities. The drawing files
// read and write the same limit, so whatever the drawing holds saves and loads again.
constexpr size_t kMaxMemberDepth = 64;

// One stored entity. The packed record bytes follow the node header in the same heap block,
// so an entity pointer (EntRec*) handed to the plug-in is node->record(); NodeOf() maps it
// back and validates it against the set of live nodes.
struct Node {
    static constexpr uint32_t kMagic = 0x51454e54;  // "QENT"
    enum Flag : uint32_t {
        kSelected = 1u << 0,
        kDeleted = 1u << 1,  // DeleteEntity: hidden from walks until restored or purged
        kNewTag = 1u << 2,   // SetNewTag
        kHighlighted = 1u << 3,
    };
    uint32_t magic = kMagic;
    uint32_t id = 0;  // drawing-wide id, stable for the entity's life; scripts use it
    HostList* owner = nullptr;
    Node* prev = nullptr;
    Node* next = nullptr;
    // Member list (group 10, symbol reference 12, containers 13, 34, 36).
    HostList* children = nullptr;
    uint32_t flags = 0;
    uint32_t capacity = 0;  // bytes available for the record after the header
    uint64_t serial = 0;    // creation order; walks skip nodes created after they began
    uint32_t visit = 0;     // number of the last walk that visited this node

    EntRec* record() { return reinterpret_cast<EntRec*>(this) + kHeaderSize; }
    const EntRec* record() const { return reinterpret_cast<const EntRec*>(this) + kHeaderSize; }
    uint32_t length() const;  // total record length from record offset 0
    int type() const { return record()[4]; }
    bool selected() const { return (flags & kSelected) != 0; }
    bool deleted() const { return (flags & kDeleted) != 0; }

    static constexpr size_t kHeaderSize = 64;  // keeps records 16-byte aligned
};

// Whether an entity type owns a member list (group, symbol reference, containers).
bool HasMemberList(int type);

// A walk in progress over one list (ForEachEntity); the list keeps its next node valid
// while the callback adds, moves or frees nodes.
struct WalkCursor {
    Node* next = nullptr;
    WalkCursor* outer = nullptr;  // the walk begun before this one on the same list
    bool listGone = false;        // the list was destroyed by the callback
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
    HostList* parent;  // list holding the container entity, null at the top
    Node* parentNode;  // the container entity, null at the top
    Node* head = nullptr;
    Node* tail = nullptr;
    size_t count = 0;             // nodes in the list, deleted ones included
    uint64_t changes = 0;         // BeginChange calls
    WalkCursor* walks = nullptr;  // innermost walk in progress

    // Member lists above this one (0 for a top-level list).
    size_t Depth() const;
    // Appends a copy of a record of the given length (length is also written at offset 0).
    // Null when the length is out of range or the list is kMaxMemberDepth deep.
    Node* Append(const void* record, uint32_t length);
    // Appends a zero-filled record of a type and length. Null as for Append.
    Node* AppendZeroed(int type, uint32_t length);
    // Appends a deep copy of a node (member lists included, flags cleared, new ids).
    Node* AppendCopy(const Node* source);
    // Unlinks and frees a node and its member lists.
    void Free(Node* node);
    // Moves node to just before / after other (both in this list).
    void LinkBefore(Node* node, Node* other);
    void LinkAfter(Node* node, Node* other);
    // Creates the member list of a node (or returns the existing one).
    HostList* Children(Node* node);
    // Removes every node.
    void Clear();
    // Gives a record a new capacity; returns the node to use from then on (it may move).
    Node* Resize(Node* node, uint32_t newLength);
    // Top-level list of this list (the working list for member lists of drawing entities).
    HostList* Root();
};

// Gives a node's block back (the node must be unlinked and out of the live set).
void ReleaseBlock(Drawing& drawing, Node* node);

// The operations table every HostList carries.
const DListOps* HostListOps();

// Validated lookup of an entity pointer from the plug-in: the node whose record it is, or
// null when the pointer is not a live entity.
Node* NodeOf(const EntRec* record);
// As NodeOf, and an entity pointer from before a ResizeEntity move (during the same
// command) leads to the node's new place.
Node* LocateNode(const EntRec* record);
// Validated lookup of a list pointer from the plug-in; null when it is not a live list.
HostList* ListOf(const DList* list);

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
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

    std::unique_ptr<HostList> work;
    std::vector<std::unique_ptr<HostList>> temporaries;  // CreateDList, PartLoad
    // A script's "refuse lists N after M": CreateDList grants M more lists, then refuses N.
    uint32_t grantedLists = 0;
    uint32_t refusedLists = 0;
    NodeStore live;                                // node blocks; the live nodes among them
    PointerSet<HostList> lists;                    // every live list, member lists included
    std::unordered_map<const Node*, Node*> moved;  // old block -> new node after a resize move
    std::vector<Node*> pendingDeleted;             // DeleteEntity since the last purge
    Tables tables;
    uint32_t nextId = 1;
    uint64_t nextSerial = 1;
    uint32_t nextWalk = 1;
    std::string fileName = "Untitled.cv7";

    // Resets to an empty drawing with the default tables.
    void Reset();
    // Resets and then takes over the entities, member lists and tables of another drawing
    // (one just read from a file): the nodes move with their ids, nothing is copied, so a
    // large file does not need twice its memory. The other drawing is left empty.
    void TakeOver(Drawing& other);
    // Purges entities deleted during the last command (called at CmdEnd).
    void PurgeDeleted();
    // Finds an entity by id anywhere (work list and its member lists).
    Node* FindById(uint32_t id);
    // A new temporary list (CreateDList, PartLoad); owned by temporaries.
    HostList* CreateTemporary(const std::string& name, int mode);
    // Destroys a temporary list; false when it is not one.
    bool ReleaseTemporary(HostList* list);
    // Takes every entity of the working list and its member lists out of the selection,
    // and those of the temporary lists.
    void ClearSelection();
};

// The one drawing of the running host.
inline Drawing& TheDrawing() { return Part<Drawing>(); }

// Canonical, stable text listing of a list (and its member lists) for golden files.
std::string DumpList(const HostList& list);
// One entity's line of that listing, without indentation or line end.
std::string DumpEntity(const Node& node);

// Full consistency check of a drawing (links, counts, owners, lengths, ids, member lists);
// returns an empty string when sound, else a description of the first fault.
std::string ValidateDrawing(const Drawing& drawing);

}  // namespace qlhost
