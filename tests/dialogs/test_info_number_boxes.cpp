// The boxes of the two test information dialogs that take numbers, for each
// kind of test as its window sets the dialog up: a text that is no number is
// refused at Start (Save) with the box's caption, the dialog staying open
// with everything typed; a number, or an empty box (0, as the test windows
// take it), passes. The rotor box of a rheology test holds a name, not a
// number.

#include "data/StoredTestsFixture.h"
#include "data/TypedNumbers.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "dialogs/frmViewRelatedInfo.h"
#include "platform/FlexGrid.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

using testing_support::StoredTestsFixture;

namespace {

struct Typed {
    QString text;
    bool number;
};
const Typed kTexts[] = {{"abc", false}, {"1,2", false}, {"", true}, {" 12 ", true}, {"1e3", true}, {"-", false}};

// A box of a kind: its object name, the caption it is named by, and the
// message an empty box has instead (PVT: the volume and density must be given).
struct Box {
    const char* object;  // "" for the first additive's concentration
    const char* caption;
    const char* whenEmpty = "";
};

struct Kind {
    const char* name;
    const char* bobNo;
    std::vector<Box> boxes;
};

const Kind kNewTestKinds[] = {
    {"rheology", "B1",
     {{"txtBobLength", "Bob_Length"}, {"", "Concentration (additive line 1)"}}},
    {"PVT", "PVT",
     {{"txtBobRadius", "Initial Volume", "Please enter an initial volume"},
      {"txtBobLength", "Initial Density", "Please enter an initial density"},
      {"txtRotoNo", "Radius"},
      {"", "Concentration (additive line 1)"}}},
    {"swell", "LSM",
     {{"txtBobRadius", "Sample_Wt"},
      {"txtPreTestPH", "Sample_Hardness"},
      {"txtRotoNo", "Sample_Comp._Time"},
      {"txtPostTestPH", "Sample_Comp._Press"},
      {"", "Concentration (additive line 1)"}}},
};

// The dialog as each test window sets it up before a start.
void setUpAs(frmTestRelatedInfo& d, const QString& kind) {
    d.setWindowTitle("Input Test Information");
    d.txtTestName->setText("New test");
    if (kind == "rheology") {
        d.Label1(1)->setText("Bob_Length");
        d.txtBobNo->setText("B1");
    } else if (kind == "PVT") {
        d.cmbCell->show();
        d.cmbCell->clear();
        d.cmbCell->addItems({"Large piston", "Small piston"});
        d.cmbCell->setCurrentIndex(0);
        d.Label1(14)->setText("Radius");
        d.Label1(15)->setText("Test Type");
        d.Label1(8)->setText("Initial Volume");
        d.Label1(1)->setText("Initial Density");
        d.Label1(9)->setText("Length of cell");
        d.txtBobNo->setText("PVT");
        d.txtBobRadius->setEnabled(true);
        d.txtBobRadius->setText("50");
        d.txtBobLength->setText("1.2");
    } else {
        d.txtBobNo->setText("LSM");
        d.Label1(15)->setText("Test Type");
        d.Label1(8)->setText("Sample_Wt");
        d.txtBobRadius->setEnabled(true);
        d.txtBobRadius->setText("20");
        d.Label1(1)->setText("Sample_Len.");
        d.txtBobLength->setText("0.5");
        d.txtBobLength->setEnabled(false);
        d.Label1(14)->setText("Sample_Comp._Time");
        d.txtRotoNo->setText("30");
        d.Label1(9)->setText("Sample_Comp._Press");
        d.Label1(9)->show();
        d.txtPostTestPH->setText("1000");
        d.txtPostTestPH->show();
        d.Label1(10)->setText("Sample_Hardness");
        d.Label1(10)->show();
        d.txtPreTestPH->setText("5");
        d.txtPreTestPH->show();
    }
    FlexGridModel& additives = *d.MSFlexGrid1->gridModel();
    additives.TextMatrix(1, 0, "Salt");
    additives.TextMatrix(1, 1, "2.5");
}

class InfoNumberBoxes : public StoredTestsFixture {};

TEST_F(InfoNumberBoxes, StartRefusesABoxThatHoldsNoNumberByItsCaption) {
    for (const Kind& k : kNewTestKinds) {
        for (const Box& b : k.boxes) {
            for (const Typed& t : kTexts) {
                const std::string what = std::string(k.name) + " " + b.caption + " \"" + t.text.toStdString() + "\"";
                frmTestRelatedInfo dlg(&conn);
                setUpAs(dlg, k.name);
                dlg.show();
                if (*b.object)
                    dlg.findChild<QLineEdit*>(b.object)->setText(t.text);
                else
                    dlg.MSFlexGrid1->gridModel()->TextMatrix(1, 1, t.text);
                dialogs.clear();
                dlg.cmdOk_Click();
                if (t.number && !(t.text.isEmpty() && *b.whenEmpty)) {
                    EXPECT_TRUE(dialogs.messages.empty()) << what << ": " << dialogs.texts().join("|").toStdString();
                    EXPECT_FALSE(dlg.Cancelled) << what;
                    continue;
                }
                const QString expected = t.number ? QString::fromUtf8(b.whenEmpty)
                                                  : typed::NotANumberMessage(QString::fromUtf8(b.caption), t.text);
                EXPECT_EQ(dialogs.texts(), QStringList{expected}) << what;
                EXPECT_TRUE(dlg.Cancelled) << what;
                EXPECT_TRUE(dlg.isVisible()) << what;
                EXPECT_EQ(dlg.txtTestName->text(), "New test") << what;  // what was typed stays
                if (*b.object) EXPECT_EQ(dlg.findChild<QLineEdit*>(b.object)->text(), t.text) << what;
            }
        }
    }
    // A rheology test's rotor box holds the rotor's name.
    frmTestRelatedInfo dlg(&conn);
    setUpAs(dlg, "rheology");
    dlg.txtRotoNo->setText("R2");
    dialogs.clear();
    dlg.cmdOk_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("|").toStdString();
    EXPECT_FALSE(dlg.Cancelled);
}

TEST_F(InfoNumberBoxes, SaveOfTheEditDialogRefusesABoxThatHoldsNoNumberByItsCaption) {
    const struct {
        qint32 type;
        const char* bobNo;
        std::vector<Box> boxes;
    } kinds[] = {
        {0, "B1",
         {{"txtBobRadius", "Bob Radius (cm)"},
          {"txtBobLength", "Bob Effective Length (cm)"},
          {"txtPreTestPH", "Pre-Test pH"},
          {"txtPostTestPH", "Post-Test pH"},
          {"", "Concentration (additive line 1)"}}},
        {1, "PVT", {{"txtBobRadius", "Initial Volume"}, {"txtBobLength", "Initial Density"}, {"txtRotoNo", "Radius(cm)"}}},
        {2, "LSM",
         {{"txtRotoNo", "Sample Compact Time (min)"},
          {"txtBobRadius", "Sample Wt (g)"},
          {"txtPreTestPH", "Sample Hardness"},
          {"txtPostTestPH", "Sample Compact Press (psi)"}}},
    };
    for (const auto& k : kinds) {
        for (const Box& b : k.boxes) {
            for (const Typed& t : kTexts) {
                const std::string what = std::string(k.bobNo) + " " + b.caption + " \"" + t.text.toStdString() + "\"";
                frmViewRelatedInfo dlg;
                dlg.SetTestKindLabels(k.type);
                dlg.txtBobNo->setText(k.bobNo);
                dlg.txtTestName->setText("Stored");
                for (QLineEdit* box : {dlg.txtBobRadius, dlg.txtBobLength, dlg.txtPreTestPH, dlg.txtPostTestPH})
                    box->setText("1.5");
                dlg.txtRotoNo->setText(k.type == 0 ? "R1" : "2");
                dlg.MSFlexGrid1->gridModel()->TextMatrix(1, 0, "Salt");
                if (*b.object)
                    dlg.findChild<QLineEdit*>(b.object)->setText(t.text);
                else
                    dlg.MSFlexGrid1->gridModel()->TextMatrix(1, 1, t.text);
                dialogs.clear();
                dlg.cmdOk_Click();
                if (t.number) {
                    EXPECT_TRUE(dialogs.messages.empty()) << what << ": " << dialogs.texts().join("|").toStdString();
                    EXPECT_FALSE(dlg.Cancelled) << what;
                } else {
                    EXPECT_EQ(dialogs.texts(),
                              QStringList{typed::NotANumberMessage(QString::fromUtf8(b.caption), t.text)})
                        << what;
                    EXPECT_TRUE(dlg.Cancelled) << what;
                }
            }
        }
    }
}

}  // namespace
