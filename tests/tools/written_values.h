#pragma once
// What the Access fixtures hold, from written.jsonl (the values the writing
// library was given), and the check that an imported database holds exactly
// that, read back through the driver.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdlib>
#include <string>

#include "tests/drivers/odbc_client.h"

namespace rx::test {

inline std::string accessFixture(const std::string& name) {
    return std::string(RX_ACCESS_FIXTURES) + "/" + name;
}

// "0.1200" and "0.12" are the same amount.
inline std::string sameAmount(std::string s) {
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    return s;
}

// One value as the driver gave it (SQL_C_CHAR) against the JSON value of the
// given Access type; an empty string when they agree, else what differs.
inline std::string differs(const Cell& got, const QJsonValue& want, const std::string& type) {
    const std::string shown = got ? "\"" + *got + "\"" : "NULL";
    const std::string expected =
        QJsonDocument(QJsonArray{want}).toJson(QJsonDocument::Compact).toStdString();
    if (want.isNull()) return got ? shown + " instead of NULL" : "";
    if (!got) return "NULL instead of " + expected;
    bool same = false;
    if (type == "DOUBLE" || type == "FLOAT")
        same = std::strtod(got->c_str(), nullptr) == want.toDouble();
    else if (type == "MONEY")
        same = sameAmount(*got) == sameAmount(want.toString().toStdString());
    else if (type == "BOOLEAN")
        same = (*got != "0") == want.toBool();
    else if (type == "LONG" || type == "INT" || type == "BYTE")
        same = *got == std::to_string(want.toInteger());
    else
        same = *got == want.toString().toStdString();
    return same ? "" : shown + " instead of " + expected;
}

// Every row of written.jsonl for the fixture file (sj.accdb or xs.mdb), found
// by its AutoNumber in the imported table and compared value by value.
inline void expectEveryWrittenValue(OdbcConnection& c, const std::string& file) {
    QFile jsonl(QString::fromStdString(accessFixture("written.jsonl")));
    ASSERT_TRUE(jsonl.open(QIODevice::ReadOnly));
    int checked = 0;
    while (!jsonl.atEnd()) {
        const QJsonObject line = QJsonDocument::fromJson(jsonl.readLine()).object();
        if (line[QStringLiteral("file")].toString().toStdString() != file) continue;
        const std::string table = line[QStringLiteral("table")].toString().toStdString();
        const QJsonArray cols = line[QStringLiteral("cols")].toArray(),
                         values = line[QStringLiteral("values")].toArray();
        const std::string row = std::to_string(line[QStringLiteral("row")].toInt());
        Rows rows = c.query("select * from [" + table + "] where 编号 = " + row);
        ASSERT_EQ(rows.size(), 1u) << table << " row " << row;
        ASSERT_EQ(rows[0].size(), static_cast<size_t>(cols.size())) << table;
        for (qsizetype i = 0; i < cols.size(); ++i) {
            const QJsonArray col = cols[i].toArray();
            EXPECT_EQ(differs(rows[0][i], values[i], col[1].toString().toStdString()), "")
                << table << " row " << row << " " << col[0].toString().toStdString();
            ++checked;
        }
    }
    // 基本资料 22×17 + 检索 11×5, or 仓库 20×9 + 西药 11×9.
    EXPECT_EQ(checked, file == "sj.accdb" ? 22 * 17 + 11 * 5 : 31 * 9);
}

}  // namespace rx::test
