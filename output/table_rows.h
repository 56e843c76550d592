// The extraction table as the outputs receive it: rows of texts, row 0 the header line,
// column 0 the hidden identifier column.
#pragma once

#include <string>
#include <vector>

using TableRows = std::vector<std::vector<std::u16string>>;
