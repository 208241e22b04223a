// Model files written in memory for the tests: text as it stands, binary
// PLY and STL from numbers.
#pragma once

#include "model/load_model.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace modeltest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes text(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

// Appends values in a byte order.
class Writer {
  public:
    explicit Writer(bool bigEndian = false) : bigEndian_(bigEndian) {}
    Writer& raw(std::string_view s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    template <typename T> Writer& put(T value) {
        std::uint8_t b[sizeof(T)];
        std::memcpy(b, &value, sizeof(T));
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            bytes.push_back(b[bigEndian_ ? sizeof(T) - 1 - i : i]);
        }
        return *this;
    }
    Bytes bytes;

  private:
    bool bigEndian_;
};

// A binary STL: an 80-byte header beginning with `header`, then the
// triangles (nine floats each: three corners).
inline Bytes binaryStl(std::string_view header,
                       const std::vector<std::array<float, 9>>& triangles) {
    Writer w;
    std::string head(header);
    head.resize(80, '\0');
    w.raw(head).put(static_cast<std::uint32_t>(triangles.size()));
    for (const auto& t : triangles) {
        w.put(0.0f).put(0.0f).put(0.0f);
        for (float v : t) {
            w.put(v);
        }
        w.put(std::uint16_t{0});
    }
    return w.bytes;
}

inline model::LoadResult load(const Bytes& bytes, const std::string& name,
                              std::uint64_t limit = model::kModelMemoryLimit) {
    return model::loadModel(bytes, name, limit);
}

} // namespace modeltest
