// QueryWindow's load, query, detail, print and exit.

#include "forms/query/query_window.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "db/connection_texts.h"
#include "db/date_forms.h"
#include "db/odbc_error.h"
#include "db/read_loop.h"
#include "db/statements.h"
#include "forms/print/query_fill.h"
#include "forms/query/query_columns.h"
#include "forms/query_print/query_print_window.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/report_list_view.h"

namespace rx {
namespace {

// Its only message; its captions are in its layout table.
const QString kCheckDates = QStringLiteral("请注意开始日期和结束日期！");

QString boxText(const QWidget* box) {
    if (const auto* line = qobject_cast<const QLineEdit*>(box)) return line->text();
    return static_cast<const QPlainTextEdit*>(box)->toPlainText();
}

void setBoxText(QWidget* box, const QString& text) {
    if (auto* line = qobject_cast<ui::EditBox*>(box)) {
        line->setText(text);
        line->setCursorPosition(0);  // a long text shows from its start
        return;
    }
    static_cast<QPlainTextEdit*>(box)->setPlainText(text);
}

}  // namespace

QueryWindow::~QueryWindow() = default;

void QueryWindow::wireHandlers() {
    // Closing destroys the window and, with it, its connection.
    setAttribute(Qt::WA_DeleteOnClose);
    connect(按钮_查询, &QPushButton::clicked, this, [this] { OnSearchClicked(); });
    connect(超级列表框1, &ui::ReportListView::leftClicked, this, [this] { OnQueryListClicked(); });
    connect(按钮_打印, &QPushButton::clicked, this, [this] { OnPrintClicked(); });
    connect(按钮_退出, &QPushButton::clicked, this, [this] { OnExitClicked(); });
}

void QueryWindow::OnCreated() {
    // A database that cannot be opened shows later, as lists that stay empty.
    外部数据库1.Open(db::prescriptionConnectionText(context_.directory()));
    日期框1->setDateTime(QDateTime(QDate(context_.today().year(), 1, 1), QTime(0, 0)));
    超级列表框1->deleteAllRows();
    for (const query::ListColumn& column : query::kListColumns)
        超级列表框1->addColumn(column.title.toString(), query::kColumnWidth,
                               ui::ColumnAlign::Centre);
}

void QueryWindow::OnSearchClicked() {
    const QDateTime start = 日期框1->dateTime();
    const QDateTime end = 日期框2->dateTime();
    if (db::endBeforeStart(start, end)) {
        context_.showMessage(kCheckDates);
        return;
    }
    fillQueryList(db::VisitSearch(start.date(), end.date(), 编辑框1->text()));
    // The details keep what they showed until the list is clicked.
    超级列表框1->setFocus(Qt::OtherFocusReason);
    超级列表框1->setSelectedRow(0);
}

void QueryWindow::fillQueryList(const QString& sql) {
    ui::ReportListView& list = *超级列表框1;
    list.deleteAllRows();
    // One update of the view for the whole result, not one per row.
    ui::ReportListView::BulkUpdate bulk(list);
    // Each row goes in at the top: the newest-first result lists oldest first.
    const bool whole = db::readAll(外部数据库1, sql, [&](int handle) {
        QStringList cells;
        cells.reserve(qsizetype(query::kListColumns.size()));
        for (std::size_t c = 0; c < query::kListColumns.size(); ++c)
            cells.append(query::cellText(
                int(c), 外部数据库1.ReadColumn(handle, query::kListColumns[c].position)));
        list.insertRow(0, cells);
    });
    // Rows read before a read error are not what the search found. The list
    // says nothing more; the program's log says why.
    if (!whole) {
        list.deleteAllRows();
        db::logFailure(QStringLiteral("The visit search in 基本资料"), 外部数据库1.lastError());
    }
}

void QueryWindow::OnQueryListClicked() {
    const int row = 超级列表框1->selectedRow();  // -1 reads empty cells, emptying every box
    for (std::size_t i = 0; i < detailBoxes_.size(); ++i)
        setBoxText(detailBoxes_[i], 超级列表框1->cellText(row, int(i) + 1));
}

db::Visit QueryWindow::shownVisit() const {
    db::Visit visit;
    for (std::size_t i = 0; i < detailBoxes_.size(); ++i)
        visit.*(query::kListColumns[i + 1].field) = boxText(detailBoxes_[i]);
    return visit;
}

QStringList QueryWindow::printItems() const {
    QStringList items;
    items.reserve(列表框1->count());
    for (int i = 0; i < 列表框1->count(); ++i) items.append(列表框1->item(i)->text());
    return items;
}

void QueryWindow::OnPrintClicked() {
    列表框1->clear();
    列表框1->addItems(print::herbalItems(编辑框_中药处方->toPlainText()));
    // What is printed is what the boxes show at this click; an empty form
    // prints empty cells.
    QueryPrintWindow window(context_, {shownVisit(), printItems()}, this);
    window.runModal();
}

void QueryWindow::OnExitClicked() {
    close();
}

}  // namespace rx
