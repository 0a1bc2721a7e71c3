// PatientIndexWindow's behaviour: the connection, the initials of the name,
// adding a row from the button or the Enter chain, and the search.

#include "forms/patient_index/patient_index_window.h"

#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <utility>

#include "db/connection_texts.h"
#include "db/date_forms.h"
#include "db/read_loop.h"
#include "db/statements.h"
#include "forms/patient_index/pinyin_initials.h"
#include "platform/host/host_import.h"
#include "platform/text/qt_text.h"
#include "platform/ui/key_codes.h"
#include "platform/ui/message_box.h"
#include "platform/ui/report_list_view.h"

namespace rx {
namespace {

// The messages of the entry and the search; the captions are in the layout table.
const QString kInfoTitle = QStringLiteral("提示信息");
const QString kNameRequired = QStringLiteral("姓名不能为空");
const QString kAdded = QStringLiteral("添加资料成功");
const QString kAddFailed = QStringLiteral("添加资料失败");
const QString kCheckDates = QStringLiteral("请注意开始日期和结束日期！");

// The text of a value that often repeats the one before it: rows come ordered
// by 时间, so most share their date with the previous row and its text is made
// once and shared.
class RepeatedText {
public:
    const QString& of(db::Value value) {
        if (!made_ || value != last_) {
            text_ = db::valueText(value);
            last_ = std::move(value);
            made_ = true;
        }
        return text_;
    }

private:
    bool made_ = false;
    db::Value last_;
    QString text_;
};

}  // namespace

PatientIndexWindow::~PatientIndexWindow() = default;

void PatientIndexWindow::wireHandlers() {
    connect(编辑框_姓名, &QLineEdit::textChanged, this,
            [this](const QString& name) { OnIndexNameChanged(name); });
    connect(按钮1, &QPushButton::clicked, this, [this] { OnAddClicked(); });
    connect(按钮2, &QPushButton::clicked, this, [this] { OnSearchClicked(); });
    if (按钮_快捷) connect(按钮_快捷, &QPushButton::clicked, this, [this] { OnQuickButton(); });
    wireEnterKeys();
}

// The one place that knows which Enter keys act: the two builds differ here
// and nowhere else in this window.
void PatientIndexWindow::wireEnterKeys() {
    ui::onKeyDown(编辑框_姓名, [this](int key) { return OnIndexNameKeyDown(key); });
    // In the host-linked build Enter in the complaint only starts a new line.
    if (!context_.hostLinked())
        ui::onKeyDown(编辑框_主诉, [this](int key) { return OnComplaintKeyDown(key); });
}

void PatientIndexWindow::OnCreated() {
    // A database that cannot be opened shows later, as failed adds and empty lists.
    外部数据库1.Open(db::prescriptionConnectionText(context_.directory()));
    超级列表框1->deleteAllRows();
    const std::pair<QString, int> columns[] = {{QStringLiteral("姓名"), 80},
                                               {QStringLiteral("就诊时间"), 140},
                                               {QStringLiteral("主诉"), 400}};
    for (const auto& [title, width] : columns)
        超级列表框1->addColumn(title, width, ui::ColumnAlign::Centre);
}

bool PatientIndexWindow::OnIndexNameKeyDown(int key) {
    if (key != ui::vk::Return) return false;
    if (context_.hostLinked()) {
        // The patient came from the host frame: Enter saves at once and the name
        // (and with it the initials) is emptied; the complaint and focus stay.
        OnAddClicked();
        编辑框_姓名->clear();
        return true;
    }
    编辑框_主诉->setFocus(Qt::OtherFocusReason);
    return true;
}

// Every change of the name, typed or set, rebuilds the initials and so throws
// away whatever was typed into 编辑框2 by hand.
void PatientIndexWindow::OnIndexNameChanged(const QString& name) {
    编辑框2->setText(patient_index::pinyinInitials(name));
}

bool PatientIndexWindow::OnComplaintKeyDown(int key) {
    if (key != ui::vk::Return) return false;
    OnAddClicked();
    // Emptied whatever the add gave, so that the next patient starts afresh;
    // 日期框1 keeps its date for a run of patients of one day.
    编辑框_姓名->clear();
    编辑框_主诉->clear();
    编辑框_姓名->setFocus(Qt::OtherFocusReason);
    return true;  // no line break: the box has just been emptied
}

void PatientIndexWindow::OnAddClicked() {
    const QString name = 编辑框_姓名->text();
    if (name.isEmpty()) {
        context_.showMessage(kNameRequired, kInfoTitle, ui::MessageLook::Information);
        return;
    }
    const QString sql = db::IndexInsert(name, db::dateToText(日期框1->date()),
                                        编辑框_主诉->toPlainText(), 编辑框2->text());
    const bool added = 外部数据库1.Execute(sql);
    if (!added)
        db::logFailure(QStringLiteral("Adding the patient into 检索"), 外部数据库1.lastError());
    context_.showMessage(added ? kAdded : kAddFailed, kInfoTitle, ui::MessageLook::Information);
}

void PatientIndexWindow::OnQuickButton() {
    // No message: without the frame the boxes get the spaces the reads give.
    const host::HostPatient patient = host::readHostPatient(context_.host());
    编辑框_姓名->setText(rx::text::fromGb18030(QByteArray::fromStdString(patient.name)));
    编辑框_主诉->setPlainText(rx::text::fromGb18030(QByteArray::fromStdString(patient.complaint)));
}

void PatientIndexWindow::OnSearchClicked() {
    if (db::endBeforeStart(日期框2->dateTime(), 日期框3->dateTime())) {
        context_.showMessage(kCheckDates);
        return;
    }
    超级列表框1->deleteAllRows();
    const QString sql = db::IndexSearch(日期框2->date(), 日期框3->date(), 编辑框_检索姓名->text());
    ui::ReportListView& list = *超级列表框1;
    const ui::ReportListView::BulkUpdate bulk(list);
    // Newest first from the database, each put at the top: the oldest visit
    // ends first in the list.
    RepeatedText visitTime;
    const bool whole = db::readAll(外部数据库1, sql, [&](int handle) {
        list.insertRow(0, {db::valueText(外部数据库1.ReadColumn(handle, 2)),
                           visitTime.of(外部数据库1.ReadColumn(handle, 3)),
                           db::valueText(外部数据库1.ReadColumn(handle, 4))});
    });
    // A result that broke off part way would be a list that looks whole and is not.
    if (!whole) list.deleteAllRows();
}

}  // namespace rx
