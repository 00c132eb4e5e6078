#include "dialogs/TestInfoRules.h"

#include "data/BobGeometry.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/TestKind.h"
#include "data/Units.h"
#include "data/clsTEST_ADDITIVE.h"
#include "platform/FlexGrid.h"


namespace testinfo {

std::optional<BobTexts> LookupBob(const QString& bobNo, bool ignoreCase) {
    const bob::KnownBob* b = bob::FindBob(bobNo, ignoreCase);
    if (!b) return std::nullopt;
    return BobTexts{QString::number(b->radiusCm), QString::number(b->lengthCm, 'f', 3)};
}

std::optional<PistonValues> LookupPiston(const QString& entry) {
    if (entry == kLargePiston) return PistonValues{QStringLiteral("4.0"), QStringLiteral("2.4772389")};
    if (entry == kSmallPiston) return PistonValues{QStringLiteral("3.875"), QStringLiteral("0.7239")};
    return std::nullopt;
}

void InitAdditiveGrid(FlexGridModel& grid) {
    grid.FixedCols(0);
    grid.FormatString(kAdditiveGridFormat);
    grid.RowHeight(0, 400);
    for (int c = 0; c < grid.Cols(); ++c) grid.ColWidth(c, 1600);
    grid.Rows(kAdditiveRows + 1);
}

QVector<AdditiveRow> AdditivesToStore(const FlexGridModel& grid) {
    QVector<AdditiveRow> rows;
    for (int r = 1; r <= kAdditiveRows && r < grid.Rows(); ++r) {
        const QString name = grid.TextMatrix(r, 0);
        if (name.isEmpty()) break;
        rows.append(AdditiveRow{name, grid.TextMatrix(r, 1), grid.TextMatrix(r, 2), grid.TextMatrix(r, 3)});
    }
    return rows;
}

QStringList AdditiveNames(const FlexGridModel& grid) {
    QStringList names;
    for (int r = 1; r < grid.Rows(); ++r) names << grid.TextMatrix(r, 0);
    return names;
}

void FillAdditiveRows(FlexGridModel& grid, clsTEST_ADDITIVE& additives, clsConnection* connection, double testId,
                      QString (*concentrationText)(double)) {
    additives.TESTId(testId);
    additives.ConnectX(connection);
    if (additives.Eof()) return;
    additives.MoveFirst();
    for (int row = 1; !additives.Eof() && row <= kAdditiveRows; ++row) {
        const RowArray a = additives.All();
        grid.TextMatrix(row, 0, PlainText(a[clsTEST_ADDITIVE::colADDITIVE_NM]));
        grid.TextMatrix(row, 1, concentrationText(a[clsTEST_ADDITIVE::colADD_CONCEN].toDouble()));
        grid.TextMatrix(row, 2, PlainText(a[clsTEST_ADDITIVE::colADD_UNIT]));
        grid.TextMatrix(row, 3, PlainText(a[clsTEST_ADDITIVE::colADD_LOTNO]));
        additives.MoveNext();
    }
}

void AddAdditives(clsTEST_ADDITIVE& records, double testId, const QVector<AdditiveRow>& rows) {
    for (const AdditiveRow& row : rows) {
        records.TESTId(testId);
        records.TESTADD_ID(0);
        records.ADDITIVE_NM(row.name);
        records.ADD_CONCEN(Val(row.concentration));
        records.ADD_UNIT(row.unit);
        records.ADD_LOTNO(row.lotNo);
        records.AddNew();
    }
}

bool EditorTextTooLong(int column, const QString& text) {
    return text.size() > kAdditiveEditorLimit && column != 1;
}

QString StartCheck(const StartEntries& e) {
    const QString upper = e.testName.toUpper();
    for (const QString& stored : e.storedNames)
        if (stored.toUpper() == upper) return kDuplicateName;
    if (e.testName.isEmpty()) return kEmptyName;
    if (e.testName.size() > 50) return kNameTooLong;
    if (e.bobNo.isEmpty()) return kNoBob;
    if (e.bobNo == kPvtKindText) {
        if (e.bobRadius.isEmpty()) return kNoInitialVolume;
        if (e.bobLength.isEmpty()) return kNoInitialDensity;
        if (!e.pistonChosen) return kNoPiston;
    }
    if (e.description.size() > 250) return kDescriptionTooLong;
    for (const QString& name : e.additiveNames)
        if (name.size() > kAdditiveNameLimit) return kAdditiveTooLong;
    return QString();
}

QString SaveCheck(const QString& testName, const QString& description, const QStringList& additiveNames) {
    if (testName.size() > 100) return kEditNameTooLong;
    if (description.size() > 250) return kDescriptionTooLong;
    for (const QString& name : additiveNames)
        if (name.size() > kAdditiveNameLimit) return kEditAdditiveTooLong;
    return QString();
}

std::optional<LengthFailure> StoredLengthCheck(const StoredTexts& t) {
    const QString limit = QStringLiteral(" cannot have more than %1 characters").arg(kStoredTextLimit);
    const struct {
        const QString& text;
        const char* field;
        const char* box;
    } boxes[] = {{t.fluidId, "Fluid ID", "txtFluidId"},
                 {t.researcherName, "Researcher name", "txtResearchName"},
                 {t.rotorNo, "Rotor no.", "txtRotoNo"},
                 {t.bobNo, "Bob no.", "txtBobNo"}};
    for (const auto& b : boxes)
        if (b.text.size() > kStoredTextLimit)
            return LengthFailure{QLatin1String(b.field) + limit, QLatin1String(b.box), 0};
    for (int i = 0; i < t.additives.size(); ++i) {
        const AdditiveRow& a = t.additives[i];
        const QString where = QStringLiteral(" (additive line %1)").arg(i + 1);
        if (a.name.size() > kAdditiveNameLimit)
            return LengthFailure{QStringLiteral("Additive name cannot have more than %1 characters").arg(kAdditiveNameLimit) +
                                     where,
                                 QString(), i + 1};
        if (a.unit.size() > kStoredTextLimit)
            return LengthFailure{QStringLiteral("Additive unit") + limit + where, QString(), i + 1};
        if (a.lotNo.size() > kStoredTextLimit)
            return LengthFailure{QStringLiteral("Additive lot number") + limit + where, QString(), i + 1};
    }
    return std::nullopt;
}

std::optional<typed::NumberRefusal> NumberCheck(const QString& bobNo, const QVector<InfoBox>& boxes,
                                                const QVector<AdditiveRow>& additives) {
    const TestKind kind = DecideTestKind(bobNo);
    auto holdsNumber = [kind](const QString& box) {
        if (box == QLatin1String("txtPreTestPH")) return kind != TestKind::Pvt;
        if (box == QLatin1String("txtRotoNo")) return kind == TestKind::Pvt || kind == TestKind::Lsm;
        return box == QLatin1String("txtBobRadius") || box == QLatin1String("txtBobLength") ||
               box == QLatin1String("txtPostTestPH");
    };
    QVector<typed::NumberBox> numbers;
    for (const InfoBox& b : boxes)
        if (b.shown && holdsNumber(b.objectName))
            numbers.append({typed::BoxName(b.caption), b.text, 0.0, b.objectName});
    for (int i = 0; i < additives.size(); ++i)
        numbers.append({QStringLiteral("Concentration (additive line %1)").arg(i + 1), additives[i].concentration, 0.0,
                        QString()});
    return typed::FirstRefusedNumber(numbers);
}

QString PlainText(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return QString();
    switch (v.metaType().id()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            return CStr(v.toDouble());
        case QMetaType::QDateTime:
            return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        default:
            return v.toString();
    }
}

QString SampleLengthText(const QVariant& storedInches) {
    if (!storedInches.isValid() || storedInches.isNull()) return QString();
    return CStr(LengthToDisplay(storedInches.toDouble()));
}

}  // namespace testinfo
