// Fuzz target for the plug-in's record readers: one hostile entity record in the working
// list (or inside a group), selected, then a text, hatch or cut command run over it.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "edit/cut.h"
#include "fuzz/file_targets.h"
#include "fuzz/fuzz_host.h"
#include "host/geometry/geometry.h"
#include "host/geometry/records.h"

namespace ql_fuzz {

enum RecordCommand : uint8_t { kRunTextExplode, kRunRegularHatch, kRunCutBox, kRunCutCircle };
constexpr uint8_t kCommandBits = 3;
constexpr uint8_t kInGroupBit = 4;
// Input: one mode byte (command in the low bits, kInGroupBit), then the record. Its length
// field is made the true length, as the host keeps it; a short record is padded with zeros
// to the 32-byte header.
inline int EntityRecord(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    HostSandbox host;
    const uint8_t mode = data[0];
    std::vector<unsigned char> record(data + 1, data + size);
    if (record.size() < qlhost::kMinRecordLength) record.resize(qlhost::kMinRecordLength, 0);
    const uint32_t length = static_cast<uint32_t>(record.size());
    std::memcpy(record.data(), &length, sizeof length);

    qlhost::HostList& work = HostSandbox::Work();
    if (mode & kInGroupBit) {
        qlhost::Node* group = AddSelected(work, qlhost::MakeGroup());
        work.Children(group)->Append(record.data(), length);
    } else {
        AddSelected(work, record);
    }

    switch (mode & kCommandBits) {
    case kRunTextExplode:
        if (qlhost::StartCommand("QLTEXTEXPL")) qlhost::AnswerSelection();
        break;
    case kRunRegularHatch:
        if (qlhost::StartCommand("QLHATCHSTANDARD")) qlhost::AnswerSelection();
        break;
    case kRunCutBox:
    case kRunCutCircle: {
        const bool box = (mode & kCommandBits) == kRunCutBox;
        TheCutSettings() = CutSettings{};
        TheCutSettings().boundaryKind = box ? kBoundaryBox : kBoundaryCircle;
        host.Answer("dialog", {"click", "1"});
        if (!qlhost::StartCommand("QLCUT")) break;
        qlhost::AnswerSelection();
        qlhost::AnswerPoint(-5, -5, 0, false);
        if (box) qlhost::AnswerPoint(5, 5, 0, false);
        else qlhost::AnswerNumber(5);
        TheCutSettings() = CutSettings{};
        break;
    }
    }
    Require(qlhost::ValidateDrawing(qlhost::TheDrawing()).empty(), "the drawing is consistent after the command");
    return 0;
}

}  // namespace ql_fuzz
