#pragma once
// Files of the data folder found by name without regard to letter case: the
// files of this program were named on a system that ignores case
// ("zadizezaru.bmp" may stand as "Zadizezaru.bmp", "CALIsmal.dat" as
// "calismal.dat"). Also the report logo's name and the reports folder.

#include <QString>

// The path of the file in the data folder (gAppPath) whose name equals
// `name` ignoring case; an exact match wins over others. When there is none,
// the path the name would have (dataFile(name)), so a writer creates it under
// the name given.
QString FindDataFile(const QString& name);

// The report logo of the printed and Excel reports.
inline const QString kReportLogoFileName = QStringLiteral("zadizezaru.bmp");

// The folder the report workbooks are saved in: `reports` in the data folder
// (in the working folder while no data folder is set). It may not exist yet.
QString ReportsFolder();
