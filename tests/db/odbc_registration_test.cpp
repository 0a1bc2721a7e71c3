#include "db/odbc_registration.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace rx::db {
namespace {

struct IniCase {
    const char* name;
    const char* content;
    bool defines;
};

void PrintTo(const IniCase& c, std::ostream* out) {
    *out << c.name;
}  // names, not bytes, in listings

class IniDefinesDsn : public testing::TestWithParam<IniCase> {};

TEST_P(IniDefinesDsn, FindsTheSectionWithADriver) {
    QTemporaryDir dir;
    const QString file = dir.filePath(u"odbc.ini"_s);
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(GetParam().content);
    out.close();
    EXPECT_EQ(iniDefinesDsn(file, u"MS ACCESS DATABASE"_s), GetParam().defines);
}

INSTANTIATE_TEST_SUITE_P(
    Files, IniDefinesDsn,
    testing::Values(
        IniCase{"Registered",
                "[MS ACCESS DATABASE]\nDriver = Microsoft Access Driver (*.mdb, *.accdb)\n", true},
        IniCase{"SectionNameInAnyCase", "[ms access database]\nDRIVER=/usr/lib/x.so\n", true},
        IniCase{"AfterOtherSections",
                "[ODBC Data Sources]\nx=y\n\n[Other]\nDriver=a\n[MS ACCESS DATABASE]\n"
                "Description=d\n Driver = d \n",
                true},
        IniCase{"OtherDsnOnly", "[Other]\nDriver=a\n", false},
        IniCase{"SectionWithoutDriver", "[MS ACCESS DATABASE]\nDescription=d\n[Other]\nDriver=a\n",
                false},
        IniCase{"EmptyDriver", "[MS ACCESS DATABASE]\nDriver=\n", false},
        IniCase{"DriverOfTheNextSectionDoesNotCount", "[MS ACCESS DATABASE]\n[Next]\nDriver=a\n",
                false},
        IniCase{"Empty", "", false}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(DsnResolves, EitherFileMayRegisterAndMissingFilesRegisterNothing) {
    QTemporaryDir dir;
    const QString registered = dir.filePath(u"registered.ini"_s);
    QFile out(registered);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("[MS ACCESS DATABASE]\nDriver=x\n");
    out.close();
    const QString missing = dir.filePath(u"missing.ini"_s);
    const QString dsn = u"MS ACCESS DATABASE"_s;
    EXPECT_TRUE(dsnResolves(dsn, {registered, missing}));
    EXPECT_TRUE(dsnResolves(dsn, {missing, registered}));
    EXPECT_FALSE(dsnResolves(dsn, {missing, missing}));
}

// Puts an environment variable back as it was when the test is done.
class SavedVariable {
public:
    explicit SavedVariable(const char* name)
        : name_(name), set_(qEnvironmentVariableIsSet(name)), value_(qgetenv(name)) {}
    ~SavedVariable() { set_ ? void(qputenv(name_, value_)) : void(qunsetenv(name_)); }

private:
    const char* name_;
    bool set_;
    QByteArray value_;
};

TEST(OdbcConfigFiles, FollowTheEnvironmentLikeTheDriverManager) {
    SavedVariable ini("ODBCINI"), sys("ODBCSYSINI");
    qputenv("ODBCINI", "/u/my.ini");
    qputenv("ODBCSYSINI", "/s");
    const OdbcConfigFiles set = currentOdbcConfigFiles();
    qunsetenv("ODBCINI");
    qunsetenv("ODBCSYSINI");
    const OdbcConfigFiles unset = currentOdbcConfigFiles();

    EXPECT_EQ(set.userIni, u"/u/my.ini"_s);
    EXPECT_EQ(set.systemIni, u"/s/odbc.ini"_s);
    EXPECT_TRUE(unset.userIni.endsWith(u"/.odbc.ini"_s));
    EXPECT_EQ(unset.systemIni, u"/etc/odbc.ini"_s);
}

}  // namespace
}  // namespace rx::db
