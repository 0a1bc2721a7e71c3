// EntryWindow's load, save, new visit and the buttons that open other windows.

#include "forms/entry/entry_window.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "db/connection_texts.h"
#include "db/date_forms.h"
#include "db/statements.h"
#include "forms/entry/entry_texts.h"
#include "forms/patient_index/patient_index_window.h"
#include "forms/query/query_window.h"
#include "forms/slip_print/slip_print_window.h"
#include "platform/ui/message_box.h"
#include "platform/ui/report_list_view.h"
#include "platform/ui/whole_number_edit.h"

namespace rx {

using namespace entry_texts;

EntryWindow::~EntryWindow() = default;

void EntryWindow::wireHandlers() {
    connect(按钮_保存, &QPushButton::clicked, this, [this] { OnSaveClicked(); });
    connect(按钮_接诊, &QPushButton::clicked, this, [this] { OnNewVisitClicked(); });
    connect(按钮_退出, &QPushButton::clicked, this, [this] { OnExitClicked(); });
    connect(按钮_打印, &QPushButton::clicked, this, [this] { OnPrintClicked(); });
    connect(按钮_处方查询, &QPushButton::clicked, this, [this] { OnQueryClicked(); });
    connect(按钮2, &QPushButton::clicked, this, [this] { OnPatientIndexClicked(); });
    // 按钮3 has no action.
}

void EntryWindow::OnCreated() {
    const QString& folder = context_.directory();
    // A prescription database that cannot be opened shows later, as failed saves.
    外部数据库1.Open(db::prescriptionConnectionText(folder));
    if (!查询数据库连接.ConnectAccessFile(db::drugDatabasePath(folder), QString())) {
        context_.showMessage(kNoDrugDatabase, kInfoTitle, ui::MessageLook::Stop);
        context_.endProgram(0);
        return;
    }
    查询记录集.BindTo(查询数据库连接);
}

QString EntryWindow::firstMissingField() const {
    const std::pair<QString, const QString*> checks[] = {
        {编辑框_姓名->text(), &kAskName},         {组合框_性别->currentText(), &kAskSex},
        {编辑框_年龄->text(), &kAskAge},          {组合框_年龄单位->currentText(), &kAskAgeUnit},
        {编辑框_诊断->text(), &kAskDiagnosis},    {组合框_频率->currentText(), &kAskFrequency},
        {组合框_用法->currentText(), &kAskUsage}, {编辑框_现病史->toPlainText(), &kAskIllness}};
    for (const auto& [text, message] : checks)
        if (text.isEmpty()) return *message;
    return {};
}

std::vector<db::DrugLine> EntryWindow::drugLines() const {
    std::vector<db::DrugLine> lines;
    const int count = 超级列表框1->rowCount();
    for (int row = 0; row < count; ++row)
        lines.push_back({超级列表框1->cellText(row, 0), 超级列表框1->cellText(row, 1),
                         超级列表框1->cellText(row, 2), 超级列表框1->cellText(row, 3)});
    return lines;
}

db::Visit EntryWindow::currentVisit() const {
    db::Visit v;
    v.name = 编辑框_姓名->text();
    v.sex = 组合框_性别->currentText();
    v.age = 编辑框_年龄->text();
    v.ageUnit = 组合框_年龄单位->currentText();
    v.address = 编辑框_住址->text();
    v.diagnosis = 编辑框_诊断->text();
    v.registered = db::dateToText(日期框1->date());
    v.prescriptionNumber = 编辑框_处方号->text();
    v.frequency = 组合框_频率->currentText();
    v.usage = 组合框_用法->currentText();
    v.doseUnit = 组合框_剂量单位->currentText();
    v.presentIllness = 编辑框_现病史->toPlainText();
    v.herbalPrescription = 编辑框_中药处方->toPlainText();
    v.remark = 组合框_备注->currentText();
    v.remark2 = 编辑框_备注2->text();
    v.newRecord = 组合框_新纪录->currentText();
    v.drugs = drugLines();
    return v;
}

void EntryWindow::OnSaveClicked() {
    编辑框_中药处方->setPlainText(QString());
    编辑框_处方号->setText(db::prescriptionNumber(context_.now()));
    if (const QString missing = firstMissingField(); !missing.isEmpty()) {
        context_.showMessage(missing, kFriendlyTitle, ui::MessageLook::Question);
        return;
    }
    编辑框_中药处方->setPlainText(db::herbalPrescriptionText(drugLines()));
    if (编辑框_中药处方->toPlainText().isEmpty()) {
        context_.showMessage(kAskDrugs, kFriendlyTitle, ui::MessageLook::Question);
        return;
    }
    const bool saved = 外部数据库1.Execute(db::VisitInsert(currentVisit()));
    if (!saved)
        db::logFailure(QStringLiteral("Saving the visit into 基本资料"), 外部数据库1.lastError());
    context_.showMessage(saved ? kSaved : kSaveFailed, kInfoTitle, ui::MessageLook::Information);
}

void EntryWindow::OnNewVisitClicked() {
    超级列表框1->deleteAllRows();
    编辑框_姓名->clear();
    组合框_性别->clearEditText();
    编辑框_年龄->clear();
    组合框_年龄单位->setCurrentIndex(-1);
    编辑框_住址->clear();
    编辑框_诊断->clear();
    编辑框_处方号->clear();
    编辑框_选择药品->clear();
    组合框_频率->setCurrentIndex(-1);
    组合框_用法->setCurrentIndex(-1);
    编辑框_用量->clear();
    编辑框_现病史->clear();
    编辑框_中药处方->clear();
    编辑框_备注2->clear();
    组合框_备注->clearEditText();
}

void EntryWindow::OnExitClicked() {
    context_.endProgram(0);
}

void EntryWindow::OnPrintClicked() {
    // What is printed is what the form shows at this click.
    SlipPrintWindow window(context_, currentVisit(), this);
    window.runModal();
}

void EntryWindow::OnQueryClicked() {
    if (queryWindow_) {
        // One query window at a time: a second click brings it to the front,
        // out of the task bar if it was minimised.
        queryWindow_->setWindowState(queryWindow_->windowState() & ~Qt::WindowMinimized);
        queryWindow_->show();
        queryWindow_->raise();
        queryWindow_->activateWindow();
        return;
    }
    // No owner: the query window may outlive this one. Closing destroys it.
    queryWindow_ = new QueryWindow(context_);
    queryWindow_->show();
}

void EntryWindow::OnPatientIndexClicked() {
    // A fresh window, with its own connection and an empty list, each time.
    PatientIndexWindow window(context_, this);
    window.runModal();
}

}  // namespace rx
