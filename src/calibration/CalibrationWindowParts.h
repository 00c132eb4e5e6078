#pragma once
// What the files of the calibration window share: its messages and file
// filters, the value boxes, the file dialogs, the unit of a list entry, the
// check that a tab's port is its unit's, and the handlers' own failures.

#include "dialogs/NamedControls.h"
#include "platform/CommPort.h"
#include "platform/Dialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QString>
#include <array>
#include <optional>
#include <stdexcept>

namespace calibration::windowparts {

inline const QString kCommMessage =
    QStringLiteral("Communication error - Please make sure the unit is not occupied with another function.");
inline const QString kBusyMessage = QStringLiteral("Please wait, calibrating current unit. ");
// A PVT or swell step while a torque run owns the port: the tab has no live
// reading (its last one is from before the run), and its last step would
// close the run's port.
inline const QString kTorqueRunStepMessage =
    QStringLiteral("Please wait, calibrating torque. The torque calibration is using the unit's port, so no "
                   "calibration step can be taken until it is over.");
inline const QString kTableFilter = QStringLiteral("All Files (*.*)|*.*|Text Files") + QStringLiteral("(*.txt)|*.txt");
inline const QString kReportFilter = QStringLiteral("All Files (*.*)|*.*|Text Files(*.csv)|*.csv");
inline const QString kCancelled = QStringLiteral("Cancel was selected.");

using controls::Button;
using controls::Label;
using controls::Named;

// A value caption: a sunken box that shows a number (and lets it be copied).
inline QLabel* valueBox(QWidget* parent, const QString& name, const QRect& geometry, int index = -1) {
    QLabel* l = controls::SunkenLabel(parent, name, QString(), geometry, index);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

// A file chosen in the save or open dialog, the second filter shown first;
// nothing, with the cancel said, when the operator cancels.
inline std::optional<QString> chooseFile(bool save, const QString& filter) {
    ui::FileRequest req;
    req.save = save;
    req.filter = filter;
    req.filterIndex = 2;
    const std::optional<QString> path = save ? ui::GetSaveFileName(req) : ui::GetOpenFileName(req);
    if (!path) ui::MsgBox(kCancelled);
    return path;
}
inline std::optional<QString> saveFile(const QString& filter) { return chooseFile(true, filter); }
inline std::optional<QString> openFile(const QString& filter) { return chooseFile(false, filter); }

// The unit of a list entry: the value of its last character ("Unit 3" is 3).
inline int unitOfEntry(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || !t.back().isDigit()) return 0;
    return t.back().digitValue();
}

// Whether a tab's list shows the unit whose port the tab opened, and the port,
// when open, is still that unit's (another tab may have opened another since).
inline bool showsUnit(const QComboBox& list, int opened, const comm::CommPort& port, const std::array<int, 11>& ports) {
    if (opened < 1 || opened >= int(ports.size())) return false;
    if (list.currentIndex() < 0 || unitOfEntry(list.currentText()) != opened) return false;
    return !port.PortOpen() || port.PortNumber() == ports[size_t(opened)];
}

// What a port that cannot be opened adds when a unit window holds its device
// (the registry of unit windows knows which): the port with its device
// (comm::PortName) and that window, by its caption; empty when no unit
// window holds the device.
QString heldByWindowNote(const comm::CommPort& port);

// A failure that the handler reports with its own text.
struct HandlerError : std::runtime_error {
    explicit HandlerError(const QString& text) : std::runtime_error(text.toStdString()), text(text) {}
    QString text;
};

// A port that a unit window holds: the note that names the window
// (heldByWindowNote) is the whole message, nothing generic before it.
struct HeldPortError : HandlerError {
    using HandlerError::HandlerError;
};

inline QString describe(const std::exception& e) {
    if (auto* c = dynamic_cast<const comm::CommError*>(&e)) return c->fullText();
    if (auto* h = dynamic_cast<const HandlerError*>(&e)) return h->text;
    return QString::fromStdString(e.what());
}

}  // namespace calibration::windowparts
