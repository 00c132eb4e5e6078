#include "support/TempDb.h"

#include <QFile>
#include <stdexcept>

namespace testing_support {

TempDb::TempDb() {
    if (!dir_.isValid()) throw std::runtime_error("no temporary folder");
    if (!QFile::copy(QStringLiteral(Z3080_EMPTY_DB), path()))
        throw std::runtime_error("cannot copy the empty database " Z3080_EMPTY_DB);
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

QString TempDb::path() const { return dir_.filePath(QStringLiteral("Z3080daq.accdb")); }

QString emptyDbPath() { return QStringLiteral(Z3080_EMPTY_DB); }

}  // namespace testing_support
