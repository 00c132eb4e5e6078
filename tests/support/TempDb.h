#pragma once
// A scratch folder holding a fresh copy of the empty database the build makes.

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

}  // namespace testing_support
