#include "realtime/UnitWindow.h"

#include "realtime/frmMDIRealTime.h"

UnitWindow::UnitWindow(UnitWindowKind kind, QWidget* parent) : QWidget(parent), kind_(kind) {}

UnitWindow::~UnitWindow() { Timer1.Enabled(false); }

void UnitWindow::Container(frmMDIRealTime* container) { container_ = container; }

frmMDIRealTime* UnitWindow::Container() const { return container_; }

void UnitWindow::InitialInst(clsConnection*) {}

int UnitWindow::UnitOfCaption(const QString& caption) {
    for (int n = 1; n <= 8; ++n)
        if (caption == QStringLiteral("Unit ") + QString::number(n)) return n;
    return 0;
}

void UnitWindow::EnableContainerEntry(int unitNumber) {
    if (container_) container_->EnableEntry(kind_, unitNumber);
}
