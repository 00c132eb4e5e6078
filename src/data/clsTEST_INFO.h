#pragma once
// Test information records: one TEST_INFO row per stored test (its name, fluid,
// time, researcher, the rheometer geometry or the sample data of the other test
// kinds, and a free description). The columns are named for the rheology test;
// what a PVT or swell test keeps in ROTOR_NO, BOB_NO, BOB_RADIUS,
// BOB_EFF_LENGTH, PRETEST_PH and POSTTEST_PH is in TestKindColumns.h, whose
// names every reader and writer of those quantities uses.
//
// ConnectX binds, prepares the commands and reads the list of tests (name, time,
// researcher, bob, key, newest first), which StoredTests hands out (the lists
// of dialogs/StoredTestList are made from it). Names are not unique: a test
// chosen from the list is read by its key.
// GetTestDetail reads the rows of one test by name, GetTestDetailByKey by its
// key; Delete deletes by name, DeleteByKey by key. AddNew and SaveAs return
// the key of the row they inserted. The class traps no errors.

#include "data/RecordBase.h"

#include <QDateTime>
#include <QString>

class clsTEST_INFO : public RecordBase {
public:
    // The order of every list of stored tests (Open Saved Test, the
    // overlay's chooser, Search): newest first by the test's time, tests of
    // one time newest stored first.
    static const QString kNewestFirst;
    // Statement texts.
    static const QString kListSql;
    static const QString kKeyByNameSql;
    static const QString kKeyByIdSql;
    static const QString kDeleteSql;
    static const QString kDeleteByIdSql;
    static const QString kUpdateSql;
    static const QString kInsertSql;

    // Columns of the full rows, in the order of the key queries.
    enum Column : int {
        colTEST_ID = 0,
        colTEST_NAME,
        colFLUID_ID,
        colTEST_TIME,
        colRESEARCHER_NAME,
        colROTOR_NO,
        colBOB_NO,
        colBOB_RADIUS,
        colBOB_EFF_LENGTH,
        colPRETEST_PH,
        colPOSTTEST_PH,
        colSAFETY,
        kColumnCount  // 12
    };
    // The key's column in the list rows of ConnectX.
    static constexpr int kListKeyColumn = 4;
    // The row array has one entry more than there are columns; the last stays empty.
    static constexpr int kRowArraySize = 13;

    // The null date, 1 January 1800 00:00: Update stores it as Null.
    static QDateTime NullDate();

    clsTEST_INFO();

    void Refresh() {}

    // Binds, then reads the rows of the test whose key is Test_Id into the row
    // cache. It runs a command that only ConnectX prepares: on an instance that
    // was never bound by ConnectX it fails.
    void ConnectX4(clsConnection* connection);
    // Binds, prepares the commands and reads the list of tests into the row cache.
    void ConnectX(clsConnection* connection);

    double Test_Id() const { return testId_; }
    void Test_Id(double value) { testId_ = value; }
    QString TEST_NAME() const { return testName_; }
    void TEST_NAME(const QString& value) { testName_ = value; }
    QString Fluid_ID() const { return fluidId_; }
    void Fluid_ID(const QString& value) { fluidId_ = value; }
    QDateTime TEST_TIME() const { return testTime_; }
    void TEST_TIME(const QDateTime& value) { testTime_ = value; }
    QString RESEARCHER_NAME() const { return researcherName_; }
    void RESEARCHER_NAME(const QString& value) { researcherName_ = value; }
    QString ROTOR_NO() const { return rotorNo_; }
    void ROTOR_NO(const QString& value) { rotorNo_ = value; }
    QString BOB_NO() const { return bobNo_; }
    void BOB_NO(const QString& value) { bobNo_ = value; }
    double BOB_RADIUS() const { return bobRadius_; }
    void BOB_RADIUS(double value) { bobRadius_ = value; }
    double BOB_EFF_LENGTH() const { return bobEffLength_; }
    void BOB_EFF_LENGTH(double value) { bobEffLength_ = value; }
    double PreTest_PH() const { return preTestPh_; }
    void PreTest_PH(double value) { preTestPh_ = value; }
    double PostTest_PH() const { return postTestPh_; }
    void PostTest_PH(double value) { postTestPh_ = value; }
    // Write only: the description is read back through All (entry 11).
    void SAFETY(const QString& value) { safety_ = value; }
    // The current-row field of a column set by the column, for a writer that
    // names the column by its kind's meaning (TestKindColumns.h): Number for
    // BOB_RADIUS, BOB_EFF_LENGTH, PRETEST_PH and POSTTEST_PH, Text for
    // ROTOR_NO and BOB_NO. Any other column throws std::out_of_range.
    void Number(int column, double value);
    void Text(int column, const QString& value);

    // The list of stored tests the last ConnectX read: StoredTests()[column][test],
    // columns TEST_NAME, TEST_TIME, RESEARCHER_NAME, BOB_NO, TEST_ID, newest
    // first; empty for no tests. The key queries leave it as it is.
    RowCache StoredTests() const { return storedTests_; }
    // The full rows (columns as Column) of the test the last key query read
    // (GetTestDetail, GetTestDetailByKey, ConnectX4); empty when it found
    // none, and after ConnectX.
    RowCache TestRows() const { return testRows_; }

    void SetDefaults() override;
    // The key query by the current TEST_NAME.
    void GetTestDetail();
    // The same by the current Test_Id: the one test of that key (names are
    // not unique), its first row loaded; Eof when there is none.
    void GetTestDetailByKey();
    // Inserts the current-row fields as a new row and returns the key the
    // database gave it: names are not unique, so the key of a new test is
    // never to be found again by its name. The current row's Test_Id stays as
    // it was.
    double AddNew();
    // Rewrites the row whose TEST_ID is Test_Id with the current-row fields.
    void Update();
    // Deletes every row named like the current TEST_NAME.
    void Delete();
    // Deletes the one row whose key is Test_Id (names are not unique).
    void DeleteByKey();
    // Inserts the current-row fields under the given name instead of
    // TEST_NAME and returns the new row's key, as AddNew.
    double SaveAs(const QString& newName);

    // The current row as an array of 13 entries (0 to 11 the columns, 12 empty).
    RowArray All() const;
    // Takes the array as the row array and sets the twelve fields from entries 0 to 11.
    void All(const RowArray& values);

protected:
    void LoadRow(int i) override;

private:
    double insertAs(const QString& name);
    // testRows_ from the key query just run.
    void keepTestRows();

    RowCache storedTests_;
    RowCache testRows_;

    double testId_ = 0;
    QString testName_;
    QString fluidId_;
    QDateTime testTime_;
    QString researcherName_;
    QString rotorNo_;
    QString bobNo_;
    double bobRadius_ = 0;
    double bobEffLength_ = 0;
    double preTestPh_ = 0;
    double postTestPh_ = 0;
    QString safety_;

    std::unique_ptr<db::Command> cmdKeyByName_;
    std::unique_ptr<db::Command> cmdKeyById_;
    std::unique_ptr<db::Command> cmdDelete_;
    std::unique_ptr<db::Command> cmdDeleteById_;
    std::unique_ptr<db::Command> cmdUpdate_;
    std::unique_ptr<db::Command> cmdInsert_;
};
