#include "mainwindow/DataFolderHold.h"

#include "data/Globals.h"
#include "platform/Dialogs.h"
#include "unitrun/RowSpool.h"

#include <QDir>
#include <cstdio>

namespace {
void tellOnStderr(const QString& text) {
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}
}  // namespace

QString FolderInUseMessage(const QString& folder, qint64 holder) {
    return QStringLiteral("The data folder %1 is in use by another Z3080DAQ program%2. Only one program may use a "
                          "data folder at a time: this one opens nothing and ends.")
        .arg(QDir::toNativeSeparators(folder),
             holder > 0 ? QStringLiteral(" (process %1)").arg(holder) : QString());
}

DataFolderHold::DataFolderHold(const QString& folder)
    : lock_(folder, kLockFileName),
      lockFile_(lock_.path()),
      spoolFile_(QDir(folder).absoluteFilePath(runloop::kSpoolFileName)) {}

std::unique_ptr<DataFolderHold> DataFolderHold::Take(const QString& folder) {
    std::unique_ptr<DataFolderHold> hold(new DataFolderHold(folder));
    if (hold->lock_.heldElsewhere()) {
        const QString text = FolderInUseMessage(QDir(folder).absolutePath(), hold->lock_.holder());
        tellOnStderr(text);
        ui::MsgBox(text, ui::vbCritical);
        return nullptr;
    }
    if (!hold->lock_.held())
        tellOnStderr(QStringLiteral("The data folder %1 is used without its lock: %2 could not be made (%3).")
                         .arg(QDir::toNativeSeparators(QDir(folder).absolutePath()),
                              QDir::toNativeSeparators(hold->lock_.path()), hold->lock_.error()));
    return hold;
}
