#pragma once
// EntryWindow on a temporary program directory with real database files,
// shown and active, with message boxes recorded and the end of the program
// observed instead of leaving the test.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextStream>
#include <memory>

#include "db/connection_texts.h"
#include "db/odbc_connection.h"
#include "db/value.h"
#include "forms/entry/entry_window.h"
#include "platform/ui/fixed_window.h"
#include "platform/ui/message_box.h"
#include "platform/ui/report_list_view.h"
#include "platform/ui/whole_number_edit.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_program.h"
#include "tests/support/typing.h"

namespace rx::test {

using Row = std::array<QString, 16>;

// The bundled sample catalogue (data/*.csv: 存货编码,存货名称,规格 with a title line).
inline std::vector<Drug> sampleDrugs(const char* file) {
    QFile csv(QStringLiteral(RX_SOURCE_DIR "/data/") + QString::fromLatin1(file));
    EXPECT_TRUE(csv.open(QIODevice::ReadOnly | QIODevice::Text)) << file;
    QTextStream in(&csv);
    in.readLine();
    std::vector<Drug> drugs;
    while (!in.atEnd()) {
        const QStringList cells = in.readLine().split(QLatin1Char(','));
        if (cells.size() < 3) continue;
        drugs.push_back({cells[0].toStdString(), cells[1].toStdString(), cells[2].toStdString()});
    }
    return drugs;
}

class EntryWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(dir_.createPrescriptionDatabase(&error)) << error;
        ASSERT_TRUE(dir_.createDrugDatabase(sampleDrugs("herbal_drugs.csv"),
                                            sampleDrugs("western_drugs.csv"), &error))
            << error;
    }

    void TearDown() override {
        window_.reset();
        // Guarded: deleting one window may take windows it owns with it.
        QList<QPointer<QWidget>> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<ui::FixedWindow*>(w)) windows.push_back(w);
        for (const QPointer<QWidget>& w : windows) delete w.data();
    }

    // Opens the window as the login does: created, shown, active.
    EntryWindow& open() {
        window_ = std::make_unique<EntryWindow>(program_.context());
        window_->show();
        QApplication::setActiveWindow(window_.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        return *window_;
    }

    void removeDataFile(const QString& name) {
        ASSERT_TRUE(QFile::remove(dir_.path() + QStringLiteral("/data/") + name));
    }

    static void typeInto(QWidget* control, const QString& text) {
        control->setFocus(Qt::TabFocusReason);
        if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->isEditable())
            control = combo->lineEdit();
        typeText(control, text);
    }

    static void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Chooses an item of a drop-down list from the keyboard: Home, then Down.
    static void choose(QComboBox* combo, int index) {
        combo->setFocus(Qt::TabFocusReason);
        QTest::keyClick(combo, Qt::Key_Home);
        for (int i = 0; i < index; ++i) QTest::keyClick(combo, Qt::Key_Down);
    }

    // The eight checked fields, typed as a doctor would.
    void fillRequired() {
        EntryWindow& w = *window_;
        typeInto(w.编辑框_姓名, QStringLiteral("张三"));
        typeInto(w.组合框_性别, QStringLiteral("男"));
        typeInto(w.编辑框_年龄, QStringLiteral("35"));
        typeInto(w.编辑框_诊断, QStringLiteral("感冒"));
        typeInto(w.编辑框_现病史, QStringLiteral("咳嗽三天"));
    }

    void addDrug(const QString& name, const QString& dose, const QString& unit) {
        window_->超级列表框1->insertRow(window_->超级列表框1->rowCount(),
                                        {name, dose, unit, QStringLiteral("口服")});
    }

    // Every row of 基本资料, positions 2 to 17 as the windows show them.
    std::vector<Row> savedRows() {
        db::OdbcConnection connection;
        EXPECT_TRUE(connection.Open(db::prescriptionConnectionText(dir_.path())));
        std::vector<Row> rows;
        const int handle = connection.Query(QStringLiteral("select * from 基本资料"));
        for (connection.MoveFirst(handle); !connection.AtEnd(handle); connection.MoveNext(handle)) {
            Row row;
            for (int i = 0; i < 16; ++i)
                row[i] = db::valueText(connection.ReadColumn(handle, i + 2));
            rows.push_back(row);
        }
        connection.CloseResult(handle);
        return rows;
    }

    std::vector<ui::ShownMessage> shown() const { return program_.shown(); }
    int endedWith() const { return program_.endedWith(); }

    TempProgramDir dir_;
    TestProgram program_{dir_.path()};
    std::unique_ptr<EntryWindow> window_;
};

}  // namespace rx::test
