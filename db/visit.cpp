#include "db/visit.h"

namespace rx::db {

QString drugText(const DrugLine& line) {
    return line.name + line.dose + line.unit;
}

QString herbalPrescriptionText(const std::vector<DrugLine>& lines) {
    QString text;
    for (const DrugLine& line : lines) text += drugText(line) + QLatin1Char(',');
    return text;
}

std::array<QString, 16> storedTexts(const Visit& v) {
    return {v.name,
            v.sex,
            v.age,
            v.ageUnit,
            v.address,
            v.diagnosis,
            v.registered,
            v.prescriptionNumber,
            v.frequency,
            v.usage,
            v.doseUnit,
            v.presentIllness,
            v.herbalPrescription,
            v.remark,
            v.remark2,
            v.newRecord};
}

}  // namespace rx::db
