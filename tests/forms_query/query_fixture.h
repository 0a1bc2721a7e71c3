#pragma once
// QueryWindow on a temporary program directory with a real prescription
// database, rows put in through the real driver, message boxes recorded.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>

#include "db/connection_texts.h"
#include "db/odbc_connection.h"
#include "db/statements.h"
#include "forms/query/query_window.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/report_list_view.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_program.h"

namespace rx::test {

class QueryWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(dir_.createPrescriptionDatabase(&error)) << error;
        program_.fixClock(QDateTime(QDate(2024, 5, 3), QTime(10, 20, 30)));
    }

    void TearDown() override {
        // The window deletes itself on close; whatever a test left open goes too.
        QList<QPointer<QWidget>> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<ui::FixedWindow*>(w)) windows.push_back(w);
        for (const QPointer<QWidget>& w : windows) delete w.data();
    }

    // Opens the window as EntryWindow does: made, shown, active.
    QueryWindow& open() {
        window_ = new QueryWindow(program_.context());
        window_->show();
        QApplication::setActiveWindow(window_);
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_));
        return *window_;
    }

    // Runs a statement on the prescription database through a connection of its own.
    void execute(const QString& sql) {
        db::OdbcConnection connection;
        ASSERT_TRUE(connection.Open(db::prescriptionConnectionText(dir_.path())));
        ASSERT_TRUE(connection.Execute(sql)) << sql.toStdString();
    }

    // A saved visit of that name and 登记时间 (in any form the driver reads).
    void saveVisit(const QString& name, const QString& registered,
                   const QString& age = QStringLiteral("35")) {
        db::Visit v;
        v.name = name;
        v.sex = QStringLiteral("男");
        v.age = age;
        v.ageUnit = QStringLiteral("岁");
        v.address = QStringLiteral("禾川镇");
        v.diagnosis = QStringLiteral("感冒");
        v.registered = registered;
        v.prescriptionNumber = QStringLiteral("20240301093000");
        v.frequency = QStringLiteral("每天三次");
        v.usage = QStringLiteral("口服");
        v.doseUnit = QStringLiteral("g");
        v.presentIllness = QStringLiteral("咳嗽三天");
        v.herbalPrescription = QStringLiteral("当归10g,甘草6g,");
        v.remark = QStringLiteral("禾川1号");
        v.remark2 = QStringLiteral("复诊");
        v.newRecord = QStringLiteral("是");
        execute(db::VisitInsert(v));
    }

    void setRange(const QDate& start, const QDate& end) {
        window_->日期框1->setDateTime(start.startOfDay());
        window_->日期框2->setDateTime(end.startOfDay());
    }

    // Column c of every row of the query list, top to bottom.
    QStringList listColumn(int c) const {
        QStringList texts;
        for (int row = 0; row < window_->超级列表框1->rowCount(); ++row)
            texts.append(window_->超级列表框1->cellText(row, c));
        return texts;
    }

    void clickRow(int row) {
        ui::ReportListView* list = window_->超级列表框1;
        const QPoint at = list->visualRect(list->model()->index(row, 1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    void clickBelowTheRows() {
        QWidget* viewport = window_->超级列表框1->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(20, viewport->height() - 4));
    }

    TempProgramDir dir_;
    TestProgram program_{dir_.path()};
    QPointer<QueryWindow> window_;
};

}  // namespace rx::test
