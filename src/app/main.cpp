#include <QApplication>

#include "platform/TrapErrors.h"
#include "mainwindow/frmMain.h"

// The data folder is the working folder: the database, the settings file and
// every other file of the program are taken from it.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Z3080DAQ"));
    frmMain w;
    TrapErrors([&] { w.Form_Load(); });
    w.show();
    return app.exec();
}
