#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include "data/clsConnection.h"
#include "data/Globals.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Z3080DAQ"));
    clsConnection connection;
    connection.OpenDB();
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Z3080DAQ/v2.0.0.24 - Software for Z3080 Ultra HPHT Automatic Rheometer"));
    w.setCentralWidget(new QLabel(QStringLiteral("Data folder: ") + gAppPath));
    w.showMaximized();
    return app.exec();
}
