#include <QApplication>
#include <QDir>

#include "platform/TrapErrors.h"
#include "mainwindow/DataFolderHold.h"
#include "mainwindow/frmMain.h"

// The data folder is the working folder: the database, the settings file and
// every other file of the program are taken from it. It is held for the
// program's whole life (one program per data folder), before anything of it
// is opened.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Z3080DAQ"));
    const std::unique_ptr<DataFolderHold> folder = DataFolderHold::Take(QDir::currentPath());
    if (!folder) return 1;
    frmMain w;
    TrapErrors([&] { w.Form_Load(); });
    w.show();
    return app.exec();
}
