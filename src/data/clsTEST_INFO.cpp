#include "data/clsTEST_INFO.h"

#include "data/BobGeometry.h"

#include <stdexcept>

namespace {
const QString kSelectColumns = QStringLiteral(
    "SELECT TEST_ID, TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, ROTOR_NO, BOB_NO, BOB_RADIUS, "
    "BOB_EFF_LENGTH, PRETEST_PH, POSTTEST_PH, SAFETY  FROM TEST_INFO");

// The current date and time to the second, as dates are stored.
QDateTime nowToTheSecond() {
    QDateTime t = QDateTime::currentDateTime();
    const QTime tm = t.time();
    t.setTime(QTime(tm.hour(), tm.minute(), tm.second()));
    return t;
}
}  // namespace

const QString clsTEST_INFO::kNewestFirst = QStringLiteral(" ORDER BY TEST_INFO.TEST_TIME DESC, TEST_INFO.TEST_ID DESC");
const QString clsTEST_INFO::kListSql =
    QStringLiteral("SELECT TEST_NAME, TEST_TIME, RESEARCHER_NAME, bob_no, TEST_ID  FROM TEST_INFO ") + kNewestFirst;
const QString clsTEST_INFO::kKeyByNameSql = kSelectColumns + QStringLiteral(" Where TEST_NAME = ?");
const QString clsTEST_INFO::kKeyByIdSql = kSelectColumns + QStringLiteral(" Where TEST_ID = ?");
const QString clsTEST_INFO::kDeleteSql = QStringLiteral("DELETE  FROM TEST_INFO  WHERE TEST_NAME = ?");
const QString clsTEST_INFO::kDeleteByIdSql = QStringLiteral("DELETE  FROM TEST_INFO  WHERE TEST_ID = ?");
const QString clsTEST_INFO::kUpdateSql = QStringLiteral(
    "UPDATE TEST_INFO SET TEST_NAME = ?, FLUID_ID = ?, TEST_TIME = ?, RESEARCHER_NAME = ?, ROTOR_NO = ?, "
    "BOB_NO = ?, BOB_RADIUS = ?, BOB_EFF_LENGTH = ?, PRETEST_PH = ?, POSTTEST_PH = ?, SAFETY = ?  WHERE TEST_ID = ?");
const QString clsTEST_INFO::kInsertSql = QStringLiteral(
    "INSERT INTO  TEST_INFO (TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, ROTOR_NO, BOB_NO, BOB_RADIUS, "
    "BOB_EFF_LENGTH, PRETEST_PH, POSTTEST_PH, SAFETY) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");

QDateTime clsTEST_INFO::NullDate() { return QDateTime(QDate(1800, 1, 1), QTime(0, 0)); }

clsTEST_INFO::clsTEST_INFO() : RecordBase(false) {
    rowArray_.resize(kRowArraySize);
    SetDefaults();
}

void clsTEST_INFO::Number(int column, double value) {
    switch (column) {
        case colBOB_RADIUS: bobRadius_ = value; return;
        case colBOB_EFF_LENGTH: bobEffLength_ = value; return;
        case colPRETEST_PH: preTestPh_ = value; return;
        case colPOSTTEST_PH: postTestPh_ = value; return;
        default: throw std::out_of_range("no number field of a test's information for this column");
    }
}

void clsTEST_INFO::Text(int column, const QString& value) {
    switch (column) {
        case colROTOR_NO: rotorNo_ = value; return;
        case colBOB_NO: bobNo_ = value; return;
        default: throw std::out_of_range("no text field of a test's information for this column");
    }
}

void clsTEST_INFO::SetDefaults() {
    testId_ = 0;
    testName_ = QString();
    fluidId_ = QString();
    testTime_ = nowToTheSecond();
    researcherName_ = QStringLiteral("UNKOWN");
    rotorNo_ = QStringLiteral("R1");
    bobNo_ = QString::fromLatin1(bob::kB5.name);
    bobRadius_ = bob::kB5.radiusCm;
    bobEffLength_ = bob::kB5.lengthCm;
    preTestPh_ = 7.0;
    postTestPh_ = 7.0;
    safety_ = QString();
}

void clsTEST_INFO::ConnectX(clsConnection* connection) {
    bind(connection);

    // The list is not a key query: BOF and IsEmpty keep reading the last key query's row set.
    db::Command list(adoConnection_, kListSql);
    auto rs = list.execute();
    if (rs->rowCount > 0) {
        takeRows(rs);
    } else {
        eof_ = true;
        rowCount_ = 0;
        cache_.clear();
    }
    storedTests_ = cache_;
    testRows_.clear();

    // The text parameters take the sizes of their columns; every value travels as a parameter.
    const ParamSpec pName{"pTEST_NAME", db::adVarChar, 250};
    const ParamSpec pFluid{"pFluid_ID", db::adVarChar, 50};
    const ParamSpec pTime{"pTEST_TIME", db::adDBTimeStamp};
    const ParamSpec pResearcher{"pRESEARCHER_NAME", db::adVarChar, 50};
    const ParamSpec pRotor{"pROTOR_NO", db::adVarChar, 50};
    const ParamSpec pBob{"pBOB_NO", db::adVarChar, 50};
    const ParamSpec pRadius{"pBOB_RADIUS", db::adDouble};
    const ParamSpec pLength{"pBOB_EFF_LENGTH", db::adDouble};
    const ParamSpec pPre{"pPRETEST_PH", db::adDouble};
    const ParamSpec pPost{"pPOSTTEST_PH", db::adDouble};
    const ParamSpec pSafety{"pSAFETY", db::adVarChar, 250};
    const ParamSpec pId{"pTEST_ID", db::adInteger};

    cmdKeyByName_ = makeCommand(kKeyByNameSql, {pName});
    cmdKeyById_ = makeCommand(kKeyByIdSql, {pId});
    cmdDelete_ = makeCommand(kDeleteSql, {pName});
    cmdDeleteById_ = makeCommand(kDeleteByIdSql, {pId});
    cmdUpdate_ = makeCommand(kUpdateSql, {pName, pFluid, pTime, pResearcher, pRotor, pBob, pRadius, pLength, pPre,
                                          pPost, pSafety, pId});
    cmdInsert_ = makeCommand(kInsertSql, {pName, pFluid, pTime, pResearcher, pRotor, pBob, pRadius, pLength, pPre,
                                          pPost, pSafety});
}

void clsTEST_INFO::ConnectX4(clsConnection* connection) {
    bind(connection);
    db::Command& cmd = need(cmdKeyById_);
    cmd.setValue(0, testId_);
    auto rs = runKeyQuery(cmd);
    if (rs->rowCount > 0) {
        takeRows(rs);
    } else {
        rowCount_ = 0;
        eof_ = true;
    }
    keepTestRows();
}

void clsTEST_INFO::GetTestDetail() {
    keyQuery(need(cmdKeyByName_), testName_);
    keepTestRows();
}

void clsTEST_INFO::GetTestDetailByKey() {
    keyQuery(need(cmdKeyById_), testId_);
    keepTestRows();
}

void clsTEST_INFO::keepTestRows() {
    if (rowCount_ > 0)
        testRows_ = cache_;
    else
        testRows_.clear();
}

void clsTEST_INFO::LoadRow(int i) {
    SetDefaults();
    // The list rows of ConnectX are not full rows: they load nothing.
    if (cache_.size() < kColumnCount || i < 0 || i >= cache_[0].size()) return;
    auto at = [&](int column) -> const QVariant& { return cell(column, i); };
    if (!isNull(at(colTEST_ID))) testId_ = toDouble(at(colTEST_ID));
    if (!isNull(at(colTEST_NAME))) testName_ = toText(at(colTEST_NAME));
    if (!isNull(at(colFLUID_ID))) fluidId_ = toText(at(colFLUID_ID));
    if (!isNull(at(colTEST_TIME))) testTime_ = toDate(at(colTEST_TIME));
    if (!isNull(at(colRESEARCHER_NAME))) researcherName_ = toText(at(colRESEARCHER_NAME));
    if (!isNull(at(colROTOR_NO))) rotorNo_ = toText(at(colROTOR_NO));
    if (!isNull(at(colBOB_NO))) bobNo_ = toText(at(colBOB_NO));
    if (!isNull(at(colBOB_RADIUS))) bobRadius_ = toDouble(at(colBOB_RADIUS));
    if (!isNull(at(colBOB_EFF_LENGTH))) bobEffLength_ = toDouble(at(colBOB_EFF_LENGTH));
    if (!isNull(at(colPRETEST_PH))) preTestPh_ = toDouble(at(colPRETEST_PH));
    if (!isNull(at(colPOSTTEST_PH))) postTestPh_ = toDouble(at(colPOSTTEST_PH));
    if (!isNull(at(colSAFETY))) safety_ = toText(at(colSAFETY));
}

double clsTEST_INFO::insertAs(const QString& name) {
    db::Command& cmd = need(cmdInsert_);
    cmd.setValue(0, name);
    cmd.setValue(1, fluidId_);
    cmd.setValue(2, testTime_);
    cmd.setValue(3, researcherName_);
    cmd.setValue(4, rotorNo_);
    cmd.setValue(5, bobNo_);
    cmd.setValue(6, bobRadius_);
    cmd.setValue(7, bobEffLength_);
    cmd.setValue(8, preTestPh_);
    cmd.setValue(9, postTestPh_);
    cmd.setValue(10, safety_);
    const qint64 key = cmd.executeInsert();
    Refresh();
    return double(key);
}

double clsTEST_INFO::AddNew() { return insertAs(testName_); }

double clsTEST_INFO::SaveAs(const QString& newName) { return insertAs(newName); }

void clsTEST_INFO::Update() {
    db::Command& cmd = need(cmdUpdate_);
    cmd.setValue(0, testName_);
    cmd.setValue(1, fluidId_);
    // The null date clears the stored time.
    cmd.setValue(2, testTime_ == NullDate() ? QVariant() : QVariant(testTime_));
    cmd.setValue(3, researcherName_);
    cmd.setValue(4, rotorNo_);
    cmd.setValue(5, bobNo_);
    cmd.setValue(6, bobRadius_);
    cmd.setValue(7, bobEffLength_);
    cmd.setValue(8, preTestPh_);
    cmd.setValue(9, postTestPh_);
    cmd.setValue(10, safety_);
    cmd.setValue(11, testId_);
    cmd.execute();
}

void clsTEST_INFO::Delete() {
    db::Command& cmd = need(cmdDelete_);
    cmd.setValue(0, testName_);
    cmd.execute();
    Refresh();
}

void clsTEST_INFO::DeleteByKey() {
    db::Command& cmd = need(cmdDeleteById_);
    cmd.setValue(0, testId_);
    cmd.execute();
    Refresh();
}

RowArray clsTEST_INFO::All() const {
    RowArray a = rowArray_;
    if (a.size() < kRowArraySize) a.resize(kRowArraySize);
    a[colTEST_ID] = testId_;
    a[colTEST_NAME] = testName_;
    a[colFLUID_ID] = fluidId_;
    a[colTEST_TIME] = testTime_;
    a[colRESEARCHER_NAME] = researcherName_;
    a[colROTOR_NO] = rotorNo_;
    a[colBOB_NO] = bobNo_;
    a[colBOB_RADIUS] = bobRadius_;
    a[colBOB_EFF_LENGTH] = bobEffLength_;
    a[colPRETEST_PH] = preTestPh_;
    a[colPOSTTEST_PH] = postTestPh_;
    a[colSAFETY] = safety_;
    return a;
}

void clsTEST_INFO::All(const RowArray& values) {
    needEntries(values, kColumnCount);
    // Convert everything first, so that a value of the wrong type changes nothing.
    const double id = toDouble(values[colTEST_ID]);
    const QDateTime time = toDate(values[colTEST_TIME]);
    const double radius = toDouble(values[colBOB_RADIUS]);
    const double length = toDouble(values[colBOB_EFF_LENGTH]);
    const double pre = toDouble(values[colPRETEST_PH]);
    const double post = toDouble(values[colPOSTTEST_PH]);
    rowArray_ = values;
    testId_ = id;
    testName_ = toText(values[colTEST_NAME]);
    fluidId_ = toText(values[colFLUID_ID]);
    testTime_ = time;
    researcherName_ = toText(values[colRESEARCHER_NAME]);
    rotorNo_ = toText(values[colROTOR_NO]);
    bobNo_ = toText(values[colBOB_NO]);
    bobRadius_ = radius;
    bobEffLength_ = length;
    preTestPh_ = pre;
    postTestPh_ = post;
    safety_ = toText(values[colSAFETY]);
}
