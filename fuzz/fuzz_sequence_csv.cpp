// Fuzz target: a sequence exchange file as the import reads it. Besides
// crashes and hangs it checks what the import relies on before it stores:
// a refused file keeps no sequence, and an accepted one holds at least one
// sequence whose every value is a finite number within what a run can hold.

#include "FuzzSupport.h"
#include "data/SequenceLimits.h"
#include "sequences/SequenceCsv.h"

#include <QByteArray>
#include <cmath>
#include <cstdint>

using fuzzing::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::silenceDialogs();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const seqcsv::ParseResult r = seqcsv::ParseSequenceText(bytes);
    if (!r.ok()) {
        check(r.sequences.isEmpty());
        return 0;
    }
    check(!r.sequences.isEmpty());
    for (const seqcsv::ImportedSequence& s : r.sequences) {
        for (int i = 0; i < s.steps.size(); ++i) {
            for (double v : s.steps[i]) check(std::isfinite(v));
            const auto& f = s.steps[i];
            check(seqlimits::CheckStep(i + 1, f[1], f[8], f[9]).isEmpty());
        }
        for (int i = 0; i < s.ramps.size(); ++i) {
            for (double v : s.ramps[i]) check(std::isfinite(v));
            check(seqlimits::CheckRampEntry(i + 1, s.ramps[i][1], s.ramps[i][3]).isEmpty());
        }
    }
    return 0;
}
