// Little-endian packed field access for the io room: records are byte vectors, fields are
// copied with memcpy, and every access is checked against the record length by the caller.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qlhost::io {

using Bytes = std::vector<unsigned char>;

template <typename T>
T Get(const unsigned char* data, size_t offset) {
    T value;
    std::memcpy(&value, data + offset, sizeof value);
    return value;
}

template <typename T>
T Get(const Bytes& record, size_t offset) {
    return Get<T>(record.data(), offset);
}

template <typename T>
void Put(Bytes& record, size_t offset, T value) {
    std::memcpy(record.data() + offset, &value, sizeof value);
}

inline uint32_t RecordLength(const unsigned char* record) { return Get<uint32_t>(record, 0); }

// The value of one hexadecimal digit, or -1 for any other character.
int HexDigit(char c);
std::string ToHex(const unsigned char* data, size_t size);
inline std::string ToHex(const Bytes& bytes) { return ToHex(bytes.data(), bytes.size()); }
// Empty optional for odd lengths or characters that are not hexadecimal digits.
std::optional<Bytes> FromHex(std::string_view text);

bool AllZero(const unsigned char* data, size_t size);

}  // namespace qlhost::io
