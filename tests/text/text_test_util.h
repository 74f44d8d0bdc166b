// Shared set-up of the text tests that run against the reference host's drawing: a fresh
// drawing with its default tables, and entities added at the top or inside containers.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/records.h"
#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/geometry/records.h"
#include "host/platform/hooks.h"
#include "host/protocol/protocol.h"
#include "text/entity_text.h"

namespace texttest {

class TextHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        qlhost::ResetSession();
        qlhost::ReleaseAllKeys();
        qlhost::TheDrawing().Reset();
        qlhost::ResetMatrixStack();
        qlhost::ClearSymbolDefinitions();
        ClearCandidates();
    }
    void TearDown() override {
        qlhost::AbandonCommand();
        qlhost::ResetSession();
        qlhost::ReleaseAllKeys();
        ClearCandidates();
        qlhost::TheDrawing().Reset();
        qlhost::ClearSymbolDefinitions();
    }

    qlhost::HostList& Work() { return *qlhost::TheDrawing().work; }

    static qlhost::Node* AddTo(qlhost::HostList& list, const qlhost::Record& record) {
        return list.Append(record.data(), static_cast<uint32_t>(record.size()));
    }
    qlhost::Node* Add(const qlhost::Record& record) { return AddTo(Work(), record); }
    qlhost::Node* AddText(double x, double y, const std::string& text, int layer = 0) {
        qlhost::Node* node = Add(qlhost::MakeText(x, y, 2.5, 0, 0, 1, text));
        PutU16(node->record(), kRecLayer, static_cast<uint16_t>(layer));
        return node;
    }
    static qlhost::Node* AddMember(qlhost::Node* container, const qlhost::Record& record) {
        return AddTo(*container->owner->Children(container), record);
    }

    void SetLayerFlags(int layer, uint32_t flags) {
        unsigned char* entry = qlhost::FindLayer(qlhost::TheDrawing().tables, layer);
        ASSERT_NE(entry, nullptr);
        PutU32(entry, qlhost::kLayerFlags, flags);
    }

    static std::string Text(const qlhost::Node* node) {
        std::optional<std::string_view> text = EntityString(node->record());
        return text ? std::string(*text) : std::string("<none>");
    }
};

}  // namespace texttest
