#pragma once
// The sequence editor's preview chart: the profile of shear rate (or speed),
// temperature and pressure against minutes that the sequence in the editor's
// grids would drive, simulated from the cell texts as shown (display units,
// no conversion but that of the start temperature).
//
// Used by the sequence editor (frmSetup):
//   cmdUpdateChart_Click, and after a sequence picked in the list is loaded:
//     seqpreview::BuildPreviewProfile(*Pesgo1, SequenceGridTexts::fromGrids(
//         *MSFlexGrid1->gridModel(), *MSFlexGrid2->gridModel()));
//   frmSetup::Initial_Chart_All():  seqpreview::Initial_Chart_All(*Pesgo1);
//
// The profile is read from the step grid's columns 1 (step time, min),
// 2 (temperature), 4 (temperature rate per min, signed), 5 (rate), 6
// (pressure), 7 (pressure rate per min, signed), 9 (cycles) and 10 (ramp
// flag), and from the ramp-define grid's columns 0 (entry time, s) and 1
// (entry rate); every cell by its leading number (0 when none).

#include "sequences/SequenceGridTexts.h"

#include <QVector>
#include <optional>

class PeChart;

namespace seqpreview {

struct ProfilePoint {
    double minutes = 0;      // the clock (whole seconds) / 60
    double rate = 0;         // subset 0: shear rate or speed
    double temperature = 0;  // subset 1
    double pressure = 0;     // subset 2
    bool operator==(const ProfilePoint&) const = default;
};

// The most points a profile holds (the plotting counts points in 16 bits);
// a build stops adding points once it has this many.
constexpr int kMaxPoints = 32767;

// The profile of the grids; nullopt when the step grid has no step row.
std::optional<QVector<ProfilePoint>> BuildProfile(const SequenceGridTexts& grids);

// The preview's base state: an empty chart with the subsets "Shear Rate"
// (green), "Temperature" (red) and "Pressure" (dark blue) on three Y axes,
// each drawn as a line and its axis titled with its quantity and unit (the
// step grid's "Shear Rate (1/s)" or "Speed (RPM)", "Temperature " and
// gTempLabel, "Pressure " and gPressLabel), and the X axis titled "Time (min)".
void Initial_Chart_All(PeChart& chart);

// Writes the points (X the minutes, Y the three values, as singles) and redraws.
void PlotProfile(PeChart& chart, const QVector<ProfilePoint>& points);

// Rebuilds the chart from the grids: new chart, Initial_Chart_All, the
// profile, redraw. With no step row nothing is done (the chart keeps what it
// shows) and the result is false.
bool BuildPreviewProfile(PeChart& chart, const SequenceGridTexts& grids);

}  // namespace seqpreview
