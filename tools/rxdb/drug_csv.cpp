#include "tools/rxdb/drug_csv.h"

#include "platform/text/gb18030.h"

namespace rx::rxdb {
namespace {

struct Record {
    std::vector<std::string> fields;
    int line = 0;
};

std::string trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// Splits the text into records; quoted fields may hold commas, quotes ("")
// and line breaks. Returns false with the error set on a malformed quote.
bool splitRecords(std::string_view text, std::vector<Record>& out, std::string& error) {
    int line = 1;
    size_t i = 0;
    while (i < text.size()) {
        Record rec;
        rec.line = line;
        std::string field;
        bool endOfRecord = false;
        while (!endOfRecord) {
            if (i < text.size() && text[i] == '"') {
                int quoteLine = line;
                ++i;
                for (;;) {
                    if (i >= text.size()) {
                        error =
                            "line " + std::to_string(quoteLine) + ": a quoted field is not closed";
                        return false;
                    }
                    char c = text[i++];
                    if (c == '"') {
                        if (i < text.size() && text[i] == '"') {
                            field.push_back('"');
                            ++i;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n') ++line;
                    field.push_back(c);
                }
                if (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r') {
                    error = "line " + std::to_string(line) + ": text after a closing quote";
                    return false;
                }
            }
            while (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r')
                field.push_back(text[i++]);
            rec.fields.push_back(std::move(field));
            field.clear();
            if (i < text.size() && text[i] == ',') {
                ++i;
                continue;
            }
            if (i < text.size() && text[i] == '\r') ++i;
            if (i < text.size() && text[i] == '\n') ++i;
            ++line;
            endOfRecord = true;
        }
        bool blank = rec.fields.size() == 1 && trimmed(rec.fields[0]).empty();
        if (!blank) out.push_back(std::move(rec));
    }
    return true;
}

}  // namespace

bool isValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

CsvResult parseDrugCsv(std::string_view bytes) {
    CsvResult result;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::string text;
    if (isValidUtf8(bytes))
        text.assign(bytes);
    else
        text = rx::text::gb18030ToUtf8(bytes).bytes;
    std::vector<Record> records;
    if (!splitRecords(text, records, result.error)) return result;
    if (records.empty()) {
        result.error = "line 1: the file is empty; expected the header 存货编码,存货名称,规格";
        return result;
    }
    int col[3] = {-1, -1, -1};
    static const char* const names[3] = {"存货编码", "存货名称", "规格"};
    const Record& header = records[0];
    for (size_t f = 0; f < header.fields.size(); ++f)
        for (int k = 0; k < 3; ++k)
            if (trimmed(header.fields[f]) == names[k]) col[k] = static_cast<int>(f);
    for (int k = 0; k < 3; ++k) {
        if (col[k] < 0) {
            result.error =
                "line " + std::to_string(header.line) + ": the header has no column " + names[k];
            return result;
        }
    }
    for (size_t r = 1; r < records.size(); ++r) {
        const Record& rec = records[r];
        std::string where = "line " + std::to_string(rec.line) + ": ";
        if (rec.fields.size() != header.fields.size()) {
            result.error = where + "expected " + std::to_string(header.fields.size()) +
                           " fields, found " + std::to_string(rec.fields.size());
            result.rows.clear();
            return result;
        }
        DrugRow row{trimmed(rec.fields[col[0]]), trimmed(rec.fields[col[1]]),
                    trimmed(rec.fields[col[2]]), rec.line};
        if (row.code.empty() || row.name.empty()) {
            result.error = where + (row.code.empty() ? "存货编码 is empty" : "存货名称 is empty");
            result.rows.clear();
            return result;
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}

}  // namespace rx::rxdb
