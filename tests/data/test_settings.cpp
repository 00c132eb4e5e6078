#include "data/Globals.h"
#include "data/Settings.h"
#include "support/ScriptedDialogs.h"
#include "support/SavedGlobals.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <functional>
#include <unistd.h>

using testing_support::ScriptedDialogs;

namespace {

using testing_support::SavedGlobals;

// Lines joined, each ended by CR LF.
QByteArray crlf(const QList<QByteArray>& lines) {
    QByteArray b;
    for (const auto& l : lines) b += l + "\r\n";
    return b;
}

const QByteArray kNormalDefault =
    crlf({" 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "CGS", "Kunit ,1", "SF ,1", "By the SR"});

bool runningAsRoot() { return ::geteuid() == 0; }

class Settings : public ::testing::Test {
protected:
    SavedGlobals saved;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    InitialLineSlots InitialLines;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        gAppPath = dir.path();
        gUnitSystem = 1;
        gKUnit = 1;
        gSF = 1.0;
        gBySR = false;  // as at start-up
        gMaxPress = 20000;
        gTempLabel = gStressLabel = gViscLabel = gPressLabel = gKLabel = gLengthLabel = QString();
    }
    void TearDown() override {
        // Leave the folder removable whatever a test did to it.
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
    }

    QString path() const { return dir.filePath(QStringLiteral("initial.txt")); }
    void put(const QByteArray& bytes) {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray get() const {
        QFile f(path());
        if (!f.open(QIODevice::ReadOnly)) return QByteArray("<no file>");
        return f.readAll();
    }
    void expectDefaults() const {
        EXPECT_EQ(gUnitSystem, 1);
        EXPECT_EQ(gKUnit, 1);
        EXPECT_EQ(gSF, 1.0);
        EXPECT_TRUE(gBySR);
    }
    void expectCgsLabels() const {
        EXPECT_EQ(gTempLabel, QStringLiteral("(°F)"));
        EXPECT_EQ(gStressLabel, "(dyn/cm2)");
        EXPECT_EQ(gViscLabel, "( cP )");
        EXPECT_EQ(gPressLabel, "(Psi)");
        EXPECT_EQ(gLengthLabel, "(in.)");
        EXPECT_EQ(gMaxTemp, 600);
        EXPECT_EQ(gMinTemp, 0);
    }
    // The one message box shown, OK button only, no icon, the default title.
    void expectOneMessage(const QString& text) const {
        ASSERT_EQ(dialogs.messages.size(), 1u) << dialogs.texts().join(" | ").toStdString();
        EXPECT_EQ(dialogs.messages[0].prompt, text);
        EXPECT_EQ(dialogs.messages[0].style, ui::vbOKOnly);
        EXPECT_EQ(dialogs.messages[0].title, ui::appTitle());
    }
    void expectNoMessage() const {
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join(" | ").toStdString();
    }
    // The one message of the lines that could not be read: OK only, no icon,
    // the default title; `entries` are its lines naming them, in order.
    void expectNamed(const QStringList& entries) const {
        ASSERT_EQ(dialogs.messages.size(), 1u) << dialogs.texts().join(" | ").toStdString();
        EXPECT_EQ(dialogs.messages[0].style, ui::vbOKOnly);
        EXPECT_EQ(dialogs.messages[0].title, ui::appTitle());
        EXPECT_EQ(namedLines(), entries) << dialogs.messages[0].prompt.toStdString();
    }
    QStringList namedLines() const {
        QStringList named;
        if (dialogs.messages.empty()) return named;
        for (const QString& line : dialogs.messages[0].prompt.split('\n'))
            if (line.startsWith("Line ") || line.startsWith("... and ")) named << line;
        return named;
    }
    QString copyPath() const { return dir.filePath(QStringLiteral("initial.txt.bak")); }
    QByteArray copy() const {
        QFile f(copyPath());
        if (!f.open(QIODevice::ReadOnly)) return QByteArray("<no copy>");
        return f.readAll();
    }
};

// ---- start-up reading ------------------------------------------------------

TEST_F(Settings, NoFileStartsWithTheDefaultsAndCreatesTheNormalForm) {
    ReadInitialFile(InitialLines);
    expectNoMessage();
    expectDefaults();
    EXPECT_EQ(gMaxPress, 30000);
    expectCgsLabels();
    EXPECT_EQ(gKLabel, "(lbf - s^n / 100 ft2)");
    EXPECT_EQ(get(), kNormalDefault);
}

TEST_F(Settings, ItemsAreFoundByContentAndTheFileIsRewrittenInNormalForm) {
    gBySR = true;
    // LF endings, items out of order, a later SF line overriding an earlier one,
    // port lines read by their leading number, extra lines.
    const QStringList lines{" 3 ", " 12 ", "abc", "7abc", "", "0", " 20 ", "1", "junk",
                            "SF ,0.5", "BY the Speed", "Kunit ,2", "SI", "SF , 1.25"};
    put(lines.join('\n').toLatin1() + '\n');
    ReadInitialFile(InitialLines);
    // A port line without a number, and a line that is no setting's, are
    // named with what is taken in their place (the unit system is read from
    // a later line).
    expectNamed({"Line 3 \"abc\": no port (0) taken for unit 3.", "Line 9 \"junk\": ignored."});
    EXPECT_EQ(gUnitSystem, 2);
    EXPECT_EQ(gKUnit, 2);
    EXPECT_EQ(gSF, 1.25);
    EXPECT_FALSE(gBySR);
    EXPECT_EQ(get(), crlf({" 3 ", " 12 ", " 0 ", " 7 ", " 0 ", " 0 ", " 20 ", " 1 ", "SI", "Kunit ,2", "SF ,1.25",
                           "BY the Speed"}));
    for (int i = 0; i < lines.size(); ++i) EXPECT_EQ(InitialLines[i + 1], lines[i]) << i;
    EXPECT_TRUE(InitialLines[lines.size() + 1].isEmpty());

    EXPECT_EQ(gTempLabel, QStringLiteral("(°C)"));
    EXPECT_EQ(gStressLabel, "( Pa )");
    EXPECT_EQ(gViscLabel, "(mPa.s)");
    EXPECT_EQ(gPressLabel, "(Psi)");
    EXPECT_EQ(gLengthLabel, "(mm)");
    EXPECT_EQ(gKLabel, "(lbf - s^n / ft2)");
    EXPECT_EQ(gMaxTemp, 316);
    EXPECT_EQ(gMinTemp, -18);
    EXPECT_EQ(gMaxPress, 30000);
}

// A K unit or scale factor that is not a number is named; the other settings
// of the file stay in effect (an SI set-up stays SI).
TEST_F(Settings, AValueThatIsNotANumberIsNamedAndTheOtherSettingsStay) {
    struct Case {
        const char* k;
        const char* sf;
        short kUnit;
        double gsf;
        const char* named;
    } cases[] = {
        {"Kunit ,x", "SF ,2", 1, 2, "Line 10 \"Kunit ,x\": K unit 1 taken."},
        {"Kunit ,1x", "SF ,2", 1, 2, "Line 10 \"Kunit ,1x\": K unit 1 taken."},
        {"Kunit2", "SF ,2", 1, 2, "Line 10 \"Kunit2\": K unit 1 taken."},
        {"Kunit ,2", "SF ,abc", 2, 1, "Line 11 \"SF ,abc\": scale factor 1 taken."},
        {"Kunit ,2", "SF ,", 2, 1, "Line 11 \"SF ,\": scale factor 1 taken."},
        {"Kunit ,2", "SF1.5", 2, 1, "Line 11 \"SF1.5\": scale factor 1 taken."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.k) + " / " + c.sf);
        dialogs.clear();
        gBySR = false;
        put(crlf({" 4 ", " 5 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 6 ", "SI", c.k, c.sf, "BY the Speed"}));
        ReadInitialFile(InitialLines);
        expectNamed({c.named});
        EXPECT_EQ(gUnitSystem, 2);
        EXPECT_EQ(gKUnit, c.kUnit);
        EXPECT_EQ(gSF, c.gsf);
        EXPECT_FALSE(gBySR);
        EXPECT_EQ(gTempLabel, QStringLiteral("(°C)"));
        EXPECT_EQ(get(), crlf({" 4 ", " 5 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 6 ", "SI",
                               QByteArray("Kunit ,") + QByteArray::number(c.kUnit),
                               QByteArray("SF ,") + QByteArray::number(c.gsf), "BY the Speed"}));
    }
}

// Values out of range, and unit lines in another letter case or with blanks,
// are not taken: the defaults are, and each such line is named.
TEST_F(Settings, UnrecognisedOrOutOfRangeValuesAreNamedAndNormalised) {
    const QString unitCgs = QStringLiteral(": unit system CGS taken.");
    const QString k1 = QStringLiteral("Line 10 \"%1\": K unit 1 taken.");
    const QString sf1 = QStringLiteral("Line 11 \"%1\": scale factor 1 taken.");
    struct Case {
        const char* unit;
        const char* k;
        const char* sf;
        int unitSystem;
        short kUnit;
        double gsf;
        const char* written[3];
        QStringList named;
    } cases[] = {
        {"si", "Kunit ,2", "SF ,2", 1, 2, 2, {"CGS", "Kunit ,2", "SF ,2"}, {"Line 9 \"si\"" + unitCgs}},
        {" SI", "Kunit ,2", "SF ,2", 1, 2, 2, {"CGS", "Kunit ,2", "SF ,2"}, {"Line 9 \" SI\"" + unitCgs}},
        {"SI ", "Kunit ,2", "SF ,2", 1, 2, 2, {"CGS", "Kunit ,2", "SF ,2"}, {"Line 9 \"SI \"" + unitCgs}},
        {"SI", "Kunit ,3", "SF ,0", 2, 1, 1, {"SI", "Kunit ,1", "SF ,1"}, {k1.arg("Kunit ,3"), sf1.arg("SF ,0")}},
        // A factor no layout can use is taken as 0 is: 1.
        {"SI", "Kunit ,0", "SF ,-2", 2, 1, 1, {"SI", "Kunit ,1", "SF ,1"}, {k1.arg("Kunit ,0"), sf1.arg("SF ,-2")}},
        {"SI", "Kunit ,2.4", "SF ,0.000", 2, 2, 1, {"SI", "Kunit ,2", "SF ,1"}, {sf1.arg("SF ,0.000")}},
        {"SI", "Kunit ,1", "SF ,1e308", 2, 1, 1, {"SI", "Kunit ,1", "SF ,1"}, {sf1.arg("SF ,1e308")}},
        {"SI", "Kunit ,1", "SF ,0.1", 2, 1, 1, {"SI", "Kunit ,1", "SF ,1"}, {sf1.arg("SF ,0.1")}},
        {"SI", "Kunit ,1", "SF ,4", 2, 1, 4, {"SI", "Kunit ,1", "SF ,4"}, {}},
        {"SI", "Kunit ,1", "SF ,0.25", 2, 1, 0.25, {"SI", "Kunit ,1", "SF ,0.25"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.unit) + " / " + c.k + " / " + c.sf);
        dialogs.clear();
        put(crlf({" 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", c.unit, c.k, c.sf, "By the SR"}));
        ReadInitialFile(InitialLines);
        if (c.named.isEmpty())
            expectNoMessage();
        else
            expectNamed(c.named);
        EXPECT_EQ(gUnitSystem, c.unitSystem);
        EXPECT_EQ(gKUnit, c.kUnit);
        EXPECT_EQ(gSF, c.gsf);
        EXPECT_EQ(get(), crlf({" 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", c.written[0], c.written[1],
                               c.written[2], "By the SR"}));
    }
}

// A file longer than the normal form keeps its settings: every line is read,
// and the lines that are no setting's are named as ignored (the first ten,
// the rest counted); InitialLines holds the first 20.
TEST_F(Settings, ALongFileKeepsItsSettingsAndNamesTheLinesItIgnores) {
    QList<QByteArray> lines{" 2 ", " 3 ", " 4 ", " 5 ", " 6 ", " 7 ", " 8 ", " 9 ", "SI", "Kunit ,2", "SF ,2",
                            "BY the Speed"};
    while (lines.size() < 20) lines << "extra";
    lines << "one too many";
    put(crlf(lines));
    ReadInitialFile(InitialLines);
    QStringList named;
    for (int n = 13; n <= 20; ++n) named << QStringLiteral("Line %1 \"extra\": ignored.").arg(n);
    named << "Line 21 \"one too many\": ignored.";
    expectNamed(named);
    EXPECT_EQ(gUnitSystem, 2);
    EXPECT_EQ(gKUnit, 2);
    EXPECT_EQ(gSF, 2);
    EXPECT_FALSE(gBySR);
    EXPECT_EQ(get(), crlf({" 2 ", " 3 ", " 4 ", " 5 ", " 6 ", " 7 ", " 8 ", " 9 ", "SI", "Kunit ,2", "SF ,2",
                           "BY the Speed"}));
    EXPECT_EQ(InitialLines[20], "extra");

    // Thirty lines, the unit system among the last: ten named, the rest counted.
    dialogs.clear();
    lines = {" 2 ", " 3 ", " 4 ", " 5 ", " 6 ", " 7 ", " 8 ", " 9 ", "Kunit ,2", "SF ,2"};
    while (lines.size() < 29) lines << "extra";
    lines << "SI";
    put(crlf(lines));
    gUnitSystem = 1;
    ReadInitialFile(InitialLines);
    named.clear();
    for (int n = 11; n <= 20; ++n) named << QStringLiteral("Line %1 \"extra\": ignored.").arg(n);
    named << "... and 9 more.";
    named[1] = "Line 12 \"extra\": steps by speed (\"BY the Speed\") taken.";  // no rate line: its place
    expectNamed(named);
    EXPECT_EQ(gUnitSystem, 2);
    EXPECT_EQ(gKUnit, 2);
}

// Each line that cannot be read is named with the setting taken in its place;
// the good lines of an SI set-up stay in effect; the user's file is kept as a
// copy before the rewrite.
TEST_F(Settings, ALineThatCannotBeReadIsNamedWithTheValueTaken) {
    const QList<QByteArray> siSetUp{" 1 ", " 2 ", " 3 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ",
                                    "SI", "Kunit ,2", "SF ,1.5", "BY the Speed"};
    struct Case {
        const char* name;
        int line;  // the line replaced (from 1)
        QByteArray text;
        const char* named;
        int unitSystem;
        short kUnit;
        int port3;
    } cases[] = {
        {"K unit not a number", 10, "Kunit ,x", "Line 10 \"Kunit ,x\": K unit 1 taken.", 2, 1, 3},
        {"unknown unit system", 9, "Metric", "Line 9 \"Metric\": unit system CGS taken.", 1, 2, 3},
        {"port out of range", 3, " 25 ", "Line 3 \" 25 \": no port (0) taken for unit 3.", 2, 2, 0},
        {"negative port", 3, "-1", "Line 3 \"-1\": no port (0) taken for unit 3.", 2, 2, 0},
        {"port not a number", 3, "COM3", "Line 3 \"COM3\": no port (0) taken for unit 3.", 2, 2, 0},
        {"unknown rate basis", 12, "By the rate", "Line 12 \"By the rate\": steps by speed (\"BY the Speed\") taken.",
         2, 2, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.clear();
        QFile::remove(copyPath());
        QList<QByteArray> lines = siSetUp;
        lines[c.line - 1] = c.text;
        put(crlf(lines));
        gBySR = false;
        ReadInitialFile(InitialLines);
        expectNamed({c.named});
        EXPECT_TRUE(dialogs.messages[0].prompt.endsWith("\nThe file as it was is kept as initial.txt.bak."))
            << dialogs.messages[0].prompt.toStdString();
        EXPECT_EQ(gUnitSystem, c.unitSystem);
        EXPECT_EQ(gKUnit, c.kUnit);
        EXPECT_EQ(gSF, 1.5);
        EXPECT_FALSE(gBySR);
        EXPECT_EQ(copy(), crlf(lines));
        const QByteArray written = get();
        EXPECT_TRUE(written.startsWith(crlf({" 1 ", " 2 ", c.port3 ? " 3 " : " 0 "}))) << written.toStdString();
        EXPECT_TRUE(written.endsWith(crlf({c.unitSystem == 2 ? "SI" : "CGS",
                                          QByteArray("Kunit ,") + QByteArray::number(c.kUnit), "SF ,1.5",
                                          "BY the Speed"})))
            << written.toStdString();
    }
    // The whole message of one line.
    EXPECT_EQ(dialogs.messages[0].prompt,
              "A line of the settings file initial.txt could not be read:\n"
              "Line 12 \"By the rate\": steps by speed (\"BY the Speed\") taken.\n"
              "The file as it was is kept as initial.txt.bak.");
}

// The copy holds the user's file as it was before the rewrite that changed it:
// a file already in normal form is neither copied nor written, so a later
// start does not replace the copy of a file that had to be mended.
TEST_F(Settings, TheUsersFileIsKeptAsACopyBeforeARewriteChangesIt) {
    const QByteArray mended = crlf({" 1 ", "abc", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "SI", "Kunit ,x",
                                    "SF ,1", "By the SR"});
    put(mended);
    ReadInitialFile(InitialLines);
    EXPECT_EQ(namedLines().size(), 2);
    EXPECT_EQ(copy(), mended);
    const QByteArray normal = get();
    EXPECT_EQ(normal, crlf({" 1 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "SI", "Kunit ,1", "SF ,1",
                            "By the SR"}));

    // The next start: a good file in normal form, no message, the copy kept.
    dialogs.clear();
    const QDateTime written = QFileInfo(path()).lastModified();
    ReadInitialFile(InitialLines);
    expectNoMessage();
    EXPECT_EQ(gUnitSystem, 2);
    EXPECT_EQ(copy(), mended);
    EXPECT_EQ(get(), normal);
    EXPECT_EQ(QFileInfo(path()).lastModified(), written);

    // A good file in another form (LF endings, a port without its blanks) is
    // copied and rewritten without a message.
    QFile::remove(copyPath());
    const QByteArray other = " 4\n 0 \n 0 \n 0 \n 0 \n 0 \n 0 \n 0 \nCGS\nKunit ,2\nSF ,1\nBY the Speed\n";
    put(other);
    ReadInitialFile(InitialLines);
    expectNoMessage();
    EXPECT_EQ(copy(), other);
    EXPECT_EQ(get(), crlf({" 4 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "CGS", "Kunit ,2", "SF ,1",
                           "BY the Speed"}));

    // No file: created, nothing to copy.
    QFile::remove(copyPath());
    QFile::remove(path());
    ReadInitialFile(InitialLines);
    expectNoMessage();
    EXPECT_EQ(get(), kNormalDefault);
    EXPECT_FALSE(QFile::exists(copyPath()));
}

// A copy that cannot be made leaves the user's file as it was, says so, and
// the settings read stay in effect.
TEST_F(Settings, ACopyThatCannotBeMadeLeavesTheFileAsItWas) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("initial.txt.bak"));
    const QByteArray bad = crlf({" 1 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "SI", "Kunit ,x"});
    put(bad);
    ReadInitialFile(InitialLines);
    expectNamed({"Line 10 \"Kunit ,x\": K unit 1 taken."});
    EXPECT_TRUE(dialogs.messages[0].prompt.endsWith(
        "\nThe file is left as it was: its copy initial.txt.bak could not be made (Path/File access error)."))
        << dialogs.messages[0].prompt.toStdString();
    EXPECT_EQ(get(), bad);
    EXPECT_EQ(gUnitSystem, 2);

    // A good file that would be put in normal form: one message, the file as it was.
    dialogs.clear();
    const QByteArray good = " 1\r\nSI\r\n";
    put(good);
    ReadInitialFile(InitialLines);
    expectOneMessage(
        "The settings file initial.txt was not put in its normal form. The file is left as it was: its copy "
        "initial.txt.bak could not be made (Path/File access error).");
    EXPECT_EQ(get(), good);
    EXPECT_EQ(gUnitSystem, 2);
}

TEST_F(Settings, AMissingRateLineKeepsTheRateBasisOfStartUp) {
    put(crlf({" 1 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "CGS", "Kunit ,1", "SF ,1"}));
    ReadInitialFile(InitialLines);
    expectNoMessage();
    EXPECT_FALSE(gBySR);
    EXPECT_TRUE(get().endsWith("\r\nSF ,1\r\nBY the Speed\r\n")) << get().toStdString();
}

TEST_F(Settings, ItemsWithoutALineTakeTheirDefaults) {
    gUnitSystem = 2;
    gKUnit = 2;
    gSF = 3;
    gBySR = true;
    put(crlf({" 1 ", " 2 "}));
    ReadInitialFile(InitialLines);
    expectNoMessage();
    expectDefaults();
    EXPECT_EQ(get(), crlf({" 1 ", " 2 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "CGS", "Kunit ,1", "SF ,1",
                           "By the SR"}));
}

TEST_F(Settings, GarbageIsReadWithoutHarm) {
    QByteArray junk("\x00\xff 5", 4);
    junk += "\r-3\r\n1e1\n" + QByteArray(100000, 'x') + "\r\n\xe9\x80" "CGS\r\n" + QByteArray("CGS\x00", 4) +
            "\r\n\x01\x02\x03";
    put(junk);
    ReadInitialFile(InitialLines);
    // Every port line but "1e1" (10) is named, its text cut at 40 characters.
    const QStringList named = namedLines();
    ASSERT_EQ(named.size(), 6) << named.join(" | ").toStdString();
    EXPECT_EQ(named[1], "Line 2 \"-3\": no port (0) taken for unit 2.");
    EXPECT_EQ(named[2], "Line 4 \"" + QString(40, 'x') + "...\": no port (0) taken for unit 4.");
    EXPECT_TRUE(named[5].startsWith("Line 7 ")) << named[5].toStdString();
    EXPECT_EQ(gUnitSystem, 1);
    EXPECT_FALSE(gBySR);
    EXPECT_EQ(get(), crlf({" 0 ", " 0 ", " 10 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "CGS", "Kunit ,1", "SF ,1",
                           "BY the Speed"}));
    EXPECT_EQ(InitialLines[4].size(), 100000);
}

TEST_F(Settings, AFolderInPlaceOfTheFileIsReportedAndLeftAlone) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("initial.txt"));
    gBySR = false;
    ReadInitialFile(InitialLines);
    expectOneMessage("ERROR: 75, Path/File access error");
    expectDefaults();
    expectCgsLabels();
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(Settings, AMissingDataFolderStartsWithTheDefaults) {
    gAppPath = dir.filePath("no such folder");
    ReadInitialFile(InitialLines);
    expectOneMessage("ERROR: 76, Path not found");
    expectDefaults();
    expectCgsLabels();
}

TEST_F(Settings, AnUnreadableFileIsReportedAndNotReplaced) {
    if (runningAsRoot()) GTEST_SKIP() << "file permissions do not bind root";
    const QByteArray content = crlf({" 5 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "SI"});
    put(content);
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::WriteOwner));
    ReadInitialFile(InitialLines);
    expectOneMessage("ERROR: 70, Permission denied");
    expectDefaults();
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(get(), content);
}

TEST_F(Settings, AReadOnlyFileKeepsTheSettingsItHolds) {
    if (runningAsRoot()) GTEST_SKIP() << "file permissions do not bind root";
    const QByteArray content = crlf({" 5 ", "SI", "Kunit ,2", "SF ,1.5"});
    put(content);
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner));
    ReadInitialFile(InitialLines);
    expectOneMessage("ERROR: 70, Permission denied");
    EXPECT_EQ(gUnitSystem, 2);
    EXPECT_EQ(gKUnit, 2);
    EXPECT_EQ(gSF, 1.5);
    EXPECT_EQ(gMaxTemp, 316);
    EXPECT_EQ(get(), content);
}

// ---- screen-scale reset ------------------------------------------------------

TEST_F(Settings, ScreenResetReplacesEverySFLineAndKeepsTheRest) {
    gSF = 2;
    put(" 3 \r\n 0 \r\nSF ,2\r\nfoo  \r\nSF,0.5\nBy the SR");
    EXPECT_TRUE(ResetScreenScale(InitialLines));
    expectNoMessage();
    EXPECT_EQ(gSF, 1.0);
    EXPECT_EQ(get(), crlf({" 3 ", " 0 ", "SF ,1", "foo  ", "SF ,1", "By the SR"}));
    EXPECT_EQ(InitialLines[1], " 3 ");
    EXPECT_EQ(InitialLines[5], "SF ,1");
    EXPECT_TRUE(InitialLines[7].isEmpty());
}

TEST_F(Settings, ScreenResetThatCannotBeDoneChangesNothing) {
    QList<QByteArray> many;
    for (int i = 0; i < 21; ++i) many << "SF ,3";
    struct Case {
        const char* name;
        std::function<void()> prepare;
        const char* message;
    } cases[] = {
        {"missing", [] {}, "File not found"},
        {"folder", [&] { QDir(dir.path()).mkdir("initial.txt"); }, "Path/File access error"},
        {"21 lines", [&] { put(crlf(many)); }, "Subscript out of range"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path());
        QDir(dir.path()).rmdir("initial.txt");
        dialogs.clear();
        c.prepare();
        const QByteArray before = get();
        gSF = 3;
        InitialLines[1] = "kept";
        EXPECT_FALSE(ResetScreenScale(InitialLines));
        expectOneMessage(c.message);
        EXPECT_EQ(gSF, 3);
        EXPECT_EQ(InitialLines[1], "kept");
        EXPECT_EQ(get(), before);
    }
}

TEST_F(Settings, ScreenResetOnAReadOnlyFileChangesNothing) {
    if (runningAsRoot()) GTEST_SKIP() << "file permissions do not bind root";
    put(crlf({" 1 ", "SF ,3"}));
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner));
    gSF = 3;
    EXPECT_FALSE(ResetScreenScale(InitialLines));
    expectOneMessage("Permission denied");
    EXPECT_EQ(gSF, 3);
    EXPECT_EQ(get(), crlf({" 1 ", "SF ,3"}));
}

// ---- instrument-settings tab: loading -----------------------------------------

TEST_F(Settings, PortListsHoldNoneAndTwentyPorts) {
    const QStringList e = PortEntries();
    ASSERT_EQ(e.size(), 21);
    EXPECT_EQ(e[0], "None");
    EXPECT_EQ(e[1], "Comm 1");
    EXPECT_EQ(e[20], "Comm 20");
}

TEST_F(Settings, LoadSelectsThePortsAndShowsTheSettingsInEffect) {
    // A line empty or of blanks is no port.
    put(crlf({" 3 ", "  ", " 20 ", " 1 ", "2", " 7x", "", " 4 ", "SI", "Kunit ,2", "SF ,3", "BY the Speed"}));
    gUnitSystem = 1;
    gKUnit = 1;
    gSF = 1.5;
    gBySR = true;
    SetupSettings s;
    LoadPortSettings(s);
    expectNoMessage();
    const std::array<int, 9> ports{0, 3, 0, 20, 1, 2, 7, 0, 4};
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(s.cmbUnitItems[k], PortEntries()) << k;
        EXPECT_EQ(s.cmbUnit[k], ports[k]) << k;
    }
    EXPECT_EQ(s.selectedText(1), "Comm 3");
    EXPECT_EQ(s.selectedText(2), "None");
    EXPECT_TRUE(s.optCGS);
    EXPECT_FALSE(s.OptSI);
    EXPECT_TRUE(s.OptK1);
    EXPECT_FALSE(s.OptK2);
    EXPECT_EQ(s.txtSF, "1.5");
    EXPECT_TRUE(s.Option2);
    EXPECT_FALSE(s.Option1);

    gUnitSystem = 2;
    gKUnit = 2;
    gSF = 1;
    gBySR = false;
    SetupSettings t;
    LoadPortSettings(t);
    EXPECT_TRUE(t.OptSI && !t.optCGS && t.OptK2 && !t.OptK1 && t.Option1 && !t.Option2);
    EXPECT_EQ(t.txtSF, "1");
}

TEST_F(Settings, LoadStopsAtTheFirstBadPortLine) {
    struct Case {
        const char* name;
        QByteArray file;  // empty: no file
        const char* message;
        std::array<int, 9> ports;
    } cases[] = {
        {"missing", "", "File not found", {0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"text", crlf({" 2 ", " 3 ", "abc", " 5 ", " 6 ", " 7 ", " 8 ", " 9 "}), "Type mismatch",
         {0, 2, 3, 0, 0, 0, 0, 0, 0}},
        {"a sign alone", crlf({" 2 ", "-", " 5 ", " 6 ", " 7 ", " 8 ", " 9 ", " 1 "}), "Type mismatch",
         {0, 2, 0, 0, 0, 0, 0, 0, 0}},
        {"above 20", crlf({" 2 ", " 21 ", " 5 ", " 6 ", " 7 ", " 8 ", " 9 ", " 1 "}), "Invalid property value",
         {0, 2, 0, 0, 0, 0, 0, 0, 0}},
        {"negative", crlf({"-1 ", " 2 ", " 5 ", " 6 ", " 7 ", " 8 ", " 9 ", " 1 "}), "Invalid property value",
         {0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"short", crlf({" 2 ", " 3 ", " 4 ", " 5 ", " 6 "}), "Input past end of file", {0, 2, 3, 4, 5, 6, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path());
        if (!c.file.isEmpty()) put(c.file);
        dialogs.clear();
        SetupSettings s;
        LoadPortSettings(s);
        expectOneMessage(c.message);
        for (int k = 1; k <= 8; ++k) EXPECT_EQ(s.cmbUnit[k], c.ports[k]) << k;
        EXPECT_EQ(s.cmbUnitItems[8], PortEntries());
        EXPECT_FALSE(s.optCGS || s.OptSI || s.OptK1 || s.OptK2 || s.Option1 || s.Option2);
        EXPECT_TRUE(s.txtSF.isEmpty());
    }
}

// ---- instrument-settings tab: saving ------------------------------------------

class SettingsSave : public Settings {
protected:
    SetupSettings s;
    void SetUp() override {
        Settings::SetUp();
        ReadInitialFile(InitialLines);  // no file: the normal default form
        LoadPortSettings(s);
        ASSERT_TRUE(dialogs.messages.empty());
        s.UnitChanged = false;
        s.SequenceChanged = false;
    }
};

TEST_F(SettingsSave, WritesTheTabAndAppliesTheScaleAtOnce) {
    s.cmbUnit = {0, 3, 0, 20, 1, 0, 7, 2, 4};
    s.optCGS = false;
    s.OptSI = true;
    s.OptK1 = false;
    s.OptK2 = true;
    s.txtSF = "1.5";
    s.SequenceChanged = true;
    gBySR = false;
    EXPECT_TRUE(SaveInstrumentSettings(s));
    expectNoMessage();
    EXPECT_EQ(get(), crlf({" 3 ", " 0 ", " 20 ", " 1 ", " 0 ", " 7 ", " 2 ", " 4 ", "SI", "Kunit ,2", "SF ,1.5",
                           "BY the Speed"}));
    EXPECT_EQ(gSF, 1.5);
    EXPECT_EQ(gUnitSystem, 1);
    EXPECT_EQ(gKUnit, 1);
    EXPECT_FALSE(s.SequenceChanged);
    EXPECT_FALSE(s.UnitChanged);
}

TEST_F(SettingsSave, AScaleThatIsNotPositiveIsSavedAsOne) {
    const char* cases[][2] = {{"0", "1"},     {"-3", "1"},   {"abc", "1"}, {"", "1"},
                              {"2.5x", "2.5"}, {" .75", "0.75"}, {"1e308", "1"}, {"0.2", "1"}, {"4.5", "1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        gSF = 3;
        s.txtSF = c[0];
        EXPECT_TRUE(SaveInstrumentSettings(s));
        EXPECT_EQ(gSF, QString(c[1]).toDouble());
        EXPECT_TRUE(get().contains("\r\nSF ," + QByteArray(c[1]) + "\r\n")) << get().toStdString();
    }
    expectNoMessage();
}

TEST_F(SettingsSave, TwoUnitsOnOnePortAreRefused) {
    s.cmbUnit = {0, 1, 4, 0, 0, 2, 0, 4, 3};
    s.UnitChanged = true;
    s.SequenceChanged = true;
    dialogs.answers = {ui::vbOK};
    EXPECT_FALSE(SaveInstrumentSettings(s));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].prompt, "This comm port is already in use, please choose another.");
    EXPECT_EQ(dialogs.messages[1].style, ui::vbOKOnly);
    EXPECT_EQ(dialogs.messages[1].title, ui::appTitle());
    EXPECT_EQ(get(), kNormalDefault);
    EXPECT_TRUE(s.UnitChanged);
    EXPECT_TRUE(s.SequenceChanged);

    // Several units on "None" (or with nothing selected) are fine.
    dialogs.clear();
    s.UnitChanged = false;
    s.cmbUnit = {0, 1, 0, 0, -1, 2, 0, -1, 3};
    EXPECT_TRUE(SaveInstrumentSettings(s));
    expectNoMessage();
    EXPECT_TRUE(get().startsWith(crlf({" 1 ", " 0 ", " 0 ", " 0 ", " 2 ", " 0 ", " 0 ", " 3 "})));
}

TEST_F(SettingsSave, CancelledUnitChangeIsSavedWithoutAskingTheSecondTime) {
    s.optCGS = false;
    s.OptSI = true;
    s.UnitChanged = true;  // the click on OptSI
    dialogs.answers = {ui::vbCancel};
    EXPECT_FALSE(SaveInstrumentSettings(s));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].prompt,
              "You have changed unit measurement.  Click Save, then quit and restart Z3080DAQ to finalize your "
              "unit measurement changes.");
    EXPECT_EQ(dialogs.messages[0].title, "Change Unit!");
    EXPECT_EQ(dialogs.messages[0].style, ui::vbOKCancel + ui::vbInformation + ui::vbDefaultButton2);
    EXPECT_FALSE(s.UnitChanged);
    EXPECT_EQ(get(), kNormalDefault);

    EXPECT_TRUE(SaveInstrumentSettings(s));
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(get(), crlf({" 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "SI", "Kunit ,1", "SF ,1",
                           "By the SR"}));
    EXPECT_EQ(gUnitSystem, 1);
    EXPECT_EQ(gTempLabel, QStringLiteral("(°F)"));
}

TEST_F(SettingsSave, ConfirmedUnitChangeIsSaved) {
    s.OptK1 = false;
    s.OptK2 = true;
    s.UnitChanged = true;
    dialogs.answers = {ui::vbOK};
    EXPECT_TRUE(SaveInstrumentSettings(s));
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(s.UnitChanged);
    EXPECT_TRUE(get().contains("\r\nKunit ,2\r\n"));
    EXPECT_EQ(gKUnit, 1);
}

TEST_F(SettingsSave, WithNeitherOptionOfAPairTheSettingInEffectIsWritten) {
    s.optCGS = s.OptSI = s.OptK1 = s.OptK2 = false;
    gUnitSystem = 2;
    gKUnit = 2;
    EXPECT_TRUE(SaveInstrumentSettings(s));
    EXPECT_TRUE(get().contains("\r\nSI\r\nKunit ,2\r\n")) << get().toStdString();
}

TEST_F(SettingsSave, AFileThatCannotBeWrittenChangesNothing) {
    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_TRUE(QDir(dir.path()).mkdir("initial.txt"));
    s.txtSF = "2";
    s.UnitChanged = true;
    s.SequenceChanged = true;
    dialogs.answers = {ui::vbOK};
    EXPECT_FALSE(SaveInstrumentSettings(s));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].prompt, "Path/File access error");
    EXPECT_EQ(gSF, 1.0);
    EXPECT_TRUE(s.UnitChanged);
    EXPECT_TRUE(s.SequenceChanged);
    EXPECT_TRUE(QFileInfo(path()).isDir());

    dialogs.clear();
    gAppPath = dir.filePath("gone");
    s.UnitChanged = false;
    EXPECT_FALSE(SaveInstrumentSettings(s));
    expectOneMessage("Path not found");
    EXPECT_EQ(gSF, 1.0);
}

TEST_F(SettingsSave, AReadOnlyFileIsNotReplaced) {
    if (runningAsRoot()) GTEST_SKIP() << "file permissions do not bind root";
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner));
    s.txtSF = "2";
    EXPECT_FALSE(SaveInstrumentSettings(s));
    expectOneMessage("Permission denied");
    EXPECT_EQ(gSF, 1.0);
    EXPECT_EQ(get(), kNormalDefault);
}

// ---- rate-basis line on closing --------------------------------------------

TEST_F(Settings, ClosingRewritesTheLastLineWithTheRateBasis) {
    struct Case {
        QByteArray before;
        bool bySR;
        QByteArray after;
    } cases[] = {
        {kNormalDefault, false, kNormalDefault.left(kNormalDefault.size() - 11) + "BY the Speed\r\n"},
        {crlf({" 1 ", "BY the Speed"}), true, crlf({" 1 ", "By the SR"})},
        {" 1 \nSF ,2\nanything", true, crlf({" 1 ", "SF ,2", "By the SR"})},
        {crlf({" 1 ", "By the SR", ""}), false, crlf({" 1 ", "By the SR"})},
        {"", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before.toStdString());
        put(c.before);
        gBySR = c.bySR;
        EXPECT_TRUE(Save_setSR());
        EXPECT_EQ(get(), c.after);
    }
    expectNoMessage();
}

TEST_F(Settings, ClosingWithAFileItCannotRewriteChangesNothing) {
    QList<QByteArray> many;
    for (int i = 0; i < 21; ++i) many << " 0 ";
    put(crlf(many));
    gBySR = true;
    EXPECT_FALSE(Save_setSR());
    expectOneMessage("Subscript out of range");
    EXPECT_EQ(get(), crlf(many));

    dialogs.clear();
    QFile::remove(path());
    EXPECT_FALSE(Save_setSR());
    expectOneMessage("File not found");
    EXPECT_FALSE(QFile::exists(path()));
}

// ---- the whole round ---------------------------------------------------------

TEST_F(Settings, SettingsSurviveARoundThroughTheTab) {
    ReadInitialFile(InitialLines);
    SetupSettings s;
    LoadPortSettings(s);
    s.cmbUnit[2] = 5;
    s.cmbUnit[8] = 20;
    s.optCGS = false;
    s.OptSI = true;
    s.txtSF = "0.8";
    s.UnitChanged = true;
    dialogs.answers = {ui::vbOK};
    ASSERT_TRUE(SaveInstrumentSettings(s));
    gBySR = false;  // Option1 clicked
    ASSERT_TRUE(Save_setSR());

    gUnitSystem = 1;
    gBySR = true;
    ReadInitialFile(InitialLines);
    EXPECT_EQ(gUnitSystem, 2);
    EXPECT_EQ(gSF, 0.8);
    EXPECT_FALSE(gBySR);
    EXPECT_EQ(get(), crlf({" 0 ", " 5 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 20 ", "SI", "Kunit ,1", "SF ,0.8",
                           "BY the Speed"}));
    SetupSettings t;
    LoadPortSettings(t);
    EXPECT_EQ(t.cmbUnit[2], 5);
    EXPECT_EQ(t.cmbUnit[8], 20);
    EXPECT_TRUE(t.OptSI);
    EXPECT_EQ(t.txtSF, "0.8");
    EXPECT_EQ(dialogs.messages.size(), 1u);  // the "Change Unit!" question only
}

}  // namespace
