// The drug lookup and the prescription's drug list of EntryWindow: search
// codes, the result list, the pick, and the rows of 超级列表框1.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <optional>

#include "db/read_loop.h"
#include "db/statements.h"
#include "forms/entry/entry_texts.h"
#include "forms/entry/entry_window.h"
#include "platform/ui/key_codes.h"
#include "platform/ui/message_box.h"
#include "platform/ui/report_list_view.h"
#include "platform/ui/whole_number_edit.h"

namespace rx {

using namespace entry_texts;

namespace {
// A result row shows the drug name and carries its 规格 in a cell of its own.
constexpr int kNameCell = 0;
constexpr int kPackingCell = 1;
}  // namespace

void EntryWindow::wireLookupHandlers() {
    connect(编辑框_选择药品, &QLineEdit::textChanged, this,
            [this](const QString& text) { OnHerbalCodeChanged(text); });
    // The host-linked build has no western lookup: typing there sends nothing.
    if (!context_.hostLinked())
        connect(编辑框_西药, &QLineEdit::textChanged, this,
                [this](const QString& text) { OnWesternCodeChanged(text); });
    ui::onKeyDown(编辑框_选择药品, [this](int key) { return OnHerbalCodeKeyDown(key); });
    ui::onKeyDown(查询列表框, [this](int key) { return OnResultKeyDown(key); });
    ui::onKeyDown(编辑框_用量, [this](int key) { return OnDoseKeyDown(key); });
    ui::onKeyDown(按钮1, [this](int key) { return OnInsertKeyDown(key); });
    connect(按钮1, &QPushButton::clicked, this, [this] { OnInsertClicked(); });
    connect(按钮_清除, &QPushButton::clicked, this, [this] { OnClearCodesClicked(); });
    connect(超级列表框1, &ui::ReportListView::rightClicked, this,
            [this](int row) { OnDrugListRightClick(row); });
    connect(超级列表框1, &ui::ReportListView::rowActivated, this,
            [this](int row) { OnDrugListItemActivated(row); });
    connect(单选框1, &QRadioButton::clicked, this, [this] { OnHerbalModeClicked(); });
    connect(单选框2, &QRadioButton::clicked, this, [this] { OnWesternModeClicked(); });
    // The window opens in herbal mode, the mode every other action addresses.
    单选框1->setChecked(true);
    showHerbalPair(true);
}

void EntryWindow::OnHerbalCodeChanged(const QString& text) {
    if (!text.isEmpty()) lookup(db::HerbalLookup(text));
}

void EntryWindow::OnWesternCodeChanged(const QString& text) {
    if (!text.isEmpty()) lookup(db::WesternLookup(text));
}

void EntryWindow::lookup(const QString& sql) {
    // The list is emptied only once the query has opened, so that a lookup that
    // cannot open leaves it as it was; one sort after all rows are in.
    std::optional<ui::ReportListView::BulkUpdate> bulk;
    int nameColumn = -1;
    int packingColumn = -1;
    auto startList = [&](db::DrugRecordset& records) {
        nameColumn = records.ColumnIndex(QStringLiteral("存货名称"));
        packingColumn = records.ColumnIndex(QStringLiteral("规格"));
        bulk.emplace(*查询列表框);
        查询列表框->deleteAllRows();
    };
    QString name, packing;  // a 规格 like the last row's is shared, not copied
    const bool opened = db::readAll(查询记录集, sql, [&](db::DrugRecordset& records) {
        if (!bulk) startList(records);
        records.ReadText(nameColumn, name);
        records.ReadText(packingColumn, packing);
        查询列表框->insertRow(查询列表框->rowCount(), {name, packing});
    });
    if (!opened) {
        // Rows read before a read error are not the result: show none of them,
        // and finish the update before the box's own event loop paints the list.
        if (bulk) 查询列表框->deleteAllRows();
        bulk.reset();
        db::logFailure(QStringLiteral("The drug lookup"), 查询记录集.lastError());
        context_.showMessage(kLookupFailed, kLookupFailedTitle, ui::MessageLook::None);
        // Closed for good: every later lookup of this window fails the same way.
        查询数据库连接.Close();
        return;
    }
    if (!bulk) startList(查询记录集);
}

bool EntryWindow::OnHerbalCodeKeyDown(int key) {
    if (key != ui::vk::Down) return false;
    查询列表框->setFocus(Qt::OtherFocusReason);
    return true;
}

bool EntryWindow::OnResultKeyDown(int key) {
    if (key != ui::vk::Return) return false;
    const int row = 查询列表框->selectedRow();
    编辑框_药品名称->setText(row < 0 ? QString() : 查询列表框->cellText(row, kNameCell));
    // The unit follows the drug's 规格 only where the list offers exactly that unit.
    if (row >= 0) {
        const int unit = 组合框_剂量单位->findText(查询列表框->cellText(row, kPackingCell));
        if (unit >= 0) 组合框_剂量单位->setCurrentIndex(unit);
    }
    编辑框_用量->setFocus(Qt::OtherFocusReason);
    return true;
}

bool EntryWindow::OnDoseKeyDown(int key) {
    if (key != ui::vk::Return) return false;
    按钮1->setFocus(Qt::OtherFocusReason);
    return true;
}

QStringList EntryWindow::formDrugRow() const {
    return {编辑框_药品名称->text(), 编辑框_用量->text(), 组合框_剂量单位->currentText(),
            组合框_用法->currentText()};
}

void EntryWindow::OnInsertClicked() {
    超级列表框1->insertRow(超级列表框1->rowCount(), formDrugRow());
}

bool EntryWindow::OnInsertKeyDown(int key) {
    if (key != ui::vk::Return) return false;
    OnInsertClicked();
    OnClearCodesClicked();
    return true;
}

void EntryWindow::OnClearCodesClicked() {
    编辑框_选择药品->clear();
    编辑框_用量->clear();
    // A hidden box cannot take the focus, and keys typed into it would run herbal
    // lookups unseen; in western mode typing goes on in the visible search box.
    // isHidden, not isVisible: the mode decides, not whether the window is shown.
    QLineEdit* search = 编辑框_选择药品->isHidden() ? 编辑框_西药 : 编辑框_选择药品;
    search->setFocus(Qt::OtherFocusReason);
}

void EntryWindow::OnDrugListRightClick(int) {
    const int row = 超级列表框1->selectedRow();
    if (row >= 0) 超级列表框1->deleteRow(row);
}

void EntryWindow::OnDrugListItemActivated(int row) {
    // The drug on the form goes in before the activated row, with the same four
    // cells as Insert.
    超级列表框1->insertRow(row < 0 ? 超级列表框1->rowCount() : row, formDrugRow());
}

void EntryWindow::OnHerbalModeClicked() {
    showHerbalPair(true);
}

void EntryWindow::OnWesternModeClicked() {
    showHerbalPair(false);
}

void EntryWindow::showHerbalPair(bool herbal) {
    标签_选择药品->setVisible(herbal);
    编辑框_选择药品->setVisible(herbal);
    标签_西药->setVisible(!herbal);
    编辑框_西药->setVisible(!herbal);
}

}  // namespace rx
