#include "reports/ReportHeader.h"

#include "data/Globals.h"
#include "data/TestKindColumns.h"
#include "data/clsTEST_INFO.h"
#include "reports/ReportText.h"

#include <utility>

namespace reportheader {

namespace {

using I = clsTEST_INFO;

// A field of the row as stored, with its labels: CSV, printed, Excel.
Field at(const RowArray& info, int column, const QString& csv, const QString& printed, const QString& excel) {
    return {info.value(column), csv, printed, excel};
}

// The four fields every kind begins with (name, fluid, time, researcher),
// the CSV labels padded to `csvWidth`, the printed ones after `printedLead`.
QList<Field> testFields(const RowArray& info, int csvWidth, const QString& printedLead) {
    QList<Field> fields;
    const std::pair<int, const char*> test[] = {{I::colTEST_NAME, "Test Name:"},
                                                {I::colFLUID_ID, "Fluid ID:"},
                                                {I::colTEST_TIME, "Test Time:"},
                                                {I::colRESEARCHER_NAME, "Researcher Name:"}};
    for (const auto& [column, text] : test) {
        const QString label = QString::fromLatin1(text);
        fields << at(info, column, label.leftJustified(csvWidth), printedLead + label, label);
    }
    return fields;
}

}  // namespace

Header Rheology(const RowArray& info) {
    return {testFields(info, 0, QString()) + QList<Field>{
                at(info, I::colROTOR_NO, "Rotor Number:", "Rotor Number:", "Rotor Number:"),
                at(info, I::colBOB_NO, "Bob Number:", "Bob Number:", "Bob Number:"),
                at(info, I::colBOB_RADIUS, "Bob Radius (cm):", "Bob Radius (cm):", "Bob Radius (cm)"),
                at(info, I::colBOB_EFF_LENGTH, "", "Bob Effective Length :", ""),
            },
            at(info, I::colSAFETY, "Description:", "Description:", "Description:")};
}

Header Pvt(const RowArray& info) {
    return {testFields(info, 23, QString()) + QList<Field>{
                at(info, pvt::info::KindText, "Test Type:                ", "Test Type:", "Test Type:"),
                at(info, pvt::info::PistonRadius, "Radius(cm)", "", "Radius(cm):"),
                // The initial volume is stored in cm3.
                at(info, pvt::info::InitialVolume, "Initial Volume (cm3):     ", "Initial Volume(cm3)   :",
                   "initial Volume (cm3)"),
                at(info, pvt::info::InitialDensity, "Initial Density(g/cm3):   ", "Initial Density(g/cm3):",
                   "Initial density (g/cm3):"),
            },
            at(info, I::colSAFETY, "Description:", "Description:", "Comments:")};
}

Header Swell(const RowArray& info) {
    return {testFields(info, 23, QStringLiteral("  ")) + QList<Field>{
                at(info, swell::info::KindText, "Test Type:                ", "  Test Type:", "Test Type:"),
                at(info, swell::info::SampleWeight, "SAMPLE_Weight", "  Sample Weight:", "SAMPLE WEIGHT (g)"),
                // The sample length is stored in inches and given in the display
                // length unit, as the length-change column of every report.
                {reporttext::sampleLengthShown(info.value(swell::info::SampleLength)), "SAMPLE_Lengh",
                 "  Sample Length " + gLengthLabel + QLatin1Char(':'), "SAMPLE_LENGTH : " + gLengthLabel},
                at(info, swell::info::Hardness, "SAMPLE_Hardness", "", "SAMPLE_HARDNESS"),
                at(info, swell::info::CompactionTime, "SAMPLE_COMPACT_TIME", "", "SAMPLE_COMPACT_TIME (min):"),
                at(info, swell::info::CompactionPressure, "SAMPLE_COMPACT_Pressure", "",
                   "SAMPLE_COMPACT_PRESS (psi):"),
            },
            at(info, I::colSAFETY, "Description:", "  Description:", "Comments:")};
}

}  // namespace reportheader
