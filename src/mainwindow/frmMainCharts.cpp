// The chart side of the main window: every chart control, the Y-range frame
// and the print command go to the result charts (MainCharts), under the guard
// of the window's handlers.

#include "mainwindow/frmMain.h"

#include "charts/MainCharts.h"
#include "platform/TrapErrors.h"

qint32 frmMain::ChartMode() const { return charts_->ChartMode; }

void frmMain::Initial_Chart_2d() { charts_->Initial_Chart_2d(); }

void frmMain::opt2D_Click() {
    TrapErrors([&] { charts_->opt2D_Click(); });
}
void frmMain::opt3D_Click() {
    TrapErrors([&] { charts_->opt3D_Click(); });
}
void frmMain::optAllData_Click() {
    TrapErrors([&] { charts_->optAllData_Click(); });
}
void frmMain::optNoRamp_Click() {
    TrapErrors([&] { charts_->optNoRamp_Click(); });
}
void frmMain::optonlyRamp_Click() {
    TrapErrors([&] { charts_->optonlyRamp_Click(); });
}
void frmMain::optXlog_Click() {
    TrapErrors([&] { charts_->optXlog_Click(); });
}
void frmMain::optXNormal_Click() {
    TrapErrors([&] { charts_->optXNormal_Click(); });
}
void frmMain::optYLog_Click() {
    TrapErrors([&] { charts_->optYLog_Click(); });
}
void frmMain::optYNormal_Click() {
    TrapErrors([&] { charts_->optYNormal_Click(); });
}
void frmMain::cmbChartType_Click() {
    TrapErrors([&] { charts_->cmbChartType_Click(); });
}
void frmMain::cmdPrintChart_Click() {
    TrapErrors([&] { charts_->cmdPrintChart_Click(); });
}
void frmMain::Command1_Click() {
    TrapErrors([&] { charts_->Command1_Click(); });
}
void frmMain::Command2_Click() {
    TrapErrors([&] { charts_->Command2_Click(); });
}
void frmMain::Pesgo1_AxisEvent(short first, short second) {
    TrapErrors([&] { charts_->Pesgo1_AxisEvent(first, second); });
}
