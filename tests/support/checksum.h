// 64-bit FNV-1a over bytes: a checksum every build computes the same way,
// for results that must match bit for bit across systems.
#pragma once

#include <cstddef>
#include <cstdint>

namespace testsupport {

class Checksum {
  public:
    void add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            hash_ = (hash_ ^ bytes[i]) * 0x100000001b3u;
        }
    }
    std::uint64_t value() const { return hash_; }

  private:
    std::uint64_t hash_ = 0xcbf29ce484222325u;
};

} // namespace testsupport
