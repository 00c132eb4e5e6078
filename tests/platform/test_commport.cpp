// The serial port control: the port-number mapping, its property checks and
// failures, and reading and writing a pseudo-terminal that a simulated unit
// holds.

#include "platform/CommPort.h"
#include "support/QtPrint.h"
#include "support/UnitSimulator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

using comm::CommError;
using comm::CommPort;
using testing_support::UnitSimulator;

namespace {

// Keeps an environment variable as it was.
class EnvGuard {
public:
    explicit EnvGuard(const QByteArray& name) : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qunsetenv(name_.constData());
    }
    ~EnvGuard() {
        if (had_)
            qputenv(name_.constData(), old_);
        else
            qunsetenv(name_.constData());
    }

private:
    QByteArray name_;
    bool had_;
    QByteArray old_;
};

void writeFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// The error number that f raises; 0 when it raises none.
int errorOf(const std::function<void()>& f, QString* detail = nullptr) {
    try {
        f();
    } catch (const CommError& e) {
        if (detail) *detail = e.detail();
        return e.number();
    }
    return 0;
}

// Reads from the port until pred holds or two seconds pass.
QString readUntil(CommPort& port, const std::function<bool(const QString&)>& pred) {
    QString got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!pred(got) && std::chrono::steady_clock::now() < deadline) {
        got += port.Input();
        if (!pred(got)) QThread::msleep(5);
    }
    return got;
}

}  // namespace

TEST(PortMapping, DefaultMapFileAndEnvironmentInThatPrecedence) {
    EnvGuard env3("Z3080_PORT_3");
    EnvGuard env4("Z3080_PORT_4");
    QTemporaryDir dir;
    const QString folder = dir.path();

    EXPECT_EQ(comm::DevicePath(1, folder), "/dev/ttyS0");
    EXPECT_EQ(comm::DevicePath(3, folder), "/dev/ttyS2");
    EXPECT_EQ(comm::DevicePath(20, folder), "/dev/ttyS19");
    EXPECT_EQ(comm::DevicePath(0, folder), "");
    EXPECT_EQ(comm::DevicePath(256, folder), "");

    writeFile(dir.filePath("ports.txt"),
              "# unit ports of this bench\n"
              "\n"
              " 3 = /dev/ttyUSB0 \n"
              "4=/dev/ttyACM1\n"
              "x=/dev/bad\n"
              "5\n");
    EXPECT_EQ(comm::DevicePath(3, folder), "/dev/ttyUSB0");
    EXPECT_EQ(comm::DevicePath(4, folder), "/dev/ttyACM1");
    EXPECT_EQ(comm::DevicePath(5, folder), "/dev/ttyS4");  // a line without "=" maps nothing

    qputenv("Z3080_PORT_3", "/dev/ttyUSB7");
    EXPECT_EQ(comm::DevicePath(3, folder), "/dev/ttyUSB7");  // the environment wins over the file
    EXPECT_EQ(comm::DevicePath(4, folder), "/dev/ttyACM1");
    EXPECT_EQ(comm::PortEnvironmentVariable(3), "Z3080_PORT_3");

    EXPECT_EQ(comm::DevicePath(4), "/dev/ttyS3");  // no folder, no map file

    CommPort port;
    port.PortNumber(4);
    EXPECT_EQ(port.DevicePath(), "/dev/ttyS3");
    port.MapFolder(folder);
    EXPECT_EQ(port.DevicePath(), "/dev/ttyACM1");

    // The map file is read again at every open: a change needs no restart.
    writeFile(dir.filePath("ports.txt"), "4=/dev/ttyUSB9\n");
    EXPECT_EQ(port.DevicePath(), "/dev/ttyUSB9");
}

TEST(CommPortControl, PropertyChecksRaiseTheClassicNumbers) {
    CommPort port;
    EXPECT_EQ(port.PortNumber(), 1);
    EXPECT_EQ(port.Settings(), "9600,n,8,1");
    EXPECT_FALSE(port.PortOpen());

    EXPECT_EQ(errorOf([&] { port.PortNumber(0); }), comm::ErrInvalidPortNumber);
    EXPECT_EQ(errorOf([&] { port.PortNumber(256); }), comm::ErrInvalidPortNumber);
    EXPECT_EQ(port.PortNumber(), 1);

    for (const char* bad : {"115200", "115200,x,8,1", "115200,n,9,1", "115200,n,8,3", "fast,n,8,1", "0,n,8,1", ""})
        EXPECT_EQ(errorOf([&] { port.Settings(QString::fromLatin1(bad)); }), comm::ErrInvalidPropertyValue) << bad;
    EXPECT_EQ(port.Settings(), "9600,n,8,1");
    for (const char* good : {"115200,n,8,1", "9600,E,7,2", "19200, o ,8,1.5"})
        EXPECT_EQ(errorOf([&] { port.Settings(QString::fromLatin1(good)); }), 0) << good;

    EXPECT_EQ(errorOf([&] { port.InputLen(-1); }), comm::ErrInvalidPropertyValue);
    port.InputLen(0);
    port.RThreshold(1);
    port.SThreshold(0);
    EXPECT_EQ(port.RThreshold(), 1);

    // Reading, writing and counting need an open port.
    EXPECT_EQ(errorOf([&] { port.Input(); }), comm::ErrPortNotOpen);
    EXPECT_EQ(errorOf([&] { port.Output(QStringLiteral("\x04\r")); }), comm::ErrPortNotOpen);
    EXPECT_EQ(errorOf([&] { port.InBufferCount(); }), comm::ErrPortNotOpen);
    EXPECT_EQ(errorOf([&] { port.PortOpen(false); }), 0);  // closing a closed port does nothing
}

TEST(CommPortControl, OpeningAMissingDeviceFailsWithInvalidPortNumber) {
    EnvGuard env("Z3080_PORT_7");
    qputenv("Z3080_PORT_7", "/dev/no-such-z3080-unit");
    CommPort port;
    port.PortNumber(7);
    port.Settings(QStringLiteral("115200,n,8,1"));
    try {
        port.PortOpen(true);
        FAIL() << "opened a missing device";
    } catch (const CommError& e) {
        EXPECT_EQ(e.number(), 8002);
        EXPECT_EQ(e.description(), "Invalid port number");
        EXPECT_TRUE(e.detail().contains("port 7 (/dev/no-such-z3080-unit)")) << e.detail().toStdString();
        EXPECT_TRUE(e.fullText().startsWith("Invalid port number (port 7 (/dev/no-such-z3080-unit)"));
    }
    EXPECT_FALSE(port.PortOpen());
}

TEST(CommPortControl, EveryTextNamesAPortWithItsDevice) {
    EnvGuard env("Z3080_PORT_7");
    qputenv("Z3080_PORT_7", "/dev/no-such-z3080-unit");
    EXPECT_EQ(comm::PortName(3, "/dev/ttyUSB0"), "port 3 (/dev/ttyUSB0)");
    EXPECT_EQ(comm::PortName(0, ""), "port 0 (no device)");
    CommPort port;
    port.PortNumber(7);
    EXPECT_EQ(port.PortName(), "port 7 (/dev/no-such-z3080-unit)");
    // A closed port's failures name it so, and a number that stands for no device says so.
    try {
        port.Input();
        FAIL() << "read a closed port";
    } catch (const CommError& e) {
        EXPECT_EQ(e.detail(), "port 7 (/dev/no-such-z3080-unit)");
    }
    try {
        port.PortNumber(0);
        FAIL() << "took port 0";
    } catch (const CommError& e) {
        EXPECT_EQ(e.fullText(), "Invalid port number (port 0 (no device))");
    }
}

TEST(CommPortControl, ReadsAndWritesAPseudoTerminal) {
    UnitSimulator unit;
    unit.attachToPort(5);
    CommPort port;
    port.PortNumber(5);
    port.Settings(QStringLiteral("115200,n,8,1"));
    port.InputLen(0);
    port.RThreshold(1);
    port.PortOpen(true);
    ASSERT_TRUE(port.PortOpen());
    EXPECT_EQ(port.DevicePath(), unit.slavePath());

    // Open again on the same control, or change its number while open.
    EXPECT_EQ(errorOf([&] { port.PortOpen(true); }), comm::ErrPortAlreadyOpen);
    EXPECT_EQ(errorOf([&] { port.PortNumber(6); }), comm::ErrPortOpenOperation);
    // New settings apply to the open port.
    EXPECT_EQ(errorOf([&] { port.Settings(QStringLiteral("115200,n,8,1")); }), 0);

    // One write reaches the unit with every byte, control characters too.
    port.Output(QString::fromLatin1("\x04\r"));
    ASSERT_TRUE(unit.waitForCommands(1));
    EXPECT_EQ(unit.commands()[0].bytes, QByteArray("\x04\r"));
    // The unit answers with a status frame.
    const QString answer = readUntil(port, [](const QString& s) { return s.endsWith(QChar(26)); });
    EXPECT_TRUE(answer.startsWith("#00,")) << answer.toStdString();

    // Bytes above 127 and character 26 come through unchanged.
    unit.sendRaw(QByteArray("a\xe9,\x1a", 4));
    EXPECT_EQ(readUntil(port, [](const QString& s) { return s.size() >= 4; }), QString::fromLatin1("a\xe9,\x1a", 4));

    // InBufferCount sees what arrived without an event loop; InputLen limits a read.
    unit.sendRaw("0123456789");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (port.InBufferCount() < 10 && std::chrono::steady_clock::now() < deadline) QThread::msleep(5);
    EXPECT_EQ(port.InBufferCount(), 10);
    port.InputLen(4);
    EXPECT_EQ(port.Input(), "0123");
    EXPECT_EQ(port.InBufferCount(), 6);
    port.InputLen(0);
    EXPECT_EQ(port.Input(), "456789");
    EXPECT_EQ(port.Input(), "");

    port.PortOpen(false);
    EXPECT_FALSE(port.PortOpen());
    // The terminal can be opened again after a close.
    port.PortOpen(true);
    EXPECT_TRUE(port.PortOpen());
}

TEST(CommPortControl, ADeviceHeldByAnotherPortIsAlreadyOpen) {
    UnitSimulator unit;
    unit.attachToPort(6);
    CommPort first;
    first.PortNumber(6);
    first.PortOpen(true);
    CommPort second;
    second.PortNumber(6);
    QString detail;
    EXPECT_EQ(errorOf([&] { second.PortOpen(true); }, &detail), comm::ErrPortAlreadyOpen) << detail.toStdString();
    EXPECT_FALSE(second.PortOpen());
    first.PortOpen(false);
    EXPECT_EQ(errorOf([&] { second.PortOpen(true); }), 0);
}

TEST(CommPortControl, AWriteTheLineDoesNotTakeIsRaisedOnceAndClosesThePort) {
    const struct {
        const char* name;
        bool vanish;  // else the unit stops taking what is written
    } cases[] = {{"the far end of the line gone", true}, {"a unit that takes nothing more", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UnitSimulator unit;
        unit.attachToPort(7);
        CommPort port;
        port.PortNumber(7);
        port.Settings(QStringLiteral("115200,n,8,1"));
        port.PortOpen(true);
        ASSERT_TRUE(port.PortOpen());
        if (c.vanish)
            unit.vanish();
        else
            unit.refuseWrites(true);
        try {
            port.Output(QString::fromLatin1("\x04\r"));
            ADD_FAILURE() << "the stop frame that never left was not reported";
        } catch (const CommError& e) {
            EXPECT_EQ(e.number(), comm::ErrWriteDevice);
            EXPECT_EQ(e.description(), "Error writing comm device");
            // The port, its device and the system's reason.
            EXPECT_TRUE(e.detail().startsWith("port 7 (" + unit.slavePath() + "): ")) << e.detail().toStdString();
            EXPECT_GT(e.detail().size(), QString("port 7 (" + unit.slavePath() + "): ").size());
        }
        // Closed, so that the window's next polls find a closed port instead of failing again.
        EXPECT_FALSE(port.PortOpen());
        EXPECT_EQ(errorOf([&] { port.Output(QStringLiteral("x")); }), comm::ErrPortNotOpen);
    }
}
