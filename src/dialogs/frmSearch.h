#pragma once
// The search dialog behind the open-test dialog's Search button: up to three
// conditions on TEST_INFO columns and three on TEST_ADDITIVE columns, run as
// one statement over the shared connection; the matching tests are listed,
// highest TEST_ID first. A double-click on a listed test hands it back:
//
//     frmSearch search(connection);
//     ui::ShowModal(search);
//     if (!search.Cancelled) txtSeqName->setText(search.ChosenTestName());

#include "dialogs/ControlLayout.h"
#include "dialogs/TestSearch.h"

#include <array>

class FlexGrid;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class clsConnection;

class frmSearch : public LaidOutDialog {
    Q_OBJECT
public:
    // The connection is the main window's; it must outlive the dialog. Loads
    // at once; a failure while reading the field lists is shown as "ERROR: "
    // and the description, and the dialog opens with what it has.
    explicit frmSearch(clsConnection* connection, QWidget* parent = nullptr);
    ~frmSearch() override;

    // False only after a double-click on a listed test; true otherwise (also
    // after a close of the window).
    bool Cancelled = true;

    // Column 0 of the result list's current row: the chosen test's name
    // (empty while no listed test is current).
    QString ChosenTestName() const;

    // The criteria rows as their boxes hold them (index 0 is row 1).
    QVector<search::Criterion> InfoCriteria() const;
    QVector<search::Criterion> AdditiveCriteria() const;

    // Controls; the criteria arrays use indices 1 to 3 (index 0 is unused).
    QLabel* Label1;
    std::array<QComboBox*, 4> Combo1{};
    std::array<QComboBox*, 4> cmbmath1{};
    std::array<QLineEdit*, 4> Text1{};
    QLabel* Label2;
    std::array<QComboBox*, 4> Combo2{};
    std::array<QComboBox*, 4> cmbmath2{};
    std::array<QLineEdit*, 4> Text2{};
    QPushButton* cmdSearch;
    QPushButton* cmdClear;
    QPushButton* Command1;
    QLabel* Label3;
    FlexGrid* MSFlexGrid1;

public slots:
    void cmdSearch_Click();
    void cmdClear_Click();
    void Command1_Click();
    void MSFlexGrid1_DblClick();

private:
    void Form_Load();

    clsConnection* connection_;
    QStringList infoFields_;
    QStringList additiveFields_;
};
