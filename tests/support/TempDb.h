#pragma once
// A scratch folder holding a fresh copy of the empty database the build makes.

#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace testing_support {

class TempDb {
public:
    TempDb();  // copies the empty Z3080daq.accdb into a new temporary folder
    QString dir() const { return dir_.path(); }
    QString path() const;  // the database file
private:
    QTemporaryDir dir_;
};

// A folder of its own with no database in it.
QString emptyDbPath();

// Makes dir the working folder (the data folder) while it lives.
struct InFolder {
    QString old = QDir::currentPath();
    explicit InFolder(const QString& dir) { QDir::setCurrent(dir); }
    ~InFolder() { QDir::setCurrent(old); }
};

}  // namespace testing_support
