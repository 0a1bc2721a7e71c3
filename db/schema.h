#pragma once
// The program's tables as the database files and the server keep them, once:
// every column in its position (the program reads 基本资料 and 检索 by
// position, so the order is part of the schema), the kind of value the
// program expects there and the Access type it is created with. The
// statements, the query list, rxdb's create, the importer's checks and the
// benchmarks all take their names from here. Plain UTF-8, no Qt, so that the
// tools use it as they are.

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace rx::db::schema {

// What the program expects to read back; an imported file may use any Access
// type of that kind.
enum class Kind { Counter, Text, Number, DateTime };

struct Column {
    std::string_view name;
    Kind kind;
    std::string_view accessType;  // as CREATE TABLE gives it
};

struct Table {
    std::string_view name;
    std::span<const Column> columns;  // position 1 first

    // The column at a 1-based position, as the program counts them.
    constexpr const Column& at(int position) const { return columns[std::size_t(position - 1)]; }
};

inline constexpr Column kNumbering{"编号", Kind::Counter, "COUNTER PRIMARY KEY"};

inline constexpr std::array<Column, 17> kVisitColumns{{
    kNumbering,
    {"姓名", Kind::Text, "LONGTEXT"},
    {"性别", Kind::Text, "LONGTEXT"},
    {"年龄", Kind::Number, "DOUBLE"},
    {"年龄单位", Kind::Text, "LONGTEXT"},
    {"住址", Kind::Text, "LONGTEXT"},
    {"诊断", Kind::Text, "LONGTEXT"},
    {"登记时间", Kind::DateTime, "DATETIME"},
    {"处方号", Kind::Text, "LONGTEXT"},
    {"频率", Kind::Text, "LONGTEXT"},
    {"用法", Kind::Text, "LONGTEXT"},
    {"用量单位", Kind::Text, "LONGTEXT"},
    {"现病史", Kind::Text, "LONGTEXT"},
    {"中药处方", Kind::Text, "LONGTEXT"},
    {"备注", Kind::Text, "LONGTEXT"},
    {"备注2", Kind::Text, "LONGTEXT"},
    {"记录", Kind::Text, "LONGTEXT"},
}};

inline constexpr std::array<Column, 5> kIndexColumns{{
    kNumbering,
    {"姓名", Kind::Text, "LONGTEXT"},
    {"时间", Kind::DateTime, "DATETIME"},
    {"主诉", Kind::Text, "LONGTEXT"},
    {"首拼", Kind::Text, "LONGTEXT"},
}};

// Both drug tables have these; the lookups read them by name.
inline constexpr std::array<Column, 4> kDrugColumns{{
    kNumbering,
    {"存货编码", Kind::Text, "TEXT(50) NOT NULL"},
    {"存货名称", Kind::Text, "TEXT(255) NOT NULL"},
    {"规格", Kind::Text, "TEXT(255)"},
}};

// 基本资料: one row per saved visit, in sj.accdb.
inline constexpr Table kVisits{"基本资料", kVisitColumns};
// 检索: one row per patient index entry, in sj.accdb.
inline constexpr Table kIndex{"检索", kIndexColumns};
// 仓库 (herbal) and 西药 (western): the drug catalogue, in xs.mdb.
inline constexpr Table kHerbalDrugs{"仓库", kDrugColumns};
inline constexpr Table kWesternDrugs{"西药", kDrugColumns};

// Positions the statements name.
inline constexpr int kNamePosition = 2;        // 姓名, in both prescription tables
inline constexpr int kRegisteredPosition = 8;  // 登记时间 of 基本资料
inline constexpr int kIndexTimePosition = 3;   // 时间 of 检索
inline constexpr int kCodePosition = 2;        // 存货编码 of the drug tables

// The columns after the numbering one, joined by sep: what an INSERT names.
inline std::string columnList(const Table& table, std::string_view sep) {
    std::string out;
    for (const Column& c : table.columns.subspan(1)) {
        if (!out.empty()) out += sep;
        out += c.name;
    }
    return out;
}

// "CREATE TABLE 基本资料 (编号 COUNTER PRIMARY KEY, 姓名 LONGTEXT, ...)".
inline std::string createStatement(const Table& table) {
    std::string out = "CREATE TABLE " + std::string(table.name) + " (";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (i > 0) out += ", ";
        out += std::string(table.columns[i].name) + " " + std::string(table.columns[i].accessType);
    }
    return out + ")";
}

}  // namespace rx::db::schema
