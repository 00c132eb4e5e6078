#pragma once
// "Z3080 Setup": the sequence editor and, on its second tab, the instrument
// settings.
//
// The first tab lists the stored sequences (with a name filter), shows the
// chosen one in the step grid MSFlexGrid1 and the ramp-define grid
// MSFlexGrid2 for the bob of Combo1 and the entry mode of Option1 ("By
// Speed") / Option2 ("By Shear Rate"), edits them cell by cell, with the Auto
// Step Builder and with the insert, copy-and-paste and delete dialogs, and
// stores them (New, Save, Copy As, Delete). The grids are the working copy:
// no step reaches the database before Save or Copy As. New asks about
// unstored edits before it stores the new name (taking the steps shown into
// the new sequence, or dropping them) and then shows the new sequence; Copy
// As stores the grids as they stand and then shows the copy. The second tab shows
// and saves the settings file's unit ports, unit system, K unit and screen
// factor.
//
// One window is shown at a time, modeless, while the main window is hidden:
//
//     auto* setup = new frmSetup(Connection(), this);   // loads at once
//     setup->setAttribute(Qt::WA_DeleteOnClose);
//     hide();
//     setup->show();
//
// Closing it (close box or either Return button) asks about unstored changes
// (Cancel keeps it open), writes the entry mode to the settings file and
// shows the main window again.
//
// The window is written in two files: frmSetup.cpp holds the controls of both
// tabs, the load, the tab switch and closing, and the sequence tab (the list,
// the bob and entry mode, the cell editors, the step builder and dialogs,
// storing, the file exchange and the preview); frmSetupSettings.cpp holds the
// settings tab (its loading, Save and option clicks). The rules they apply
// are in SequenceGrids, SequenceStore, SequenceCsv, SequencePreview and the
// settings file's functions (data/Settings.h).

#include "data/BobGeometry.h"
#include "dialogs/ControlLayout.h"
#include "sequences/SequenceGridTexts.h"
#include "sequences/SequenceGrids.h"
#include "sequences/SequenceStore.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class FlexGrid;
class FlexGridModel;
class PeChart;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabBar;
class clsConnection;

class frmSetup : public QWidget {
    Q_OBJECT
public:
    static const QString kCaption;  // "Z3080 Setup"
    // The screen-size box txtSF as its refusals name it.
    static const QString kScreenSizeBox;  // "Adjust Screen size"
    // The refusal of a screen size outside kMinScaleFactor to kMaxScaleFactor.
    static QString ScreenSizeOutOfRange(double typedSize);

    // The connection is the main window's and must outlive the window;
    // `mainWindow` (may be null) is shown again when the window closes.
    // The window loads here: tab 1, bob "B1", the first stored sequence, the
    // settings tab filled from the settings file. A database failure while
    // loading is shown as "ERROR: <number>, <description>" and the window
    // opens all the same (its settings tab works without the database).
    explicit frmSetup(clsConnection* connection, QWidget* mainWindow = nullptr, QWidget* parent = nullptr);
    ~frmSetup() override;

    // ---- public members --------------------------------------------------------
    // What the copy and range-delete dialogs hand back (0 in CopyFrom or
    // DeleteFrom: cancelled).
    double CopyFrom = 0;
    double CopyTo = 0;
    double PasteAt = 0;
    short PastePosition = 0;  // 0 "after", 1 "before"
    double DeleteFrom = 0;
    short DeleteTo = 0;
    double NewPressure = 0;
    double NewTemperature = 0;

    // Writes the entry mode into the settings file's last line.
    bool Save_setSR();
    // 1 when a stored sequence has that name (letter case ignored), else 0.
    int Check_Duplicate(const QString& name);
    // Puts the preview chart into its base state.
    void Initial_Chart_All();
    // The grids hold unstored changes.
    void MarkSequenceChanged() { mSeqChanged = true; }

    bool SequenceChanged() const { return mSeqChanged; }
    bool UnitChanged() const { return unitChanged_; }
    double BobRadius() const { return mBobRadius; }
    double BobSRFactor() const { return mBobSRFactor; }
    short CurrentTab() const { return mCurrentTab; }
    // The record objects and the shown sequence (mSeqId, mSeqInfoRow).
    SequenceStore& Store() { return store_; }
    FlexGridModel& StepGrid() const;
    FlexGridModel& RampDefineGrid() const;
    // The label array of the builder: elements 0 to 8, 17 and 18 exist.
    QLabel* Label1(int index) const;

    // ---- controls -----------------------------------------------------------------
    QTabBar* TabStrip1;
    std::array<QFrame*, 3> Frame3{};  // [1] sequences, [2] settings

    QListWidget* lstSeqName;
    QLineEdit* txtSeqName;
    QComboBox* Combo1;
    QGroupBox* Frame4;
    QRadioButton* Option1;  // "By Speed"
    QRadioButton* Option2;  // "By Shear Rate"
    FlexGrid* MSFlexGrid1;  // steps
    QLineEdit* txtOverlap2; // step-cell editor
    QGroupBox* Frame6;      // "Ramp Detail"
    FlexGrid* MSFlexGrid2;  // ramp-define entries
    QLineEdit* txtOverlap;  // ramp-cell editor
    QPushButton* cmdNew;
    QPushButton* cmdSaveChange;
    QPushButton* cmdSaveas;
    QPushButton* cmdDelete;
    QPushButton* cmdInsertStep;
    QPushButton* cmdDeleteStep;
    QPushButton* cmdCopySteps;
    QPushButton* cmdDeleteSteps;
    QPushButton* cmdExport;
    QPushButton* cmdImport;
    PeChart* Pesgo1;  // preview chart
    QPushButton* cmdUpdateChart;
    QPushButton* cmdBuild;
    QPushButton* cmdReturn;

    QGroupBox* frameRamp;  // "Auto Step Builder"
    QLineEdit* txtTotalSteps;
    QLineEdit* txtStepTime;
    QLineEdit* txtTemp;
    QLineEdit* txtTempError;
    QLineEdit* txtTempRate;
    QLineEdit* txtSpeed;
    QLineEdit* txtPressure;
    QLineEdit* txtPressRate;
    QLineEdit* txtInterval;
    QLineEdit* txtCycle;
    QLineEdit* txtRunRamp;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

    std::array<QComboBox*, 9> cmbUnit{};  // [1..8]
    QRadioButton* optCGS;
    QRadioButton* OptSI;
    QRadioButton* OptK1;
    QRadioButton* OptK2;
    QLineEdit* txtSF;
    QPushButton* cmdSave;
    QPushButton* cmdReturn2;

public slots:
    void TabStrip1_Click();
    void SelectBob();
    void Option1_Click();
    void Option2_Click();
    void lstSeqName_Click();
    void txtSeqName_Change();
    void cmdBuild_Click();
    void cmdCancel_Click();
    void cmdReturn_Click();
    void cmdReturn2_Click();

    // Step builder and in-cell editing.
    void FillStepsFromEntry();
    void MSFlexGrid1_Click();
    void MSFlexGrid2_Click();
    // Key codes 37 left, 38 up, 39 right, 40 down move the editor; any other
    // key marks the sequence changed. A cell takes a number or nothing: a
    // text that is no number is refused by its step (ramp entry) and column,
    // the cell left as it was (an arrow key keeps the editor on its cell with
    // the text; leaving it closes the editor). The builder's boxes take
    // numbers too (an empty box is 0), refused by their captions.
    void txtOverlap2_KeyDown(int KeyCode, int Shift);
    void txtOverlap2_LostFocus();
    void txtOverlap_KeyDown(int KeyCode, int Shift);
    void txtOverlap_LostFocus();

    // Insert, copy and delete steps.
    void cmdInsertStep_Click();
    void cmdCopySteps_Click();
    void cmdDeleteStep_Click();
    void cmdDeleteSteps_Click();

    // Storing.
    void cmdNew_Click();
    void cmdSaveChange_Click();
    void cmdSaveas_Click();
    void cmdDelete_Click();

    // Settings tab (frmSetupSettings.cpp).
    void cmdSave_Click();
    void optCGS_Click();
    void OptSI_Click();
    void OptK1_Click();
    void OptK2_Click();

    // The close question, the entry mode to the settings file and the main
    // window shown again; true when the window is to stay open.
    bool Form_Unload();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    // The export and import of sequences as CSV files, and the redraw of
    // the preview chart Pesgo1 from the grids.
    void cmdExport_Click();
    void cmdImport_Click();
    void cmdUpdateChart_Click();

private:
    void buildControls();
    void buildSequenceTab(QFrame* tab);
    void buildBuilderFrame(QFrame* tab);
    void buildSettingsTab(QFrame* tab);
    void Form_Load();

    // The preview redraw after a picked sequence is loaded, and cmdUpdateChart.
    void BuildPreviewProfile();
    // The texts both grids show, for the file exchange and the preview.
    SequenceGridTexts GridTexts() const;
    // The text of the list entry shown selected; empty when none is.
    QString selectedSequenceName() const;

    void ReloadSequenceList();
    // Lists the stored names again and shows the sequence of that name,
    // selected in the list: its stored steps, or (keepGrids) the grids as
    // they stand, still to be saved into it.
    void openStoredSequence(const QString& name, bool keepGrids);
    // The name New and Copy As ask for (a stored name asked again, Cancel
    // ends); empty when cancelled. A name over 40 characters is asked again
    // with a message when refuseTooLong, else it ends the question.
    QString askNewName(bool refuseTooLong);
    // Save's checks of both grids, the first failure shown; true when refused.
    bool gridsRefused();
    void LoadRampGrid();
    void LoadRampDefineGrid();
    // Selects list entry i; the selection runs lstSeqName_Click.
    void selectListEntry(int i);
    // The Yes/No question of the bob choice and the entry mode; true when
    // the operator goes back to the unstored sequence.
    bool keepUnstoredSequence();
    // The in-cell editor laid over the grid's current cell with its text.
    void openCellEditor(FlexGrid* view, QLineEdit* editor);
    // The arrow keys of an in-cell editor: false for any other key. Up stops
    // at row 1, left at `firstCol`, down and right at the last row and column
    // (nothing written); otherwise commitAndMove(new row, new column).
    static bool moveCellEditor(FlexGridModel& grid, int KeyCode, int firstCol,
                               const std::function<void(int row, int col)>& commitAndMove);
    void closeCellEditor(QLineEdit* editor);
    void setEntryModeLabel();

    // The settings tab filled from the settings file (frmSetupSettings.cpp).
    void LoadPortSettings();

    QPointer<QWidget> mainWindow_;
    SequenceStore store_;
    bool mSeqChanged = false;
    bool unitChanged_ = false;
    double mBobRadius = bob::kB1.radiusCm;
    double mBobSRFactor = 0;
    short mCurrentTab = 1;
    int mStepEditCol = 0;
    short mStepEditRow = 0;
    int mRampEditCol = 0;
    short mRampEditRow = 0;
    seqgrid::StepBuffer mStepBuffer;

    bool loading_ = true;        // Combo1 filled without running SelectBob
    bool listFilling_ = false;   // lstSeqName refilled without running its click
    bool rowChangedSincePress_ = false;  // the list's current entry changed since the last mouse press
    bool closingEditor_ = false;

    std::array<QLabel*, 19> label1_{};
    std::unique_ptr<ControlLayout> layout_;
};
