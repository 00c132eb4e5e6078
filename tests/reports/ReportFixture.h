#pragma once
// The main window started in a scratch data folder, with stored tests written
// through the record classes, opened as the operator opens them, and the
// report files read back as bytes.

#include "data/DateText.h"
#include "data/Globals.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "mainwindow/MainWindowFixture.h"
#include "platform/PrinterChoice.h"
#include "support/QtPrint.h"

#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>

namespace report_tests {

// One stored result point, storage units.
struct Point {
    double step, cycle, rampStep, time, temp, press, speed, stress, type, bath;
};

struct StoredInfo {
    QString name;
    QString bob = QStringLiteral("B1");
    QString rotor = QStringLiteral("R1");
    double radius = 1.7245;
    double length = 3.8;
    double prePh = 7;
    double postPh = 7;
    QString fluid = QStringLiteral("F-1");
    QString researcher = QStringLiteral("Ann");
    QString description;
    QDateTime time = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
};

class ReportTest : public testing_support::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_TRUE(out.isValid());
        printing::printerSeam().printerAvailable = [] { return false; };
        w = start();
        ASSERT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join("\n").toStdString();
    }
    void TearDown() override {
        w.reset();
        printing::resetPrinterSeam();
        MainWindowTest::TearDown();
    }

    // Stores a test through the record classes; returns its TEST_ID.
    qint32 store(const StoredInfo& s, const std::vector<Point>& points,
                 const QVector<QStringList>& additives = {}) {
        clsTEST_INFO info;
        info.ConnectX(w->Connection());
        info.SetDefaults();
        info.TEST_NAME(s.name);
        info.Fluid_ID(s.fluid);
        info.TEST_TIME(s.time);
        info.RESEARCHER_NAME(s.researcher);
        info.ROTOR_NO(s.rotor);
        info.BOB_NO(s.bob);
        info.BOB_RADIUS(s.radius);
        info.BOB_EFF_LENGTH(s.length);
        info.PreTest_PH(s.prePh);
        info.PostTest_PH(s.postPh);
        info.SAFETY(s.description);
        info.AddNew();
        info.TEST_NAME(s.name);
        info.GetTestDetail();
        const qint32 id = roundHalfEven(info.All().value(0).toDouble());

        clsTEST_RESULT result;
        result.Test_Id(id);
        result.ConnectX(w->Connection());
        for (const Point& p : points) {
            result.Test_Id(id);
            result.RAMP_NO(p.step);
            result.CYCLE_NO(p.cycle);
            result.RAMP_STEP_NO(p.rampStep);
            result.RESULT_TIME(p.time);
            result.RESULT_SAMPLE_TEMP(p.temp);
            result.RESULT_PRESS(p.press);
            result.RESULT_SPEED(p.speed);
            result.RESULT_SHEAR_STRESS(p.stress);
            result.RESULT_TYPE_ID(p.type);
            result.RESULT_BATH_TEMP(p.bath);
            result.AddNew();
        }

        clsTEST_ADDITIVE additive;
        additive.TESTId(id);
        additive.ConnectX(w->Connection());
        for (const QStringList& a : additives) {
            additive.TESTId(id);
            additive.ADDITIVE_NM(a.value(0));
            additive.ADD_CONCEN(a.value(1).toDouble());
            additive.ADD_UNIT(a.value(2));
            additive.ADD_LOTNO(a.value(3));
            additive.AddNew();
        }
        return id;
    }

    // Opens a stored test in the main window; fails the test when refused.
    void openTest(const QString& name) {
        ASSERT_TRUE(open(*w, name)) << dialogs_.texts().join("\n").toStdString();
        dialogs_.clear();
    }

    // Saves the CSV report to `name` in the output folder; its bytes.
    QByteArray saveReport(const QString& name) {
        const QString path = out.filePath(name);
        dialogs_.files.push_back(path);
        w->cmdREPORT_Click();
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The text of a PDF file, page by page (pages end in a form feed).
    static QString pdfText(const QString& file, bool layout = true) {
        QProcess p;
        QStringList args;
        if (layout) args << QStringLiteral("-layout");
        args << file << QStringLiteral("-");
        p.start(QStringLiteral("pdftotext"), args);
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    // A small picture as the report logo of the data folder.
    void writeLogo(const QString& name = QStringLiteral("Zadizezaru.bmp")) {
        QImage logo(160, 100, QImage::Format_RGB32);
        logo.fill(QColor(20, 60, 160));
        ASSERT_TRUE(logo.save(file(name), "BMP"));
    }

    std::unique_ptr<frmMain> w;
    QTemporaryDir out;
};

// Files of the process may grow to `bytes` at most while the object lives,
// as on a disk that fills up (writes beyond fail with "File too large").
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// The time of the fixtures' tests as the reports write it (the system's
// short date form and the time).
inline QString when() { return GeneralDateText(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))); }

// Lines joined with CR LF, each ended by one, as single bytes.
inline QByteArray crlf(const QStringList& lines) {
    QByteArray b;
    for (const QString& l : lines) b += l.toLatin1() + "\r\n";
    return b;
}

}  // namespace report_tests
