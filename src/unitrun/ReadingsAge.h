#pragma once
// Whether a unit is heard, and whether its last readings are still its
// present ones: the one rule by which every unit window shows "No Response"
// and by which a run records a point (SequenceRun), whatever the test kind.
//
// The unit sends a frame a second of its own accord. At a tick a second, a
// tick may find no frame (one a little late, or split across two ticks: the
// next tick reads it), but two ticks in a row never do while the unit sends.
// So the unit is silent once no frame has come for longer than
// kReadingsMaxAgeMs, and readings parsed longer ago than that are no longer
// the unit's present readings: a point holds the readings of its own tick or
// of the tick before, at most two seconds after the unit sent them, and a
// silence shows within three seconds of the last frame.
//
// A tick that throws its input away unparsed (the first tick of a step,
// after its set points) makes no readings new: when that input held a frame
// the unit is heard, but the readings are still those of before. A
// set-point frame makes the readings of before it no longer the present
// ones (Outdated): they stay so until a tick parses a frame. So a point
// never holds readings from before the set points it is recorded under, nor
// readings parsed longer than kReadingsMaxAgeMs before its tick; a point due
// while the unit is heard but its readings are not fresh waits for the
// first fresh ones (SequenceRun).
//
// Time is that of tick::timeGetTime: the time a tick was due, so a tick the
// program ran late ages no readings.

#include <QtGlobal>
#include <optional>

namespace runloop {

// One tick at a second without a frame is the line's way; two are silence.
inline constexpr quint32 kReadingsMaxAgeMs = 1500;

class ReadingsAge {
public:
    // One tick's input, parsed: the good frames the parse took (0 when none).
    void Parsed(int frames);
    // One tick's input thrown away unparsed; heldFrame: it held the end of a
    // frame (the unit is heard). The readings are not renewed.
    void Discarded(bool heldFrame);
    // A set-point frame went out: the readings until now are of before it.
    void Outdated();

    // No frame has come for longer than the limit, counted from the first
    // tick when none ever came: "No Response". False before any tick.
    bool Silent() const;
    // The readings are the unit's present ones and may be recorded.
    bool Fresh() const;

private:
    void tickAt(quint32 now);

    std::optional<quint32> firstTickMs_;
    std::optional<quint32> lastFrameMs_;  // the last tick that found a frame, parsed or not
    std::optional<quint32> readingsMs_;   // the last tick that parsed a frame, none once outdated
};

}  // namespace runloop
