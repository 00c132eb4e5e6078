// The live result grid and chart of the run: empty until they are built.

#include "realtime/frmRealTime.h"

void frmRealTime::UpdateResultGrid() {}

void frmRealTime::CalcRampPowerLaw() {}

void frmRealTime::PlotAllSeries() {}
