// EntryWindow's load, save, new visit and the buttons that open other windows.

#include "forms/entry/entry_window.h"

#include "app/program_directory.h"
#include "db/connection_texts.h"
#include "db/date_forms.h"
#include "db/statements.h"
#include "forms/entry/entry_texts.h"
#include "forms/entry/placeholder_windows.h"
#include "forms/slip_print/slip_print_window.h"
#include "platform/ui/message_box.h"
#include "platform/ui/report_list_view.h"
#include "platform/ui/whole_number_edit.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace rx {

using namespace entry_texts;

QString herbalPrescriptionText(const std::vector<QStringList>& rows) {
    QString text;
    for (const QStringList& row : rows)
        text += row.value(0) + row.value(1) + row.value(2) + QLatin1Char(',');
    return text;
}

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
    const QString folder = programDirectory();
    // A prescription database that cannot be opened shows later, as failed saves.
    外部数据库1.Open(db::prescriptionConnectionText(folder));
    if (!查询数据库连接.ConnectAccessFile(db::drugDatabasePath(folder), QString())) {
        ui::showMessage(kNoDrugDatabase, kInfoTitle, ui::MessageLook::Stop);
        ui::endProgram(0);
        return;
    }
    查询记录集.BindTo(查询数据库连接);
}

QString EntryWindow::firstMissingField() const {
    const std::pair<QString, const QString*> checks[] = {
        {编辑框_姓名->text(), &kAskName},        {组合框_性别->currentText(), &kAskSex},
        {编辑框_年龄->text(), &kAskAge},         {组合框_年龄单位->currentText(), &kAskAgeUnit},
        {编辑框_诊断->text(), &kAskDiagnosis},   {组合框_频率->currentText(), &kAskFrequency},
        {组合框_用法->currentText(), &kAskUsage}, {编辑框_现病史->toPlainText(), &kAskIllness}};
    for (const auto& [text, message] : checks)
        if (text.isEmpty()) return *message;
    return {};
}

std::array<QString, 16> EntryWindow::visitValues() const {
    return {编辑框_姓名->text(),
            组合框_性别->currentText(),
            编辑框_年龄->text(),
            组合框_年龄单位->currentText(),
            编辑框_住址->text(),
            编辑框_诊断->text(),
            db::dateToText(日期框1->date()),
            编辑框_处方号->text(),
            组合框_频率->currentText(),
            组合框_用法->currentText(),
            组合框_剂量单位->currentText(),
            编辑框_现病史->toPlainText(),
            编辑框_中药处方->toPlainText(),
            组合框_备注->currentText(),
            编辑框_备注2->text(),
            组合框_新纪录->currentText()};
}

void EntryWindow::OnSaveClicked() {
    编辑框_中药处方->setPlainText(QString());
    编辑框_处方号->setText(db::prescriptionNumber(QDateTime::currentDateTime()));
    if (const QString missing = firstMissingField(); !missing.isEmpty()) {
        ui::showMessage(missing, kFriendlyTitle, ui::MessageLook::Question);
        return;
    }
    std::vector<QStringList> rows;
    const int count = 超级列表框1->rowCount();
    for (int row = 0; row < count; ++row)
        rows.push_back({超级列表框1->cellText(row, 0), 超级列表框1->cellText(row, 1),
                        超级列表框1->cellText(row, 2)});
    编辑框_中药处方->setPlainText(herbalPrescriptionText(rows));
    if (编辑框_中药处方->toPlainText().isEmpty()) {
        ui::showMessage(kAskDrugs, kFriendlyTitle, ui::MessageLook::Question);
        return;
    }
    const bool saved = 外部数据库1.Execute(db::VisitInsert(visitValues()));
    ui::showMessage(saved ? kSaved : kSaveFailed, kInfoTitle, ui::MessageLook::Information);
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

void EntryWindow::OnExitClicked() { ui::endProgram(0); }

void EntryWindow::OnPrintClicked() {
    SlipPrintWindow window(*this);
    window.runModal();
}

void EntryWindow::OnQueryClicked() {
    if (queryWindow_) {
        // One query window at a time: a second click brings it to the front.
        queryWindow_->showNormal();
        queryWindow_->raise();
        queryWindow_->activateWindow();
        return;
    }
    // No owner: the query window may outlive this one.
    queryWindow_ = new QueryWindowPlaceholder;
    queryWindow_->setAttribute(Qt::WA_DeleteOnClose);
    queryWindow_->show();
}

void EntryWindow::OnPatientIndexClicked() {
    PatientIndexWindowPlaceholder window(this);
    window.runModal();
}

}  // namespace rx
