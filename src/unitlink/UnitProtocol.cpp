#include "unitlink/UnitProtocol.h"

#include "data/BobGeometry.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/Units.h"
#include "platform/CommPort.h"

#include <cmath>

namespace unit {

namespace {

QString code(char c) { return QString(QChar(uchar(c))); }

// To the nearest whole number, halves to the even neighbour.
double roundEven(double v) { return std::nearbyint(v); }

}  // namespace

// ---- Command frames ------------------------------------------------------

QString SetPointFrame(double temperatureF, double pressurePsi, double speedRpm, int bobNumber) {
    return code(kSetPointCode) + Format(temperatureF, QStringLiteral("000.0")) + QLatin1Char(',') +
           Format(pressurePsi, QStringLiteral("00000")) + QLatin1Char(',') +
           Format(speedRpm, QStringLiteral("000.000")) + Str(bobNumber) + code(kCarriageReturn);
}

QString StopFrame() { return code(kStopCode) + code(kCarriageReturn); }

QString ZeroFrame() { return code(kZeroCode) + code(kCarriageReturn); }

QString DownloadRequestFrame() { return code(kSetPointCode) + code(kCarriageReturn); }

QString ManualTemperatureFrame(double temperatureF) {
    return code(kManualTemperatureCode) + Format(temperatureF, QStringLiteral("000.0")) + code(kEndOfReply);
}

// ---- Status ----------------------------------------------------------------

std::optional<QString> StatusCaption(int status) {
    switch (status) {
    case 0: return QStringLiteral("InActive");
    case 1: return QStringLiteral("Running Test");
    case 2:
    case 5: return QStringLiteral("Calibrating");
    case 3: return QStringLiteral("Purge");
    case 4: return QStringLiteral("Cooling");
    case 6: return QStringLiteral("Ramping");
    case 7: return QStringLiteral("Preheating");
    case 99: return QStringLiteral("None Exist");
    default: return std::nullopt;
    }
}

QString NoResponseCaption() { return QStringLiteral("No Response"); }

// ---- Bob ----------------------------------------------------------------------

double StressDivisor(double shearRateFactor) { return 1.7023 / shearRateFactor; }

// ---- Reply frames ------------------------------------------------------------

QString UnitStatusFrame::field(int n) const {
    return n >= 1 && n <= fields.size() ? fields[n - 1] : QString();
}

double UnitStatusFrame::value(int n) const { return Val(field(n)); }

FrameTake TakeUnitStatusFrame(QString& buffer, UnitStatusFrame& frame, int minCommas, int maxCommas) {
    const int end = buffer.indexOf(QChar(uchar(kEndOfReply)));
    if (end < 0) return FrameTake::Incomplete;
    const QString text = buffer.left(end);
    // The first comma of the buffer must be the 4th character (index 3).
    const int commas = int(text.count(QLatin1Char(',')));
    const bool fits = buffer.indexOf(QLatin1Char(',')) == 3 && commas >= minCommas && commas <= maxCommas;
    buffer.remove(0, end + 1);
    if (!fits) return FrameTake::Dropped;
    frame.text = text;
    frame.fields = text.split(QLatin1Char(','));
    frame.commas = commas;
    frame.status = int(roundEven(Val(text.mid(1, 2))));
    return FrameTake::Frame;
}

bool HoldsFrameEnd(const QString& received) { return received.contains(QChar(kEndOfReply)); }

FramePass ReadReplyFrames(QString& buffer, int minCommas, int maxCommas, DroppedFrame dropped,
                          const std::function<void(const UnitStatusFrame& frame)>& readFrame) {
    FramePass pass;
    UnitStatusFrame frame;
    for (;;) {
        const FrameTake take = TakeUnitStatusFrame(buffer, frame, minCommas, maxCommas);
        if (take == FrameTake::Incomplete) break;
        if (take == FrameTake::Dropped) {
            ++pass.framesDropped;
            if (dropped == DroppedFrame::EndsCall) break;
            continue;
        }
        ++pass.framesParsed;
        if (const auto caption = StatusCaption(frame.status)) {
            pass.caption = *caption;
            if (frame.status == kStatusCooling) pass.enableExit = true;
        }
        readFrame(frame);
    }
    if (buffer.size() > kMaxReplyBuffer) {
        const qsizetype lastEnd = buffer.lastIndexOf(QChar(uchar(kEndOfReply)));
        if (lastEnd >= 0) buffer.remove(0, lastEnd + 1);
        if (buffer.size() > kMaxReplyBuffer) buffer.clear();
        pass.bufferCut = true;
    }
    return pass;
}

void StatusReplyResult::Take(const FramePass& pass) {
    framesParsed = pass.framesParsed;
    frameDropped = pass.framesDropped > 0;
    bufferCut = pass.bufferCut;
    caption = pass.caption;
    enableExit = pass.enableExit;
}

void UnitReplyParser::SetBobRadius(double radiusCm) {
    mShearRateFactor = bob::ShearRatePerRpm(radiusCm);
    mStressDivisor = StressDivisor(mShearRateFactor);
}

ReplyResult UnitReplyParser::ParseUnitReply(comm::CommPort& port, bool stepRunning) {
    // A port that could not be opened reads as a silent unit.
    return Parse(port.PortOpen() ? port.Input() : QString(), stepRunning);
}

ReplyResult UnitReplyParser::Parse(const QString& received, bool stepRunning) {
    ReplyResult result;
    mRxBuffer += received;
    watch.BeginParse(stepRunning);

    const bool si = gUnitSystem != 1;
    auto tempText = [si](double f) {
        return si ? Format(QVariant(ConvertTempText(f, QVariant())), QStringLiteral("##0.0"))
                  : Format(f, QStringLiteral("##0.0"));
    };
    auto listTrip = [&](std::optional<SafetyTrip> trip) {
        if (trip) result.trips.push_back(*trip);
    };

    result.Take(ReadReplyFrames(mRxBuffer, 8, 9, DroppedFrame::EndsCall, [&](const UnitStatusFrame& frame) {
        watch.Status(frame.status);

        // Sample temperature and its trip.
        const double sampleTemp = frame.value(2);
        listTrip(watch.Temperature(sampleTemp));
        texts.txtSampleTemp = tempText(sampleTemp);
        texts.txtTempSetPoint = tempText(frame.value(3));

        readings.mSampleTemp = sampleTemp;
        readings.mTempSetPointRead = frame.value(3);
        readings.mSpeed = frame.value(4);
        texts.txtspeed = style.speedMask.isEmpty() ? frame.field(4) : Format(readings.mSpeed, style.speedMask);
        readings.mShearRate = mShearRateFactor * readings.mSpeed;
        texts.txtShearrate = Format(readings.mShearRate, style.shearRateMask);

        readings.mShearStress = frame.value(5) / mStressDivisor;
        texts.txtShearStress =
            Format(si ? readings.mShearStress / 10.0 : readings.mShearStress, QStringLiteral("##0.0"));
        texts.txtFann = Format(DialReading(readings.mShearStress), QStringLiteral("###0.0"));

        // Pressure and its trip.
        readings.mPressure = frame.value(6);
        texts.txtPressure = Str(readings.mPressure);
        listTrip(watch.Pressure(readings.mPressure));

        readings.mGel = frame.value(7);
        texts.txtGelAngle = Format(DialReading(readings.mGel), QStringLiteral("##0.0"));
        texts.txtPressSetPoint = frame.field(8);

        texts.txtVisc = readings.mShearRate < 2e-5
                            ? QStringLiteral("0")
                            : Format(100.0 * readings.mShearStress / (readings.mShearRate + 1e-6), style.viscosityMask);

        // A speed shown as zero shows zero everywhere it enters.
        if (std::fabs(Val(texts.txtspeed)) < 1e-5) {
            texts.txtspeed = QStringLiteral("0.0");
            texts.txtShearrate = QStringLiteral("0.0");
            texts.txtVisc = QStringLiteral("0.0");
        }
    }));
    return result;
}

void ZeroUnit(comm::CommPort& port, UnitReplyParser& parser) {
    port.InputLen(0);
    parser.ClearBuffer();
    port.Output(ZeroFrame());
}

// ---- Stored test download ----------------------------------------------------

QString NoResponseMessage() { return QStringLiteral("No response from Z3080, please check connection."); }
QString CommunicationErrorMessage() {
    return QStringLiteral("Communication error from Z3080, please download data again.");
}
QString CommunicationErrorTitle() { return QStringLiteral("Communication Error"); }
QString NoStoredTestMessage() { return QStringLiteral("The Z3080 holds no stored test: nothing has been stored."); }

namespace {

// One field of a stored record: the whole text (blanks around it aside) must
// be a number; a status frame, noise or an empty field is none.
std::optional<double> recordNumber(const QString& field) {
    const std::optional<double> v = StrictNumber(field);
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return v;
}

// A whole-number field: within what a stored row's whole numbers hold.
bool wholeFits(double v) { return v >= -2147483648.0 && v <= 2147483647.0; }

}  // namespace

std::optional<StoredDataRecord> ParseStoredRecord(const QString& record) {
    // A control character (the end code 26 of a status frame above all) or a
    // character beyond plain text is never part of a record: a status frame
    // or line noise landed in it, and whatever follows it is not the record.
    for (const QChar c : record)
        if (c.unicode() < 32 || c.unicode() > 126) return std::nullopt;
    const QStringList parts = record.split(QLatin1Char(','));
    if (parts.size() < 9) return std::nullopt;
    double v[9];
    for (int i = 0; i < 8; ++i) {
        const std::optional<double> n = recordNumber(parts[i]);
        if (!n) return std::nullopt;
        v[i] = *n;
    }
    // Field 9 is the text after the 8th comma; what a further comma leaves
    // after it is not read, but the field itself must be a number.
    const std::optional<double> phase = recordNumber(parts[8]);
    if (!phase) return std::nullopt;
    StoredDataRecord r;
    r.step = roundEven(v[0]);
    r.rampEntry = roundEven(v[1]);
    r.timeSec = roundEven(v[2]);
    r.sampleTemp = v[3];
    r.secondTemp = v[4];
    r.pressure = v[5];
    r.shearRate = v[6];
    r.shearStress = v[7];
    r.phase = roundEven(*phase);
    if (!wholeFits(r.step) || !wholeFits(r.rampEntry) || !wholeFits(r.timeSec) || !wholeFits(r.phase))
        return std::nullopt;
    return r;
}

StoredTransfer ParseStoredTransfer(const QString& received) {
    StoredTransfer transfer;
    if (received.isEmpty()) return transfer;  // NoResponse
    transfer.status = TransferStatus::CommunicationError;
    if (received.back() != QChar(uchar(kEndOfTransfer))) return transfer;

    std::vector<StoredDataRecord> records;
    qsizetype start = 0;
    for (qsizetype end; (end = received.indexOf(QChar(uchar(kEndOfRecord)), start)) >= 0; start = end + 1) {
        const std::optional<StoredDataRecord> r = ParseStoredRecord(received.mid(start, end - start));
        if (!r) return transfer;  // a damaged record: keep nothing
        records.push_back(*r);
    }
    // After the last record only the end: anything else (a status frame the
    // unit sent before its end code) is damage too.
    if (received.size() - start != 1) return transfer;
    transfer.status = TransferStatus::Ok;
    transfer.records = std::move(records);
    return transfer;
}

}  // namespace unit
