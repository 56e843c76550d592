// The compound-file container of a workbook: a root storage holding one stream.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Makes a new compound file at `path` holding one stream `streamName`, whose bytes `produce`
// hands, in order, to the writer it is given; it returns false when that writer failed or it
// could not make its bytes. The file replaces the target (through a temporary file) only when
// everything was written; the result says so.
using StreamWriter = std::function<bool(const std::uint8_t* data, std::size_t size)>;
bool WriteCompoundFile(const std::string& path, const char* streamName,
                       const std::function<bool(const StreamWriter& writer)>& produce);
