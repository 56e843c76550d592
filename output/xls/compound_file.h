// The compound-file container of a workbook: a root storage holding one stream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes `bytes` as the stream `streamName` of a new compound file at `path`, through a
// temporary file renamed over the target when complete. True when everything was written.
bool WriteCompoundFile(const std::string& path, const char* streamName, const std::vector<std::uint8_t>& bytes);
