// Which data sources keep which files on a server: the PG* keys of the DSN's
// section, then of the driver's section, and PGFiles, read from a fixed set
// of ini sections.

#include "platform/access_values/server_settings.h"

#include <gtest/gtest.h>

#include <map>

namespace rx::access {
namespace {

using Sections = std::map<std::string, std::map<std::string, std::string>>;  // "file/section"

struct Case {
    const char* name;
    Sections ini;
    const char* dsn;
    const char* driver;  // DRIVER= of the connection text
    const char* dbq;
    const char* location;  // nullptr: the local file
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

const Sections kClinic = {
    {"odbc.ini/MS ACCESS DATABASE", {{"Driver", "Access"}, {"PGService", "clinic"}}}};

class Settings : public ::testing::TestWithParam<Case> {};

TEST_P(Settings, NameTheServerOrLeaveTheFile) {
    const Case& c = GetParam();
    auto read = [&](const std::string& section, const char* key, const char* file) {
        auto s = c.ini.find(std::string(file) + "/" + section);
        if (s == c.ini.end()) return std::string();
        auto v = s->second.find(key);
        return v == s->second.end() ? std::string() : v->second;
    };
    std::optional<ServerSettings> s = serverSettings(c.dsn, c.driver, c.dbq, read);
    if (!c.location) {
        EXPECT_FALSE(s) << s->location;
        return;
    }
    ASSERT_TRUE(s);
    EXPECT_EQ(s->location, c.location);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Settings,
    ::testing::Values(
        Case{"NoKeysKeepTheFile",
             {{"odbc.ini/MS ACCESS DATABASE", {{"DBQ", "/d/sj.accdb"}}}},
             "MS ACCESS DATABASE",
             "",
             "/d/sj.accdb",
             nullptr},
        Case{"ServiceTakesThePrescriptions", kClinic, "MS ACCESS DATABASE", "", "/d/sj.accdb",
             "PostgreSQL service=clinic"},
        Case{"FileNamesIgnoreCaseAndFolder", kClinic, "MS ACCESS DATABASE", "",
             "C:\\rx\\data\\SJ.ACCDB", "PostgreSQL service=clinic"},
        Case{"TheCatalogueStaysLocal", kClinic, "MS ACCESS DATABASE", "", "/d/xs.mdb", nullptr},
        Case{"PGFilesListsTheCatalogueToo",
             {{"odbc.ini/D", {{"PGHost", "10.0.0.5"}, {"PGFiles", "sj.accdb, xs.mdb"}}}},
             "D",
             "",
             "/d/xs.mdb",
             "PostgreSQL host=10.0.0.5"},
        Case{"AFullPathNamesOneFile",
             {{"odbc.ini/D", {{"PGDatabase", "rx"}, {"PGFiles", "/a/sj.accdb"}}}},
             "D",
             "",
             "/b/sj.accdb",
             nullptr},
        Case{"ThePasswordIsNeverShown",
             {{"odbc.ini/D",
               {{"PGHost", "h"}, {"PGPort", "6000"}, {"PGUser", "rx"}, {"PGPassword", "secret"}}}},
             "D",
             "",
             "",
             "PostgreSQL host=h port=6000 user=rx"},
        Case{"PortAndUserAloneNameNoServer",
             {{"odbc.ini/D", {{"PGPort", "6000"}}}},
             "D",
             "",
             "/d/sj.accdb",
             nullptr},
        Case{"TheDriversSectionServesEveryDsn",
             {{"odbc.ini/D", {{"Driver", "Access"}}},
              {"odbcinst.ini/Access", {{"PGHost", "srv"}, {"PGDatabase", "rx"}}}},
             "D",
             "",
             "/d/sj.accdb",
             "PostgreSQL host=srv dbname=rx"},
        Case{"TheDsnsKeyWinsOverTheDrivers",
             {{"odbc.ini/D", {{"Driver", "Access"}, {"PGDatabase", "room"}}},
              {"odbcinst.ini/Access", {{"PGHost", "srv"}, {"PGDatabase", "rx"}}}},
             "D",
             "",
             "/d/sj.accdb",
             "PostgreSQL host=srv dbname=room"},
        Case{"ATextWithoutDsnOpensItsFile",
             {{"odbcinst.ini/Access", {{"PGService", "clinic"}}}},
             "",
             "Access",
             "/d/sj.accdb",
             nullptr}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace rx::access
