// The entity part of the JSON drawing format: one JSON object per entity record, members
// nested, every record reproduced byte for byte (docs/drawing-format.md).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/drawing/drawing.h"
#include "host/io/json_fields.h"
#include "host/io/json_stream.h"

namespace qlhost::io {

// What decoding needs from outside the entity: layer names and symbol definitions.
struct DecodeEnv {
    Tables* tables = nullptr;  // layer names ("layer": "Walls"), default dimension style
    // File layer number -> layer number in the drawing (parts merge layers by name).
    std::function<int(int)> mapLayer;
    int defaultLayer = 0;      // file layer of entities without "layer"
    // Handle of the definition (name, base point); base none = a reference without one. The
    // handle the file was saved with is a hint (0 none), used when it still names that very
    // definition.
    std::function<uint32_t(const std::string& name, std::optional<Pt> base, uint32_t hint)> resolveSymbol;
};

// The JSON object of a stored entity and its members (deleted entities are left out).
Json EncodeEntity(const Node& node);
// Appends the entity's object exactly as AppendPrinted(EncodeEntity(node), indent, out) does,
// without building the object, for the records of fixed-layout types whose fields are all
// points and reals (points, lines, circles, arcs, ellipses, walls) with finite values; false,
// with out as it was, for any other entity, which then takes the object path.
bool AppendEntityText(const Node& node, size_t indent, std::string& out);
// Appends the entity (and its members) to list. where names it in errors ("entity 3.1").
bool DecodeEntity(const Json& object, HostList& list, const DecodeEnv& env, const std::string& where,
                  std::string& error);
// Appends a top-level entity of a direct type (see DirectType) from its parser events when
// every field is one DecodeEntity reads without complaint and no other field is there; false,
// with nothing appended, for anything else, which DecodeEntity then reads (and reports).
bool DecodeEntityEvents(const StreamEvent* events, size_t count, HostList& list, const DecodeEnv& env);
// The record alone, without members.
bool DecodeRecord(const Json& object, const DecodeEnv& env, Bytes& record, std::string& error);

// Type code of a JSON type name (with "dim" for dimensions and "closed" for curves), or -1.
int TypeCodeOf(const Json& object);
// JSON type name of a type code; "raw" for types the format does not name.
const char* TypeName(int type);

}  // namespace qlhost::io
