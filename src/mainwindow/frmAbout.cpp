#include "mainwindow/frmAbout.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(360, 150);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
    picIcon->setGeometry(16, 16, 48, 48);

    lblTitle = new QLabel(QStringLiteral("Z3080daq for Z3080 Rheometer"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setGeometry(80, 18, 264, 20);

    lblVersion = new QLabel(QStringLiteral("Version 2.0.0.24   10-21-2016"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(80, 44, 264, 20);

    Command1 = new QPushButton(QStringLiteral("&OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(264, 108, 80, 28);
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
}

void frmAbout::Command1_Click() { accept(); }
