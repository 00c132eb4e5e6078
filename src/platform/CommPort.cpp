#include "platform/CommPort.h"

#include <QDeadlineTimer>
#include <algorithm>

#include <QDir>
#include <QFile>
#include <QSerialPort>
#include <QStringList>
#include <QTextStream>
#include <tuple>

namespace comm {

CommError::CommError(int number, const QString& description, const QString& detail)
    : std::runtime_error((detail.isEmpty() ? description : description + QStringLiteral(" (") + detail +
                                                                 QLatin1Char(')'))
                             .toStdString()),
      number_(number),
      description_(description),
      detail_(detail) {}

QString CommError::fullText() const {
    return detail_.isEmpty() ? description_ : description_ + QStringLiteral(" (") + detail_ + QLatin1Char(')');
}

namespace {

constexpr int kMaxPortNumber = 255;
constexpr int kMaxInputLen = 32767;

[[noreturn]] void raise(int number, const QString& detail = QString()) {
    QString text;
    switch (number) {
    case ErrInvalidPropertyValue: text = QStringLiteral("Invalid property value"); break;
    case ErrPortOpenOperation: text = QStringLiteral("Operation not valid while the port is opened"); break;
    case ErrInvalidPortNumber: text = QStringLiteral("Invalid port number"); break;
    case ErrPortAlreadyOpen: text = QStringLiteral("Port already open"); break;
    case ErrSetCommState: text = QStringLiteral("Could not set comm state"); break;
    case ErrPortNotOpen: text = QStringLiteral("Operation valid only when the port is open"); break;
    case ErrReadDevice: text = QStringLiteral("Error reading comm device"); break;
    case ErrWriteDevice: text = QStringLiteral("Error writing comm device"); break;
    default: text = QStringLiteral("Communication error"); break;
    }
    throw CommError(number, text, detail);
}

// The "N=device" line of the map file in mapFolder for port N; empty when there is none.
QString mapFileEntry(int portNumber, const QString& mapFolder) {
    if (mapFolder.isEmpty()) return {};
    QFile f(QDir(mapFolder).filePath(QString::fromLatin1(kPortMapFileName)));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    QTextStream in(&f);
    QString found;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) continue;
        bool ok = false;
        const int n = line.left(eq).trimmed().toInt(&ok);
        if (ok && n == portNumber) found = line.mid(eq + 1).trimmed();  // the last line for N counts
    }
    return found;
}

}  // namespace

QString PortEnvironmentVariable(int portNumber) {
    return QStringLiteral("Z3080_PORT_") + QString::number(portNumber);
}

QString DevicePath(int portNumber, const QString& mapFolder) {
    if (portNumber < 1 || portNumber > kMaxPortNumber) return {};
    const QString env = qEnvironmentVariable(PortEnvironmentVariable(portNumber).toLatin1().constData()).trimmed();
    if (!env.isEmpty()) return env;
    const QString mapped = mapFileEntry(portNumber, mapFolder);
    if (!mapped.isEmpty()) return mapped;
    return QStringLiteral("/dev/ttyS") + QString::number(portNumber - 1);
}

QString PortName(int portNumber, const QString& device) {
    return QStringLiteral("port %1 (%2)")
        .arg(portNumber)
        .arg(device.isEmpty() ? QStringLiteral("no device") : device);
}

CommPort::CommPort() : port_(std::make_unique<QSerialPort>()) {}

CommPort::~CommPort() {
    if (port_->isOpen()) port_->close();
}

void CommPort::PortNumber(int number) {
    if (PortOpen()) raise(ErrPortOpenOperation);
    if (number < 1 || number > kMaxPortNumber)
        raise(ErrInvalidPortNumber, comm::PortName(number, QString()));
    portNumber_ = number;
}

void CommPort::Settings(const QString& settings) {
    const QStringList parts = settings.split(QLatin1Char(','));
    if (parts.size() != 4) raise(ErrInvalidPropertyValue, QStringLiteral("settings \"") + settings + QLatin1Char('"'));
    bool ok = false;
    const qint64 baud = parts[0].trimmed().toLongLong(&ok);
    const bool baudOk = ok && baud > 0 && baud <= 4000000;
    const QString par = parts[1].trimmed().toLower();
    const bool parOk = par.size() == 1 && QStringLiteral("neoms").contains(par);
    const int data = parts[2].trimmed().toInt(&ok);
    const bool dataOk = ok && data >= 5 && data <= 8;
    const QString stop = parts[3].trimmed();
    const int stopCode = stop == QLatin1String("1") ? 1 : stop == QLatin1String("2") ? 2 : stop == QLatin1String("1.5") ? 3 : 0;
    if (!baudOk || !parOk || !dataOk || stopCode == 0)
        raise(ErrInvalidPropertyValue, QStringLiteral("settings \"") + settings + QLatin1Char('"'));

    const auto old = std::make_tuple(settings_, baud_, parity_, dataBits_, stopBits_);
    settings_ = settings;
    baud_ = qint32(baud);
    parity_ = char(par[0].unicode());
    dataBits_ = data;
    stopBits_ = stopCode;
    if (PortOpen() && !applySettings()) {
        const QString why = port_->errorString();
        port_->clearError();
        std::tie(settings_, baud_, parity_, dataBits_, stopBits_) = old;
        applySettings();
        port_->clearError();
        raise(ErrSetCommState, openDevice_ + QStringLiteral(": ") + why);
    }
}

bool CommPort::PortOpen() const { return port_->isOpen(); }

QString CommPort::DevicePath() const { return PortOpen() ? openDevice_ : comm::DevicePath(portNumber_, mapFolder_); }

QString CommPort::PortName() const { return comm::PortName(portNumber_, DevicePath()); }

// Applies the settings to the open port. Only a refused line setting counts;
// the modem-line calls a pseudo-terminal does not support are not used.
bool CommPort::applySettings() {
    QSerialPort::Parity parity = QSerialPort::NoParity;
    switch (parity_) {
    case 'e': parity = QSerialPort::EvenParity; break;
    case 'o': parity = QSerialPort::OddParity; break;
    case 'm': parity = QSerialPort::MarkParity; break;
    case 's': parity = QSerialPort::SpaceParity; break;
    default: break;
    }
    const auto stop = stopBits_ == 2 ? QSerialPort::TwoStop
                      : stopBits_ == 3 ? QSerialPort::OneAndHalfStop
                                       : QSerialPort::OneStop;
    return port_->setBaudRate(baud_) && port_->setParity(parity) &&
           port_->setDataBits(QSerialPort::DataBits(dataBits_)) && port_->setStopBits(stop) &&
           port_->setFlowControl(QSerialPort::NoFlowControl);
}

void CommPort::PortOpen(bool open) {
    if (!open) {
        if (port_->isOpen()) port_->close();
        port_->clearError();
        return;
    }
    if (port_->isOpen())
        raise(ErrPortAlreadyOpen, comm::PortName(portNumber_, openDevice_));

    const QString device = comm::DevicePath(portNumber_, mapFolder_);
    const QString what = comm::PortName(portNumber_, device);
    port_->setPortName(device);
    port_->clearError();
    if (!port_->open(QIODevice::ReadWrite)) {
        const auto error = port_->error();
        const QString why = port_->errorString();
        port_->clearError();
        switch (error) {
        case QSerialPort::PermissionError:
        case QSerialPort::OpenError:
            raise(ErrPortAlreadyOpen, what + QStringLiteral(": ") + why);
        default:
            raise(ErrInvalidPortNumber, what + QStringLiteral(": ") + why);
        }
    }
    openDevice_ = device;
    if (!applySettings()) {
        const QString why = port_->errorString();
        port_->close();
        port_->clearError();
        raise(ErrSetCommState, what + QStringLiteral(": ") + why);
    }
    port_->clearError();
}

void CommPort::InputLen(int length) {
    if (length < 0 || length > kMaxInputLen) raise(ErrInvalidPropertyValue, QStringLiteral("input length ") + QString::number(length));
    inputLen_ = length;
}

void CommPort::requireOpen() const {
    if (!port_->isOpen()) raise(ErrPortNotOpen, PortName());
}

// Moves what the system has received for the port into the port's buffer
// without waiting: the windows poll from timer ticks and busy waits, where the
// event loop may not have run since the characters arrived.
// A device that has gone away (a USB adapter pulled, the far end of a
// terminal closed) reports a read or resource error on every poll; the port
// is closed then, so that the window's next polls find a closed port instead
// of failing again, and the loss is raised once.
void CommPort::pullReceived() {
    for (int guard = 0; guard < 64 && port_->waitForReadyRead(0); ++guard) {
    }
    const auto error = port_->error();
    port_->clearError();  // a poll that finds nothing reports a time-out
    if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError) {
        const QString what =
            comm::PortName(portNumber_, openDevice_) + QStringLiteral(": the device is no longer available");
        port_->close();
        port_->clearError();
        raise(ErrReadDevice, what);
    }
}

QString CommPort::Input() {
    requireOpen();
    pullReceived();
    const QByteArray bytes = inputLen_ == 0 ? port_->readAll() : port_->read(inputLen_);
    return QString::fromLatin1(bytes);
}

// A frame that did not leave is never silence: the caller may believe a unit
// has stopped that has not. The port is closed (as for a read error), so the
// window's next polls find a closed port instead of failing again.
void CommPort::Output(const QString& text) {
    requireOpen();
    const QByteArray bytes = text.toLatin1();
    port_->clearError();
    const qint64 queued = port_->write(bytes);
    if (queued == bytes.size()) {
        // Push the frame out now. A line that has room takes it at once; one
        // that has none within a small part of a tick is failing, and no
        // tick of any window waits longer for it.
        port_->flush();
        const QDeadlineTimer deadline(kWriteWaitMs);
        while (port_->bytesToWrite() > 0 && !deadline.hasExpired() &&
               port_->waitForBytesWritten(int(std::max<qint64>(1, deadline.remainingTime())))) {
        }
    }
    const auto error = port_->error();
    const bool failed = error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
    const qint64 left = queued == bytes.size() ? port_->bytesToWrite() : bytes.size();
    if (!failed && left == 0) {
        port_->clearError();
        return;
    }
    const QString why = failed ? port_->errorString()
                               : QStringLiteral("only %1 of %2 characters were taken")
                                     .arg(bytes.size() - left)
                                     .arg(bytes.size());
    const QString what = comm::PortName(portNumber_, openDevice_) + QStringLiteral(": ") + why;
    port_->close();
    port_->clearError();
    raise(ErrWriteDevice, what);
}

int CommPort::InBufferCount() {
    requireOpen();
    pullReceived();
    return int(port_->bytesAvailable());
}

}  // namespace comm
