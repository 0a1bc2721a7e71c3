#pragma once
// The print preview of a grid: Qt's preview in its own maximised window, from
// which the user prints on any installed printer or to a PDF file. It stays
// non-modal so that a second request only brings it to the front.

#include <QObject>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <memory>

class QPrinter;
class QWidget;

namespace rx::grid {

class DataSource;

class PrintPreview final : public QObject {
    Q_OBJECT
public:
    // The preview belongs to `owner`'s window and shows `source`'s table.
    PrintPreview(DataSource& source, QWidget* owner);
    ~PrintPreview() override;

    // Opens the preview, or brings the open one to the front.
    void open();
    bool isOpen() const;
    QPrintPreviewDialog* dialog() const { return dialog_; }

private:
    void paintPages(QPrinter* printer);

    DataSource& source_;
    QWidget* owner_;
    std::unique_ptr<QPrinter> printer_;
    QPointer<QPrintPreviewDialog> dialog_;
};

}  // namespace rx::grid
