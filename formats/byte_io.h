#pragma once
// Little-endian numbers and byte runs for the binary formats: a reader that never reads
// beyond its bytes (the caller asks has() first) and the writers that go with it.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qora {

class ByteReader {
public:
    ByteReader(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

    std::size_t remaining() const { return size_ - offset_; }
    bool has(std::size_t count) const { return remaining() >= count; }

    const std::uint8_t* take(std::size_t count) {
        const std::uint8_t* taken = bytes_ + offset_;
        offset_ += count;
        return taken;
    }
    std::uint64_t number(std::size_t size) {
        const std::uint8_t* taken = take(size);
        std::uint64_t value = 0;
        for (std::size_t i = size; i-- > 0;) {
            value = (value << 8) | taken[i];
        }
        return value;
    }
    std::uint8_t u8() { return static_cast<std::uint8_t>(number(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(number(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(number(4)); }

private:
    const std::uint8_t* bytes_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

inline std::uint64_t numberAt(const std::uint8_t* bytes, std::size_t size) {
    ByteReader reader(bytes, size);
    return reader.number(size);
}

inline void putNumber(std::vector<std::uint8_t>& out, std::uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

inline void putNumberAt(std::uint8_t* at, std::uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

} // namespace qora
