// Splits a BIFF8 stream into its records, for tests that check record ids, fields and
// positions of what the workbook writer produced.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testbiff {

struct Record {
    std::size_t pos;  // of the header, in the stream
    std::uint16_t id;
    std::vector<std::uint8_t> data;

    std::uint16_t u16(std::size_t at) const { return static_cast<std::uint16_t>(data.at(at) | data.at(at + 1) << 8); }
    std::uint32_t u32(std::size_t at) const { return u16(at) | static_cast<std::uint32_t>(u16(at + 2)) << 16; }
};

inline std::vector<Record> Split(const std::vector<std::uint8_t>& stream)
{
    std::vector<Record> records;
    for (std::size_t pos = 0; pos + 4 <= stream.size();) {
        Record r{pos, static_cast<std::uint16_t>(stream[pos] | stream[pos + 1] << 8), {}};
        const std::size_t length = stream[pos + 2] | stream[pos + 3] << 8;
        r.data.assign(stream.begin() + pos + 4, stream.begin() + std::min(stream.size(), pos + 4 + length));
        records.push_back(std::move(r));
        pos += 4 + length;
    }
    return records;
}

inline std::vector<std::uint16_t> Ids(const std::vector<Record>& records)
{
    std::vector<std::uint16_t> ids;
    for (const auto& r : records) ids.push_back(r.id);
    return ids;
}

inline std::size_t Count(const std::vector<Record>& records, std::uint16_t id)
{
    std::size_t n = 0;
    for (const auto& r : records) n += r.id == id;
    return n;
}

inline const Record* Find(const std::vector<Record>& records, std::uint16_t id, std::size_t nth = 0)
{
    for (const auto& r : records)
        if (r.id == id && nth-- == 0) return &r;
    return nullptr;
}

}  // namespace testbiff
