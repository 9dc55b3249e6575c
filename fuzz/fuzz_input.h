#pragma once
// Reads a fuzz input front to back in the simple shapes the targets need: bytes, small
// little-endian numbers and NUL-terminated texts. Past the end every read yields zeros or
// nothing, so any input is a valid one.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qora::fuzzing {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return offset_ == size_; }
    std::size_t remaining() const { return size_ - offset_; }

    std::uint8_t byte() { return empty() ? 0 : data_[offset_++]; }

    std::uint16_t u16() {
        const std::uint16_t low = byte();
        return static_cast<std::uint16_t>(low | (byte() << 8));
    }

    std::uint32_t u32() {
        const std::uint32_t low = u16();
        return low | (static_cast<std::uint32_t>(u16()) << 16);
    }

    // Up to the next NUL, which is consumed, or to the end.
    std::string text() {
        const auto* begin = data_ + offset_;
        const auto* end = data_ + size_;
        const auto* nul = std::find(begin, end, std::uint8_t{0});
        offset_ += static_cast<std::size_t>(nul - begin) + (nul == end ? 0 : 1);
        return std::string(begin, nul);
    }

    // At most count bytes.
    std::vector<std::uint8_t> bytes(std::size_t count) {
        count = std::min(count, remaining());
        std::vector<std::uint8_t> taken(data_ + offset_, data_ + offset_ + count);
        offset_ += count;
        return taken;
    }

    // Fills exactly size bytes; what the input no longer holds stays zero.
    void fill(void* target, std::size_t size) {
        std::fill_n(static_cast<std::uint8_t*>(target), size, std::uint8_t{0});
        const std::vector<std::uint8_t> taken = bytes(size);
        std::copy(taken.begin(), taken.end(), static_cast<std::uint8_t*>(target));
    }

    std::vector<std::uint8_t> rest() { return bytes(remaining()); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

} // namespace qora::fuzzing
