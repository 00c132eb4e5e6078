#pragma once
// The opened test: what the main window knows of the stored test the operator
// opened last. Each kind-specific field is written only when a test of its
// kind is opened, and otherwise keeps its value.

#include "data/RecordBase.h"
#include "data/TestKind.h"

#include <QString>

struct OpenedTest {
    QString OpenedTestName;    // as typed in the open-test dialog; empty until a test is opened
    RowArray OpenedTestInfo;   // the TEST_INFO row (clsTEST_INFO::All)
    qint32 OpenedTestId = 0;   // TEST_ID of the opened test
    qint32 TestType = 0;       // the code of the test's kind, TestTypeCode (TestKind.h)
    double ShearRatePerRpm = 0;  // rheology: shear rate at the bob per rotor rpm
    double PvtPistonRadius = 0;  // PVT: piston radius, cm
    double CuriniV = 0;          // PVT: initial sample volume, ml
    double CuriniD = 0;          // PVT: initial sample density, g/ml
    double OveriniV = 0;         // PVT overlay test: initial volume
    double OveriniD = 0;         // PVT overlay test: initial density
    double LsmSampleLength = 0;  // swell: sample length, inch

    // The kind whose code TestType holds.
    TestKind Kind() const { return TestKindOfCode(TestType); }
};
