#pragma once
// The serial port control of a unit window, the calibration window and the
// PVT calibration dialog: one object per window, on the unit's port, polled
// by the window's timer (no receive event).
//
// What the windows use of it, with the names they use:
//  - PortNumber: the port number 1 .. 255 (the settings file gives 1 .. 20);
//  - Settings: "baud,parity,data bits,stop bits", as "115200,n,8,1";
//  - PortOpen: open (true) and close (false) the port;
//  - InputLen: how many characters one Input takes at most, 0 = all received;
//  - Input: the characters received so far (as Latin-1 text);
//  - Output: sends a text with one write (control characters included);
//  - InBufferCount: characters received and not yet taken by Input;
//  - RThreshold, SThreshold: kept as set; no receive or send event is raised.
//
// Port number N is a device of this machine found by DevicePath(N):
//  1. the environment variable Z3080_PORT_<N> (e.g. Z3080_PORT_3=/dev/ttyUSB0);
//  2. else a line "N=device" of the file ports.txt in the folder the caller
//     names (the data folder, MapFolder); blank lines and lines beginning with
//     "#" are skipped;
//  3. else /dev/ttyS<N-1> (port 1 is /dev/ttyS0).
// The mapping is read each time a port is opened, so an operator can change
// it without restarting the application.
//
// A text names a port by PortName, with its device: "port 3 (/dev/ttyUSB0)"
// ("port 0 (no device)" for a number that stands for none); so do the
// details of the failures below.
//
// Failures are raised as comm::CommError with the control's classic numbers:
//  380  "Invalid property value"  (a settings text or input length that cannot be used)
//  8000 "Operation not valid while the port is opened"  (port number changed while open)
//  8002 "Invalid port number"  (number out of range, or no such device)
//  8005 "Port already open"  (open twice, or the device is held by another program)
//  8015 "Could not set comm state"  (the device refused the settings)
//  8018 "Operation valid only when the port is open"  (Input, Output, InBufferCount on a closed port)
//  8020 "Error reading comm device"  (Input, InBufferCount: the device went away,
//        as a USB adapter that is pulled; the port is closed before this is raised)
//  8030 "Error writing comm device"  (Output: the device refused the write or
//        took only part of it within kWriteWaitMs, as when the far end of the line is
//        gone; the port is closed before this is raised, and the detail names
//        the port, its device and the system's reason)
// The modem-line operations that a pseudo-terminal does not support are not
// failures.

#include <QString>
#include <memory>
#include <stdexcept>

class QSerialPort;

namespace comm {

class CommError : public std::runtime_error {
public:
    CommError(int number, const QString& description, const QString& detail = QString());
    int number() const { return number_; }
    // The control's classic text ("Invalid port number").
    const QString& description() const { return description_; }
    // What was tried and what the system said ("port 3 (/dev/ttyUSB0): No such file or directory").
    const QString& detail() const { return detail_; }
    // The description followed by the detail in parentheses (when there is one).
    QString fullText() const;

private:
    int number_;
    QString description_;
    QString detail_;
};

enum ErrorNumber : int {
    ErrInvalidPropertyValue = 380,
    ErrPortOpenOperation = 8000,
    ErrInvalidPortNumber = 8002,
    ErrPortAlreadyOpen = 8005,
    ErrSetCommState = 8015,
    ErrPortNotOpen = 8018,
    ErrReadDevice = 8020,
    ErrWriteDevice = 8030,
};

// How long a write waits at most for the line to take its frame (a small part
// of a unit window's tick: the ticks of every window wait with it).
inline constexpr int kWriteWaitMs = 50;

// Environment variable that maps port N to a device (Z3080_PORT_3).
QString PortEnvironmentVariable(int portNumber);
// The name of the map file in the data folder.
inline constexpr const char* kPortMapFileName = "ports.txt";
// The device that port number N stands for (see above), with the map file
// looked for in mapFolder (none when empty); the empty text when N is out of
// range 1 .. 255.
QString DevicePath(int portNumber, const QString& mapFolder = QString());
// A port as a text names it: "port 3 (/dev/ttyUSB0)", or "port 3 (no device)"
// when the device is empty.
QString PortName(int portNumber, const QString& device);

class CommPort {
public:
    CommPort();
    ~CommPort();  // closes the port
    CommPort(const CommPort&) = delete;
    CommPort& operator=(const CommPort&) = delete;

    int PortNumber() const { return portNumber_; }
    // 1 .. 255, else 8002; while the port is open, 8000.
    void PortNumber(int number);

    QString Settings() const { return settings_; }
    // "115200,n,8,1": baud rate, parity n/e/o/m/s, data bits 5 .. 8, stop
    // bits 1, 1.5 or 2 (blanks around the parts are ignored, parity in either
    // case). A text that does not fit raises 380 and keeps the old settings.
    // While the port is open the new settings are applied at once (8015 when
    // the device refuses them).
    void Settings(const QString& settings);

    bool PortOpen() const;
    // true opens the device of DevicePath(PortNumber()) with the settings;
    // false closes it (closing a closed port does nothing).
    void PortOpen(bool open);

    int InputLen() const { return inputLen_; }
    void InputLen(int length);  // 0 .. 32767, else 380

    // Takes what has been received: everything with InputLen 0, else at most
    // InputLen characters. Reads what the system holds for the port first, so
    // that it also works from a busy wait without the event loop.
    QString Input();
    // Sends the text (Latin-1) with one write and pushes it out at once; a
    // write refused or not taken whole raises 8030 (the port closed).
    void Output(const QString& text);
    // Characters received and not yet taken (also read from the system first).
    int InBufferCount();

    int RThreshold() const { return rThreshold_; }
    void RThreshold(int value) { rThreshold_ = value; }
    int SThreshold() const { return sThreshold_; }
    void SThreshold(int value) { sThreshold_ = value; }

    // The folder whose ports.txt maps port numbers to devices (the data folder).
    const QString& MapFolder() const { return mapFolder_; }
    void MapFolder(const QString& folder) { mapFolder_ = folder; }

    // The device of the open port (or the one the next open will use).
    QString DevicePath() const;
    // This port with that device, as a text names it (comm::PortName).
    QString PortName() const;

private:
    void requireOpen() const;
    void pullReceived();
    bool applySettings();

    std::unique_ptr<QSerialPort> port_;
    int portNumber_ = 1;
    QString settings_ = QStringLiteral("9600,n,8,1");
    qint32 baud_ = 9600;
    char parity_ = 'n';
    int dataBits_ = 8;
    int stopBits_ = 1;  // 1, 2, or 3 for 1.5
    int inputLen_ = 0;
    int rThreshold_ = 0;
    int sThreshold_ = 0;
    QString openDevice_;
    QString mapFolder_;
};

}  // namespace comm
