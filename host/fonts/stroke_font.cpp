// Reading stroke font files.
#include "host/fonts/stroke_font.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "host/platform/system.h"

namespace qlhost {
namespace {

constexpr size_t kMaxSteps = 4096;           // per character; guards against looping data
constexpr unsigned char kEndOfCharacter = 255;

std::map<std::string, std::unique_ptr<StrokeFont>>& Cache() {
    static std::map<std::string, std::unique_ptr<StrokeFont>> cache;
    return cache;
}

}  // namespace

bool StrokeFont::Valid() const { return bytes_.size() >= kStrokeHeaderSize && bytes_[kStrokeMarker] == kStrokeFormat; }

int StrokeFont::Int16(size_t off) const {
    if (off + 2 > bytes_.size()) return 0;
    int16_t v;
    std::memcpy(&v, bytes_.data() + off, 2);
    return v;
}

int StrokeFont::Advance(unsigned char c) const {
    if (c == 0 || c >= bytes_.size()) return 0;
    return static_cast<signed char>(bytes_[c]);
}

int StrokeFont::DesignHeight() const { return Int16(kStrokeDesignHeight); }
int StrokeFont::BaseOffset() const { return Int16(kStrokeBaseOffset); }
int StrokeFont::ExtraSpacing() const { return Int16(kStrokeSpacing); }

std::vector<Stroke> StrokeFont::Strokes(unsigned char c) const {
    std::vector<Stroke> out;
    int start = Int16(kStrokeOffsets + 2 * c);
    if (start <= 0 || !Valid()) return out;
    size_t pos = static_cast<size_t>(start);
    Pt pen{0, static_cast<double>(BaseOffset())};
    for (size_t step = 0; step < kMaxSteps && pos + 2 <= bytes_.size(); ++step) {
        unsigned a = bytes_[pos], b = bytes_[pos + 1];
        if (a == kEndOfCharacter) break;
        pos += 2;
        Pt to{static_cast<double>(a & 0x7F), static_cast<double>(b & 0x7F)};
        if (b >= 128) {
            if (pos + 3 > bytes_.size()) break;
            unsigned r = bytes_[pos], s = bytes_[pos + 1], e = bytes_[pos + 2];
            pos += 3;
            int span = static_cast<int>(e) - static_cast<int>(s);
            if (span < 0) span += 256;
            Stroke arc;
            arc.arc = true;
            arc.centre = to;
            arc.radius = r & 0x7F;
            arc.start = s * kStrokePi / 128;
            arc.sweep = span * kStrokePi / 128;
            out.push_back(arc);
        } else if (a >= 128) {
            Stroke line;
            line.a = pen;
            line.b = {static_cast<double>(a & 0x7F), static_cast<double>(b)};
            out.push_back(line);
        }
        pen = to;
    }
    return out;
}

const StrokeFont* FindStrokeFont(const std::string& name) {
    const std::string path = FindLoadFile("#" + name);
    if (path.empty()) return nullptr;
    auto& cache = Cache();
    auto it = cache.find(path);
    if (it == cache.end()) {
        std::ifstream in(path, std::ios::binary);
        std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        it = cache.emplace(path, std::make_unique<StrokeFont>(std::move(bytes))).first;
    }
    return it->second->Valid() ? it->second.get() : nullptr;
}

void ClearStrokeFonts() { Cache().clear(); }

}  // namespace qlhost
