// Fuzz target: a sequence exchange file as the import reads it. Besides
// crashes and hangs it checks what the import relies on before it stores:
// a refused file keeps no sequence, and an accepted one holds at least one
// sequence whose every value is a finite number a step may hold.

#include "FuzzSupport.h"
#include "data/Globals.h"
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
    const seqlimits::Limits limits = seqlimits::StoredLimits(gMaxPress);
    for (const seqcsv::ImportedSequence& s : r.sequences) {
        for (int i = 0; i < s.steps.size(); ++i) {
            for (double v : s.steps[i]) check(std::isfinite(v));
            const double numberBefore = i > 0 ? s.steps[i - 1][0] : 0;
            check(!seqlimits::CheckStep(i + 1, seqcsv::StepOf(s.steps[i]), numberBefore, limits));
        }
        for (int i = 0; i < s.ramps.size(); ++i) {
            for (double v : s.ramps[i]) check(std::isfinite(v));
            check(!seqlimits::CheckRampEntry(i + 1, seqcsv::RampEntryOf(s.ramps[i]), limits));
        }
    }
    return 0;
}
