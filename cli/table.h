// Plain-text tables for the terminal: columns padded to their widest cell.
#pragma once

#include <string>
#include <vector>

namespace cli {

// One line per row after a header line; columns separated by two blanks, padded to the widest
// cell (counted in UTF-8 characters), trailing blanks removed. Rows shorter than the header are
// padded with empty cells; extra cells are dropped.
std::string format_table(const std::vector<std::string>& header, const std::vector<std::vector<std::string>>& rows);

} // namespace cli
