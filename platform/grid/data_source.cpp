#include "platform/grid/data_source.h"

#include "platform/grid/grd_format.h"

namespace rx::grid {

DataSource::DataSource(QObject* parent) : QObject(parent) {}

void DataSource::drawOn(const GenericProvider& provider) {
    setTable(provider.initialTable());
}

bool DataSource::loadTemplate(const QString& path) {
    std::optional<GridTable> loaded = loadGrdFile(path);
    if (!loaded) return false;
    setTable(std::move(*loaded));
    return true;
}

void DataSource::setCellText(int row, int column, const QString& text) {
    if (table_.setText(row, column, text)) emit changed();
}

void DataSource::setTable(GridTable table) {
    table_ = std::move(table);
    emit changed();
}

}  // namespace rx::grid
