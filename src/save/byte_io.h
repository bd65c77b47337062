#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace kanimo {

// Numbers of fixed width, least significant byte first, and doubles as their IEEE 754
// bits: the save file's only encodings, the same on every machine and in every locale.
class ByteWriter {
  public:
    void u8(std::uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
    void u32(std::uint32_t v) { put(v, 4); }
    void u64(std::uint64_t v) { put(v, 8); }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void i64(std::int64_t v) { u64(static_cast<std::uint64_t>(v)); }
    void f64(double v) { u64(std::bit_cast<std::uint64_t>(v)); }
    void raw(std::string_view v) { bytes_.append(v); }
    void reserve(std::size_t n) { bytes_.reserve(n); }

    std::string& bytes() { return bytes_; }

  private:
    // Byte by byte into a buffer, appended at once: a save of a big world is tens of
    // megabytes of such numbers.
    void put(std::uint64_t v, int width) {
        char b[8];
        for (int i = 0; i < 8; ++i) b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        bytes_.append(b, static_cast<std::size_t>(width));
    }

    std::string bytes_;
};

// Reads what a ByteWriter wrote. A read past the end gives 0 and marks the reader as
// having run out, which its user checks once after a run of reads.
class ByteReader {
  public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    std::uint8_t u8() { return static_cast<std::uint8_t>(take(1)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(take(4)); }
    std::uint64_t u64() { return take(8); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::int64_t i64() { return static_cast<std::int64_t>(u64()); }
    double f64() { return std::bit_cast<double>(u64()); }
    std::string_view raw(std::size_t n) {
        if (n > left()) {
            ranOut_ = true;
            at_ = bytes_.size();
            return {};
        }
        const std::string_view v = bytes_.substr(at_, n);
        at_ += n;
        return v;
    }

    bool ranOut() const { return ranOut_; }
    std::size_t left() const { return bytes_.size() - at_; }
    std::size_t offset() const { return at_; }

  private:
    std::uint64_t take(std::size_t width) {
        if (width > left()) {
            ranOut_ = true;
            at_ = bytes_.size();
            return 0;
        }
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < width; ++i) {
            v |= std::uint64_t{static_cast<unsigned char>(bytes_[at_ + i])} << (8 * i);
        }
        at_ += width;
        return v;
    }

    std::string_view bytes_;
    std::size_t at_ = 0;
    bool ranOut_ = false;
};

} // namespace kanimo
