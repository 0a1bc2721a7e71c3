#pragma once
// Reading a drug catalogue CSV: UTF-8 (with or without BOM) or GB18030, a
// header row naming 存货编码, 存货名称 and 规格 in any order, RFC 4180 quoting.

#include <string>
#include <string_view>
#include <vector>

namespace rx::rxdb {

struct DrugRow {
    std::string code;     // 存货编码, UTF-8
    std::string name;     // 存货名称
    std::string packing;  // 规格
    int line = 0;         // where the record starts in the file (header is line 1)
};

struct CsvResult {
    std::vector<DrugRow> rows;
    std::string error;  // UTF-8, names the line; empty when the whole file was read
    bool ok() const { return error.empty(); }
};

CsvResult parseDrugCsv(std::string_view bytes);

// True when the bytes are valid UTF-8.
bool isValidUtf8(std::string_view bytes);

}  // namespace rx::rxdb
