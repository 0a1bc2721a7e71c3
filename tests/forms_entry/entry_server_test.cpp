// The entry and query windows on a data source that names a server: a visit
// saved in one workstation is found by another's query window; while the
// server is down a save fails as any failed save does and the lists stay
// empty, and once it is back the next save goes through, once.

#include <atomic>
#include <chrono>
#include <thread>

#include "forms/query/query_window.h"
#include "tests/forms_entry/entry_fixture.h"
#include "tests/support/test_server.h"
#include "tools/rxdb/rxdb.h"

using namespace Qt::Literals::StringLiterals;

namespace rx::test {
namespace {

class EntryOnServer : public EntryWindowTest {
protected:
    void SetUp() override {
        RX_REQUIRE_CLUSTER(cluster_);
        EntryWindowTest::SetUp();
        // The drug catalogue stays the local file; the visits go to the server.
        dir_.setDataSourceKeys(cluster_.dataSourceKeys() + "PGStatementTimeout = 2\n");
        rxdb::Status s =
            rxdb::createPrescriptionTables(TempProgramDir::dataSourceName().toStdString(),
                                           dir_.prescriptionDatabasePath().toStdString());
        ASSERT_TRUE(s) << s.message;
        const QDateTime now(QDate(2024, 3, 5), QTime(9, 30, 12));
        program_.fixClock(now);
        room2_.fixClock(now);
    }
    int found(QueryWindow& query) {
        click(query.按钮_查询);
        return query.超级列表框1->rowCount();
    }

    PrivateCluster cluster_;
    TestProgram room2_{dir_.path()};  // the second consulting room's workstation
};

TEST_F(EntryOnServer, AVisitSavedInOneRoomIsFoundInAnotherAndSurvivesTheServerGoingDown) {
    EntryWindow& entry = open();
    fillRequired();
    addDrug(u"当归"_s, u"10"_s, u"g"_s);
    click(entry.按钮_保存);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, u"添加资料成功"_s);

    auto* query = new QueryWindow(room2_.context());
    query->show();
    EXPECT_EQ(found(*query), 1);

    ASSERT_TRUE(cluster_.pause());
    program_.clearShown();
    click(entry.按钮_保存);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, u"添加资料失败"_s);
    EXPECT_EQ(found(*query), 0);
    EXPECT_EQ(endedWith(), -1);

    ASSERT_TRUE(cluster_.resume());
    program_.clearShown();
    click(entry.按钮_保存);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, u"添加资料成功"_s);
    EXPECT_EQ(found(*query), 2);
    EXPECT_EQ(savedRows().size(), 2u);
    delete query;
}

// A hung server (every process stopped): the save fails within the data
// source's two-second bound, not when the server comes back, with the
// program's own message; the window stays usable and the save after the
// server is back goes through, once.
TEST_F(EntryOnServer, ASaveAgainstAHungServerFailsInTimeAndTheWindowGoesOn) {
    EntryWindow& entry = open();
    fillRequired();
    addDrug(u"当归"_s, u"10"_s, u"g"_s);
    ASSERT_TRUE(cluster_.freeze());
    std::atomic<bool> returned{false}, thawedByWatchdog{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 600 && !returned; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!returned) thawedByWatchdog = cluster_.thaw();
    });
    click(entry.按钮_保存);
    returned = true;
    watchdog.join();
    EXPECT_FALSE(thawedByWatchdog) << "the save waited for the server to come back";
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, u"添加资料失败"_s);

    if (!thawedByWatchdog) {
        ASSERT_TRUE(cluster_.thaw());
    }
    program_.clearShown();
    click(entry.按钮_保存);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, u"添加资料成功"_s);
    EXPECT_EQ(savedRows().size(), 1u);
}

}  // namespace
}  // namespace rx::test
