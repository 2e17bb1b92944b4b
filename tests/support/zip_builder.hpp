// Builds ZIP archives in memory for tests: entries stored or deflated, with
// the central directory and end record.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tulvo::testing {

class ZipBuilder {
  public:
    // `deflated` compresses with raw deflate (method 8); otherwise stored.
    ZipBuilder& add(const std::string& name, const std::string& data, bool deflated = true) {
        Entry e{name, data, deflated, 0,
                static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()),
                                            static_cast<uInt>(data.size())))};
        entries_.push_back(std::move(e));
        return *this;
    }
    // A Unix symbolic link to `target`.
    ZipBuilder& addLink(const std::string& name, const std::string& target) {
        add(name, target, false);
        entries_.back().unixMode = 0120777;
        return *this;
    }
    // An entry whose raw deflate stream, CRC and size the caller made.
    ZipBuilder& addDeflated(const std::string& name, std::string body, uint32_t crc,
                            uint32_t size) {
        Entry e{name, std::move(body), true, 0, crc};
        e.precompressed = true;
        e.size = size;
        entries_.push_back(std::move(e));
        return *this;
    }

    std::string bytes() {
        std::string out, directory;
        for (Entry& e : entries_) {
            const std::string body = e.precompressed ? e.data
                                     : e.deflated    ? deflateRaw(e.data)
                                                     : e.data;
            const auto method = static_cast<uint16_t>(e.deflated ? 8 : 0);
            const auto nameSize = static_cast<uint16_t>(e.name.size());
            const auto bodySize = static_cast<uint32_t>(body.size());
            const auto dataSize = e.precompressed ? e.size : static_cast<uint32_t>(e.data.size());
            e.offset = static_cast<uint32_t>(out.size());
            put32(out, {0x04034b50});
            put16(out, {20, 0, method, 0, 0});
            put32(out, {e.crc, bodySize, dataSize});
            put16(out, {nameSize, 0});
            out += e.name + body;

            put32(directory, {0x02014b50});
            // Made on Unix (3) when the entry carries a Unix mode.
            const auto madeBy = static_cast<uint16_t>(e.unixMode ? (3 << 8) | 20 : 20);
            put16(directory, {madeBy, 20, 0, method, 0, 0});
            put32(directory, {e.crc, bodySize, dataSize});
            put16(directory, {nameSize, 0, 0, 0, 0});
            put32(directory, {e.unixMode << 16, e.offset});
            directory += e.name;
        }
        const auto directoryOffset = static_cast<uint32_t>(out.size());
        const auto count = static_cast<uint16_t>(entries_.size());
        out += directory;
        put32(out, {0x06054b50});
        put16(out, {0, 0, count, count});
        put32(out, {static_cast<uint32_t>(directory.size()), directoryOffset});
        put16(out, {0});
        return out;
    }

  private:
    struct Entry {
        std::string name, data;
        bool deflated;
        uint32_t offset, crc;
        uint32_t unixMode = 0;
        bool precompressed = false;
        uint32_t size = 0;
    };

    static void put16(std::string& out, std::initializer_list<uint16_t> values) {
        for (uint16_t v : values) {
            out.push_back(static_cast<char>(v & 0xFF));
            out.push_back(static_cast<char>(v >> 8));
        }
    }
    static void put32(std::string& out, std::initializer_list<uint32_t> values) {
        for (uint32_t v : values)
            put16(out, {static_cast<uint16_t>(v & 0xFFFF), static_cast<uint16_t>(v >> 16)});
    }
    static std::string deflateRaw(const std::string& data) {
        z_stream z{};
        deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        z.avail_in = static_cast<uInt>(data.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        deflate(&z, Z_FINISH);
        out.resize(z.total_out);
        deflateEnd(&z);
        return out;
    }

    std::vector<Entry> entries_;
};

}  // namespace tulvo::testing
