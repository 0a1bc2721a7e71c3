#include "forms/print/query_fill.h"

namespace rx::print {

QStringList herbalItems(const QString& text) {
    // Cutting the characters gives the pieces a walk over the GB18030 bytes
    // would give: no byte of a multi-byte character is 0x2C, so only a real
    // comma cuts, and a character that has no byte form cannot break the walk.
    QStringList items = text.split(u',');
    if (items.back().isEmpty()) items.removeLast();
    return items;
}

const QString& visitFieldText(const db::Visit& v, VisitField field) {
    switch (field) {
        case VisitField::Name:
            return v.name;
        case VisitField::Sex:
            return v.sex;
        case VisitField::Age:
            return v.age;
        case VisitField::AgeUnit:
            return v.ageUnit;
        case VisitField::Registered:
            return v.registered;
        case VisitField::Diagnosis:
            return v.diagnosis;
        case VisitField::Address:
            return v.address;
        case VisitField::PrescriptionNumber:
            return v.prescriptionNumber;
        case VisitField::PresentIllness:
            break;
    }
    return v.presentIllness;
}

void fillQueryPrint(grid::DataSource& source, const QueryPrint& print, const QueryPrintMap& map) {
    for (const FieldCell& f : map.fields)
        source.setCellText(f.at.row, f.at.column, visitFieldText(print.visit, f.field));
    for (int k = 0; k < map.itemCount; ++k) {
        const CellAddress at = *map.itemCell(k);
        source.setCellText(at.row, at.column, k < print.items.size() ? print.items[k] : QString());
    }
}

}  // namespace rx::print
