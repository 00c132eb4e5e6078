// The chart side of the main window: the dimension switch and the hooks the
// result charts fill in.

#include "mainwindow/frmMain.h"

#include "platform/Pe3dChart.h"
#include "platform/PeChart.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

void frmMain::opt2D_Click() {
    ChartMode = 1;
    opt2D->setChecked(true);
    opt3D->setChecked(false);
    Pesgo1->show();
    Pe3do1->hide();
    framX->show();
    framY->show();
    // The chart-type list of the opened test's kind, and the overlap button
    // by the selected chart type, come with the result charts.
}

void frmMain::opt3D_Click() {
    ChartMode = 2;
    opt2D->setChecked(false);
    opt3D->setChecked(true);
    Pesgo1->hide();
    Pe3do1->show();
    framX->hide();
    framY->hide();
    Fill_ChartList_3D();
    cmdOverlap->setEnabled(false);
}

// Hooks of the result charts.
void frmMain::Initial_Chart_2d() {}
void frmMain::Initial_Chart_Rheology() {}
void frmMain::Fill_ChartList_2D() {}
void frmMain::Fill_ChartList_3D() {}
void frmMain::SetChartSubtitle(const QString& subtitle) { Pesgo1->setProp(pesgo::SubTitle, subtitle); }

// Both limits given by the program: the control value, then the upper and
// then the lower limit.
void frmMain::SetChartYRange(const YAxisRange& range) {
    Pesgo1->setProp(pesgo::ManualScaleControlY, int(pesgo::ManualRange));
    Pesgo1->setProp(pesgo::ManualMaxY, range.upper);
    Pesgo1->setProp(pesgo::ManualMinY, range.lower);
}
void frmMain::cmbChartType_Click() {}
void frmMain::optAllData_Click() {}
void frmMain::optNoRamp_Click() {}
void frmMain::optonlyRamp_Click() {}
void frmMain::optXlog_Click() {}
void frmMain::optXNormal_Click() {}
void frmMain::optYLog_Click() {}
void frmMain::optYNormal_Click() {}
void frmMain::cmdPrintChart_Click() {}
