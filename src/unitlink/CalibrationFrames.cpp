#include "unitlink/CalibrationFrames.h"

#include "data/Numbers.h"

#include <cmath>

namespace unit {

namespace {
constexpr char kCr = 13;
constexpr char kEnd = 26;
QString code(char c) { return QString(QChar(uchar(c))); }
}  // namespace

QString CalibrationStartFrame(const std::vector<double>& viscosities, int bobNumber) {
    QString frame = code(kCalibrationStartCode);
    for (int i = 0; i < kTorqueSetValues; ++i) {
        const double v = i < int(viscosities.size()) ? viscosities[size_t(i)] : 0.0;
        frame += Format(std::fabs(v), QStringLiteral("000.0")) + code(kEnd);
    }
    return frame + Str(bobNumber) + code(kCr);
}

QString CalibrationRunFrame() { return code(kCalibrationRunCode) + code(kCr); }

namespace {
// The fields of the coefficient frame, in order, as the frame writes them.
std::vector<CoefficientInFrame> coefficientFields(double a, int n, const std::vector<double>& A,
                                                  const std::vector<double>& B) {
    std::vector<CoefficientInFrame> fields;
    fields.push_back({QStringLiteral("a"), a, Format(a, QStringLiteral("####.#"))});
    fields.push_back({QStringLiteral("n"), double(n), Format(double(n), QStringLiteral("##"))});
    for (const auto& [name, table] : {std::pair{QStringLiteral("A"), &A}, std::pair{QStringLiteral("B"), &B}})
        for (int i = 0; i <= n; ++i) {
            const double v = i < int(table->size()) ? (*table)[size_t(i)] : 0.0;
            fields.push_back({name + QStringLiteral("(%1)").arg(i), v, Format(v, QStringLiteral("0.##"))});
        }
    return fields;
}
}  // namespace

QString CoefficientFrame(double a, int n, const std::vector<double>& A, const std::vector<double>& B) {
    QString frame = code(kCoefficientCode);
    for (const CoefficientInFrame& f : coefficientFields(a, n, A, B)) frame += f.sent + QLatin1Char(',');
    return frame + code(kCr);
}

std::vector<CoefficientInFrame> CoefficientsTheFrameChanges(double a, int n, const std::vector<double>& A,
                                                            const std::vector<double>& B) {
    std::vector<CoefficientInFrame> changed;
    for (const CoefficientInFrame& f : coefficientFields(a, n, A, B))
        if (Val(f.sent) != f.value) changed.push_back(f);
    return changed;
}

TorqueReplyResult TorqueReplyParser::Parse(const QString& received) {
    TorqueReplyResult result;
    buffer_ += received;
    const QChar end{uchar(kEnd)};
    for (;;) {
        const qsizetype z = buffer_.indexOf(end);
        if (z < 0) break;
        QString piece = buffer_.left(z);
        // Noise before the frame's code is skipped.
        qsizetype start = 0;
        while (start < piece.size() && piece[start] != QChar(uchar(kTorquePointCode)) &&
               piece[start] != QChar(uchar(kTorqueEndCode)))
            ++start;
        const bool first = pieces_++ == 0;
        if (start < piece.size() && piece[start] == QChar(uchar(kTorqueEndCode))) {
            result.ended = true;
            buffer_.clear();
            return result;
        }
        buffer_.remove(0, z + 1);
        const qsizetype comma = piece.indexOf(QLatin1Char(','), start);
        if (start >= piece.size() || comma < 0 || piece.indexOf(QLatin1Char(','), comma + 1) >= 0) {
            ++result.dropped;
            const qsizetype commas = piece.count(QLatin1Char(','));
            // Text without a comma is noise; a whole status frame loses nothing.
            const bool statusFrame = start >= piece.size() && (commas == 8 || commas == 9);
            if (commas > 0 && !statusFrame && !first) ++result.broken;
            continue;
        }
        result.points.push_back(TorquePoint{Val(piece.mid(start + 1, comma - start - 1)), Val(piece.mid(comma + 1))});
    }
    if (buffer_.size() > kMaxBuffer) {
        buffer_.clear();
        result.bufferCut = true;
    }
    return result;
}

double CalibrationReading(const QString& received) {
    double reading = 0;
    QString text = received;
    const QChar end{uchar(kEnd)};
    for (;;) {
        const qsizetype z = text.indexOf(end);
        if (z < 0) break;
        if (text.indexOf(QLatin1Char(',')) != 3) break;
        const QString frame = text.left(z);
        const qsizetype commas = frame.count(QLatin1Char(','));
        const bool tail = !frame.endsWith(QLatin1Char(','));
        if (commas + (tail ? 1 : 0) != 9) break;
        // Field 9: after the 8th comma, up to the 9th (or the end).
        qsizetype from = -1;
        for (int i = 0; i < 8; ++i) from = frame.indexOf(QLatin1Char(','), from + 1);
        const qsizetype to = frame.indexOf(QLatin1Char(','), from + 1);
        reading = Val(frame.mid(from + 1, to < 0 ? -1 : to - from - 1));
        text.remove(0, z + 1);
    }
    return reading;
}

}  // namespace unit
