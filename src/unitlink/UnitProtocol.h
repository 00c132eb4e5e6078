#pragma once
// The line protocol between the application and an instrument unit.
//
// Command frames (application to unit) start with a control character that
// says what they are and, but for the manual temperature frame, end with a
// carriage return. Numbers are written with fixed masks: temperatures in °F
// "000.0", pressures in psi "00000", speeds in rpm "000.000", whatever unit
// system the operator sees.
//
// Reply frames (unit to application) are comma-separated texts ended by
// character 26, sent by the unit on its own (no command is acknowledged):
//   field 1  a lead character and a two-digit status ("#01"; the first comma is
//            the frame's 4th character)
//   field 2  sample temperature, °F          field 6  pressure, psi
//   field 3  temperature set point, °F       field 7  gel reading, as a stress (DialReading)
//   field 4  rotor speed, rpm                field 8  pressure set point, psi (text)
//   field 5  shear stress of the standard bob, dyn/cm²
//   field 9  (and 10 in frames with 9 commas) readings of the other test kinds.
// A frame that does not fit is dropped without a message; numbers in fields
// are read with `Val` (data/Numbers.h): the number the field begins with, 0
// when it begins with none. Every reply parser (this one, PvtReply.h and
// SwellReply.h) takes its frames through one frame loop, ReadReplyFrames,
// and gives only its reading of a frame.
//
// Here too: the status captions, the zero command, and the transfer of a test
// the unit stored by itself (ParseStoredTransfer; its reads in
// StoredTransferRead.h).
//
// UnitReplyParser is the reply side of a rheology test window (and of the
// simple test): its receive buffer, live readings, the texts of the reading
// boxes, the status caption, and the readings handed to its safety watch
// (SafetyWatch.h), whose trips the parse lists. The window keeps one, feeds it
// on every tick, reacts to the trips and shows what it returns; the parser
// itself shows nothing and stops nothing.

#include "unitlink/SafetyWatch.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace comm {
class CommPort;
}

namespace unit {

// Control characters of the line.
inline constexpr char kSetPointCode = 1;      // set points; alone: the download request
inline constexpr char kEndOfTransfer = 2;     // ends a stored-test transfer
inline constexpr char kEndOfRecord = 3;       // ends a stored-test record
inline constexpr char kStopCode = 4;
inline constexpr char kZeroCode = 8;
inline constexpr char kManualTemperatureCode = 9;
inline constexpr char kCarriageReturn = 13;
inline constexpr char kEndOfReply = 26;       // ends a reply frame

// ---- Command frames ------------------------------------------------------

// code 1, temperature "000.0", ",", pressure "00000", ",", speed "000.000",
// the bob number with its sign position (" 1"; no comma before it), code 13.
// The bob number is 1, 2 or 5 for the rheology and simple tests, 1 for the
// PVT and swell tests.
QString SetPointFrame(double temperatureF, double pressurePsi, double speedRpm, int bobNumber);
QString StopFrame();              // code 4, code 13
QString ZeroFrame();              // code 8, code 13
QString DownloadRequestFrame();   // code 1, code 13
// code 9, temperature "000.0", code 26 (no carriage return).
QString ManualTemperatureFrame(double temperatureF);

// ---- Status ----------------------------------------------------------------

// The caption of a status code: 0 "InActive", 1 "Running Test", 2 and 5
// "Calibrating", 3 "Purge", 4 "Cooling", 6 "Ramping", 7 "Preheating",
// 99 "None Exist"; nullopt for any other code (the caption stays as it was).
std::optional<QString> StatusCaption(int status);
inline constexpr int kStatusInactive = 0;
inline constexpr int kStatusCooling = 4;  // a cooling unit lets the window be closed
// The caption the run loop shows when the unit has stopped answering.
QString NoResponseCaption();

// ---- Bob ----------------------------------------------------------------------

// 1.7023 / the bob's shear rate per rpm (bob::ShearRatePerRpm): divides the
// standard bob's stress into this bob's stress.
double StressDivisor(double shearRateFactor);

// ---- Reply frames ------------------------------------------------------------

struct UnitStatusFrame {
    QString text;        // the frame without its code 26
    QStringList fields;  // fields[0] is field 1; the text after the last comma is the last field
    int commas = 0;
    int status = 0;      // characters 2 and 3 read as a number, to the nearest whole (halves to even)

    // Field n (1-based) as text; empty when the frame has no such field.
    QString field(int n) const;
    // Field n read as a number (leading-number reading).
    double value(int n) const;
};

enum class FrameTake {
    Frame,       // a frame was taken and cut from the buffer with its code 26
    Dropped,     // the first frame did not fit and was cut with its code 26
    Incomplete,  // no code 26 in the buffer: nothing was taken
};

// Cuts the first frame from a receive buffer. A frame fits when the first
// comma of the buffer is its 4th character and the frame holds between
// minCommas and maxCommas commas (8 or 9 for the rheology window; the swell
// window asks for exactly 9).
FrameTake TakeUnitStatusFrame(QString& buffer, UnitStatusFrame& frame, int minCommas = 8, int maxCommas = 9);

// True when text received from the unit holds the end of a reply frame
// (code 26): the unit is sending, whether or not the frame is parsed.
bool HoldsFrameEnd(const QString& received);

// The live readings (stored units) that the parser fills.
struct UnitReadings {
    double mSampleTemp = 0;        // °F, field 2
    double mTempSetPointRead = 0;  // °F, field 3
    double mSpeed = 0;             // rpm, field 4
    double mShearRate = 0;         // 1/s, mShearRateFactor x mSpeed
    double mShearStress = 0;       // dyn/cm², field 5 / mStressDivisor
    double mPressure = 0;          // psi, field 6
    double mGel = 0;               // field 7
};

// The texts of the reading boxes, named after the boxes.
struct UnitReadingTexts {
    QString txtSampleTemp;
    QString txtTempSetPoint;
    QString txtspeed;
    QString txtShearrate;
    QString txtShearStress;
    QString txtFann;
    QString txtPressure;
    QString txtGelAngle;
    QString txtPressSetPoint;
    QString txtVisc;
};

// The most text the receive buffer keeps between calls. A frame is well under
// a hundred characters; a buffer beyond this holds a backlog that can no
// longer be worked off (a unit sending bad frames faster than one a tick) or
// noise without any code 26. It is then cut back to the text after its last
// code 26, and emptied when that is still too long.
inline constexpr qsizetype kMaxReplyBuffer = 4096;

// ---- The frame loop of every reply parser ---------------------------------------

// What a frame that does not fit does to the rest of the buffer.
enum class DroppedFrame {
    EndsCall,  // the frames behind it wait for the next call (the rheology and PVT parsers)
    Skipped,   // reading goes on with the next frame (the swell parser)
};

// What one pass of the frame loop did.
struct FramePass {
    int framesParsed = 0;
    int framesDropped = 0;
    bool bufferCut = false;           // the receive buffer was cut back to its limit
    std::optional<QString> caption;   // the status caption of the last known status parsed
    bool enableExit = false;          // a "Cooling" status was parsed
};

// Takes every complete frame of `buffer` holding minCommas to maxCommas
// commas (TakeUnitStatusFrame), reads its status caption and hands the frame
// to `readFrame`, the parser's own reading of it (which may empty the
// buffer). A frame that does not fit is cut with its code 26 and `dropped`
// says what follows; a frame still arriving stays in the buffer. A buffer
// left longer than kMaxReplyBuffer is then cut back to the text after its
// last code 26, and emptied when that is still too long.
FramePass ReadReplyFrames(QString& buffer, int minCommas, int maxCommas, DroppedFrame dropped,
                          const std::function<void(const UnitStatusFrame& frame)>& readFrame);

// What a parse of the rheology and PVT parsers did, for the window to show.
struct StatusReplyResult {
    int framesParsed = 0;
    bool frameDropped = false;          // a frame that did not fit ended the call
    bool bufferCut = false;             // the receive buffer was cut back to its limit
    std::optional<QString> caption;     // the status caption to show (last known status parsed)
    bool enableExit = false;            // a "Cooling" status was parsed: enable cmdExit
    std::vector<SafetyTrip> trips;      // trips made, in order, for the run to react to

    // The loop's part of it.
    void Take(const FramePass& pass);
};

// What one parse of the rheology reply parser did.
struct ReplyResult : StatusReplyResult {
    bool readingsChanged() const { return framesParsed > 0; }
};

// What the windows that share the reply parser show differently: the masks
// of three reading boxes. The defaults are the rheology window's.
struct ReplyStyle {
    QString speedMask = QStringLiteral("###0.##");  // empty: the field as received
    QString shearRateMask = QStringLiteral("###0");
    QString viscosityMask = QStringLiteral("###0.0");
};

class UnitReplyParser {
public:
    // The safety watch of the test kind: the rheology window's or the simple test's.
    explicit UnitReplyParser(WatchedTest test = WatchedTest::Rheology) : watch(test) {}

    ReplyStyle style;
    // The trip counts and the pressure limit (the caller sets the maximum
    // pressure in force before it parses).
    SafetyWatch watch;
    // The window's members that the parser keeps.
    UnitReadings readings;
    UnitReadingTexts texts;
    QString mRxBuffer;
    double mShearRateFactor = 1.0;
    double mStressDivisor = 1.0;

    // mShearRateFactor and mStressDivisor of a bob radius (cm).
    void SetBobRadius(double radiusCm);

    // Reads everything the port has received (nothing when the port is
    // closed) and parses it.
    ReplyResult ParseUnitReply(comm::CommPort& port, bool stepRunning);
    // Appends the text to the receive buffer and parses every complete frame:
    // the readings, the texts, the status and what the watch makes of them
    // (the inactive count and the trips). stepRunning: a test runs its steps
    // (runloop::kStepRunning; not in the rheology run's ramps), which the
    // inactive count needs; a trip ends it for the frames after it.
    // A frame that does not fit is cut with its code 26 and ends the call (the
    // frames behind it wait for the next call); a frame still arriving stays
    // in the buffer, which never keeps more than kMaxReplyBuffer characters.
    ReplyResult Parse(const QString& received, bool stepRunning);

    // Empties the receive buffer (Zero button, the discard tick).
    void ClearBuffer() { mRxBuffer.clear(); }
    // The counts ShutDown clears: over-temperature, over-pressure, inactive.
    void ResetCounts() { watch.ResetCounts(); }
};

// cmdZero_Click's work: input length 0, empty receive buffer, the zero frame.
void ZeroUnit(comm::CommPort& port, UnitReplyParser& parser);

// ---- Stored test download ----------------------------------------------------

// One record of a test stored in the unit: nine comma-separated fields ended
// by code 3; after the last record the unit sends code 2. Whole-number fields
// are rounded to the nearest whole number, halves to even.
struct StoredDataRecord {
    double step = 0;          // field 1, whole
    double rampEntry = 0;     // field 2, whole (0 in the step phase)
    double timeSec = 0;       // field 3, whole seconds since the start of the test
    double sampleTemp = 0;    // field 4, °F
    double secondTemp = 0;    // field 5, °F (not used)
    double pressure = 0;      // field 6, psi
    double shearRate = 0;     // field 7, 1/s
    double shearStress = 0;   // field 8, dyn/cm² (as sent)
    double phase = 0;         // field 9 (everything after the 8th comma), whole: 0 step, 1 ramp
};

enum class TransferStatus { Ok, NoResponse, CommunicationError };

struct StoredTransfer {
    TransferStatus status = TransferStatus::NoResponse;
    std::vector<StoredDataRecord> records;  // only when status is Ok
};

// One record (the text before its code 3): nullopt when it holds a control
// character (code 26 above all) or a character above 126, and unless each of
// the nine fields reads wholly as a finite number (blanks around it aside;
// printable text after a 9th comma is not read) and the whole-number fields
// lie within the range of a 32-bit integer. A status frame (whatever its lead
// character and comma count: it ends with code 26) or noise on the line
// inside a transfer thereby spoils the record it lands in.
std::optional<StoredDataRecord> ParseStoredRecord(const QString& record);
// Reads a whole transfer: nothing received is NoResponse; a last character
// other than code 2, anything between the last code 3 and the code 2, or a
// record that ParseStoredRecord refuses, is CommunicationError with no
// records (nothing of a damaged transfer is kept). A lone code 2 is Ok with
// no records: the unit holds no stored test.
StoredTransfer ParseStoredTransfer(const QString& received);
// The timings of the download's reads (StoredTransferRead.h): the first read
// 2 seconds after the request, then one every 0.5 seconds while characters
// keep arriving.
inline constexpr double kTransferFirstWaitSeconds = 2.0;
inline constexpr double kTransferReadWaitSeconds = 0.5;

QString NoResponseMessage();         // "No response from Z3080, please check connection."
QString CommunicationErrorMessage(); // "Communication error from Z3080, please download data again."
QString CommunicationErrorTitle();   // "Communication Error"
QString NoStoredTestMessage();       // a transfer without a record

}  // namespace unit
