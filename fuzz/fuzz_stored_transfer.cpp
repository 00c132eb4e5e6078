// Fuzz target: a stored-test transfer as the unit sends it, with its record
// check. Besides crashes and hangs it checks what the download relies on: a
// transfer is either refused whole or every record it gives is one a result
// row can hold, one per code 3, and the record check agrees with the
// transfer's verdict record by record.

#include "FuzzSupport.h"
#include "unitlink/UnitProtocol.h"

#include <QString>
#include <cmath>
#include <cstdint>

using fuzzing::check;

namespace {

bool whole32(double v) { return v == std::nearbyint(v) && v >= -2147483648.0 && v <= 2147483647.0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::silenceDialogs();
    const QString received = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    const unit::StoredTransfer t = unit::ParseStoredTransfer(received);
    if (t.status != unit::TransferStatus::Ok) {
        check(t.records.empty());
        check(t.status != unit::TransferStatus::NoResponse || received.isEmpty());
        return 0;
    }
    check(received.endsWith(QChar(uchar(unit::kEndOfTransfer))));
    // A status frame's end code never reaches a stored record.
    check(!received.contains(QChar(26)));
    check(qsizetype(t.records.size()) == received.count(QChar(uchar(unit::kEndOfRecord))));
    qsizetype start = 0;
    for (const unit::StoredDataRecord& r : t.records) {
        check(whole32(r.step) && whole32(r.rampEntry) && whole32(r.timeSec) && whole32(r.phase));
        check(std::isfinite(r.sampleTemp) && std::isfinite(r.secondTemp) && std::isfinite(r.pressure) &&
              std::isfinite(r.shearRate) && std::isfinite(r.shearStress));
        const qsizetype end = received.indexOf(QChar(uchar(unit::kEndOfRecord)), start);
        check(end >= 0);
        const std::optional<unit::StoredDataRecord> again = unit::ParseStoredRecord(received.mid(start, end - start));
        check(again.has_value() && again->step == r.step && again->timeSec == r.timeSec);
        start = end + 1;
    }
    return 0;
}
