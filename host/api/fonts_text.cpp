// Text metrics calls: XCheckGText2 (box of a text data part) and LenText2 (text length).
#include <algorithm>
#include <cstring>
#include <string>

#include "core/host_api.h"
#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"
#include "host/fonts/text_metrics.h"
#include "host/geometry/geometry.h"

namespace {

using namespace qlhost;

constexpr size_t kMaxUnboundedString = 65535;  // a data part outside any stored record

// The string after a data part: bounded by the stored record when the part is a text's.
std::string StringAfter(const unsigned char* data) {
    const char* s = reinterpret_cast<const char*>(data + layout::kDataString);
    size_t limit = kMaxUnboundedString;
    if (const Node* node = NodeOf(data - layout::kTextData)) {
        size_t length = node->length();
        limit = length > layout::kTextString ? length - layout::kTextString : 0;
    }
    return std::string(s, strnlen(s, limit));
}

bool TextOf(const unsigned char* rec, const unsigned char*& data, std::string& text) {
    size_t n = layout::LengthOf(rec);
    size_t dataAt = 0, stringAt = 0;
    switch (layout::TypeOf(rec)) {
        case layout::kText: dataAt = layout::kTextData, stringAt = layout::kTextString; break;
        case layout::kTextBearing: dataAt = layout::kTbData, stringAt = layout::kTbString; break;
        case layout::kAttribute:
            dataAt = layout::kAttData;
            stringAt = layout::Get<uint32_t>(rec, n, layout::kAttString);
            break;
        default: return false;
    }
    if (dataAt + layout::kDataSize > n) return false;
    data = rec + dataAt;
    text.clear();
    if (stringAt > 0 && stringAt < n) {
        const char* s = reinterpret_cast<const char*>(rec + stringAt);
        text.assign(s, strnlen(s, n - stringAt));
    }
    return true;
}

}  // namespace

extern "C" {

void XCheckGText2(const unsigned char* data, double* lowerLeft, double* upperRight) {
    if (!data || !lowerLeft || !upperRight) return;
    Pt c[4];
    if (!TextCorners(data, StringAfter(data).c_str(), c)) {
        double x = layout::Get<double>(data, layout::kDataSize, layout::kDataX);
        double y = layout::Get<double>(data, layout::kDataSize, layout::kDataY);
        lowerLeft[0] = upperRight[0] = x;
        lowerLeft[1] = upperRight[1] = y;
        return;
    }
    lowerLeft[0] = std::min({c[0].x, c[1].x, c[2].x, c[3].x});
    lowerLeft[1] = std::min({c[0].y, c[1].y, c[2].y, c[3].y});
    upperRight[0] = std::max({c[0].x, c[1].x, c[2].x, c[3].x});
    upperRight[1] = std::max({c[0].y, c[1].y, c[2].y, c[3].y});
}

double LenText2(EntRec* text) {
    const unsigned char* data;
    std::string s;
    if (!text || !TextOf(text, data, s)) return 0;
    TextParams p;
    p.font = layout::Get<uint16_t>(data, layout::kDataSize, layout::kDataFont);
    p.height = layout::Get<float>(data, layout::kDataSize, layout::kDataHeight);
    p.widthFactor = layout::Get<float>(data, layout::kDataSize, layout::kDataWidth);
    p.flags = data[layout::kDataFlags];
    return TextLength(p, s);
}

}  // extern "C"
