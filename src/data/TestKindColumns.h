#pragma once
// What each kind of test keeps in the shared columns of TEST_INFO and
// TEST_RESULT. The three kinds (TestKind.h) store their tests in the same two
// tables, and several columns, named for the rheology test, carry another
// quantity in a PVT or a swell test. Every reader and writer of a kind's
// own quantity names its column here, so that the meaning of a column is
// written once.
//
// TEST_INFO (clsTEST_INFO::col...)
//   column          rheology                PVT                        swell ("LSM")
//   TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME: the same for every kind
//   ROTOR_NO        rotor, text             piston radius, cm, text    compaction time, min, as typed
//   BOB_NO          bob, text               "PVT"                      "LSM"
//   BOB_RADIUS      bob radius, cm          initial volume, ml         sample weight, g
//   BOB_EFF_LENGTH  bob length, cm          initial density, g/ml      dry sample length, inch
//   PRETEST_PH      pH before the test      kPvtRadiusPerPsi (*)       sample hardness
//   POSTTEST_PH     pH after the test       cell length                compaction pressure, psi
//   SAFETY          description, for every kind
//   (*) the growth of the piston radius per psi, 2.48777e-06 cm
//       (analysis/PvtDensity.h), stored with every PVT test
//
// TEST_RESULT (clsTEST_RESULT::col..., the same numbers as resultcol)
//   column               rheology                PVT                       swell
//   RAMP_NO              step                    step                      step
//   RAMP_STEP_NO         ramp step               0                         0
//   CYCLE_NO             cycle                   cycle                     repetition (cycle)
//   RESULT_TIME          s since the start       s since the start         s since the start
//   RESULT_SAMPLE_TEMP   °F                      °F                        °F
//   RESULT_PRESS         psi                     psi                       psi
//   RESULT_SPEED         shear rate, 1/s         rpm                       rpm
//   RESULT_SHEAR_STRESS  shear stress, dyn/cm²   sample height, inch       length change, inch
//   RESULT_TYPE_ID       1 ramp, 0 step point    0                         0
//   RESULT_BATH_TEMP     gel reading, dial x     raw magnet position       sensor voltage before
//                        kStressPerDialUnit      (as the unit sent it)     temperature correction
//
// The rheology test stores its shear rate, not the rotor speed, in
// RESULT_SPEED (the rotor speed is the shear rate divided by the test's shear
// rate per rpm), and its gel reading in RESULT_BATH_TEMP; a stress and the
// gel reading are divided by kStressPerDialUnit (Units.h) for the dial.
// A PVT test's sample height is the piston position, temperature-corrected
// and zeroed (the grid's "Position"), which the density takes as the
// piston's travel.

#include "data/TestKind.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"

// The columns are named for the rheology test, and most hold for it what they
// are named for: all of TEST_INFO, and in TEST_RESULT RAMP_NO, RAMP_STEP_NO,
// CYCLE_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS and
// RESULT_SHEAR_STRESS, which are read and written under their own names.
// Three TEST_RESULT columns hold what their names do not say, named here:
// RESULT_SPEED the shear rate, RESULT_TYPE_ID the point type and
// RESULT_BATH_TEMP the gel reading.
namespace rheology {
namespace result {
inline constexpr int ShearRate = clsTEST_RESULT::colRESULT_SPEED;    // 1/s, not the rotor speed
inline constexpr int PointType = clsTEST_RESULT::colRESULT_TYPE_ID;  // 1 ramp point, 0 step point
inline constexpr int Gel = clsTEST_RESULT::colRESULT_BATH_TEMP;      // gel reading, dial units x kStressPerDialUnit
}  // namespace result
}  // namespace rheology

namespace pvt {
namespace info {
inline constexpr int KindText = clsTEST_INFO::colBOB_NO;             // kPvtKindText
inline constexpr int PistonRadius = clsTEST_INFO::colROTOR_NO;       // cm, as text
inline constexpr int InitialVolume = clsTEST_INFO::colBOB_RADIUS;    // ml (cm³)
inline constexpr int InitialDensity = clsTEST_INFO::colBOB_EFF_LENGTH;  // g/ml (g/cm³)
inline constexpr int RadiusPerPsi = clsTEST_INFO::colPRETEST_PH;     // kPvtRadiusPerPsi
inline constexpr int CellLength = clsTEST_INFO::colPOSTTEST_PH;
}  // namespace info
namespace result {
inline constexpr int Speed = clsTEST_RESULT::colRESULT_SPEED;               // rpm
inline constexpr int SampleHeight = clsTEST_RESULT::colRESULT_SHEAR_STRESS;  // inch
inline constexpr int RawPosition = clsTEST_RESULT::colRESULT_BATH_TEMP;     // as the unit sent it
}  // namespace result
}  // namespace pvt

namespace swell {
namespace info {
inline constexpr int KindText = clsTEST_INFO::colBOB_NO;                 // kSwellKindText
inline constexpr int CompactionTime = clsTEST_INFO::colROTOR_NO;         // min, the text as typed
inline constexpr int SampleWeight = clsTEST_INFO::colBOB_RADIUS;         // g
inline constexpr int SampleLength = clsTEST_INFO::colBOB_EFF_LENGTH;     // the dry length, inch
inline constexpr int Hardness = clsTEST_INFO::colPRETEST_PH;
inline constexpr int CompactionPressure = clsTEST_INFO::colPOSTTEST_PH;  // psi
}  // namespace info
namespace result {
inline constexpr int Speed = clsTEST_RESULT::colRESULT_SPEED;                // rpm
inline constexpr int LengthChange = clsTEST_RESULT::colRESULT_SHEAR_STRESS;  // inch
inline constexpr int RawVoltage = clsTEST_RESULT::colRESULT_BATH_TEMP;       // before temperature correction
}  // namespace result
}  // namespace swell
