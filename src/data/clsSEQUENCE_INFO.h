#pragma once
// The stored test sequences' header records: one SEQUENCE_INFO row per
// sequence, with its key, its name and six run settings.
//
// The sequence editor lists, creates, copies, imports, saves and deletes
// sequences through this class; the test windows read the chosen sequence's
// row by name and take its values from All by position:
//   0 SEQUENCE_ID, 1 SEQUENCE_NAME, 2 TIME_BEFORE_READ, 3 RAMP_SAMPLE_RATE,
//   4 SAMPLE_POINTS_AVERAGE, 5 SHUT_DOWN_ATIME, 6 SHUT_DOWN_VISC,
//   7 SAMPLE_INTERVAL (a 32-bit integer).
//
// No error is trapped here: database failures reach the caller as db::DbError.

#include "data/RecordBase.h"

class clsSEQUENCE_INFO : public RecordBase {
public:
    // Statement texts, exactly as the commands execute them.
    static constexpr const char* kKeyByNameSql =
        "SELECT SEQUENCE_ID, SEQUENCE_NAME, TIME_BEFORE_READ, RAMP_SAMPLE_RATE, SAMPLE_POINTS_AVERAGE, "
        "SHUT_DOWN_ATIME, SHUT_DOWN_VISC, SAMPLE_INTERVAL  FROM SEQUENCE_INFO Where SEQUENCE_NAME = ?";
    static constexpr const char* kKeyByIdSql =
        "SELECT SEQUENCE_ID, SEQUENCE_NAME, TIME_BEFORE_READ, RAMP_SAMPLE_RATE, SAMPLE_POINTS_AVERAGE, "
        "SHUT_DOWN_ATIME, SHUT_DOWN_VISC, SAMPLE_INTERVAL  FROM SEQUENCE_INFO Where SEQUENCE_ID = ?";
    static constexpr const char* kListSql = "SELECT SEQUENCE_NAME  FROM SEQUENCE_INFO ORDER BY SEQUENCE_NAME";
    static constexpr const char* kInsertSql =
        "INSERT INTO  SEQUENCE_INFO (SEQUENCE_NAME, TIME_BEFORE_READ, RAMP_SAMPLE_RATE, SAMPLE_POINTS_AVERAGE, "
        "SHUT_DOWN_ATIME, SHUT_DOWN_VISC, SAMPLE_INTERVAL) VALUES (?, ?, ?, ?, ?, ?, ?)";
    static constexpr const char* kUpdateSql =
        "UPDATE SEQUENCE_INFO SET SEQUENCE_NAME = ?, TIME_BEFORE_READ = ?, RAMP_SAMPLE_RATE = ?, "
        "SAMPLE_POINTS_AVERAGE = ?, SHUT_DOWN_ATIME = ?, SHUT_DOWN_VISC = ?, SAMPLE_INTERVAL = ?  "
        "WHERE SEQUENCE_ID = ?";
    static constexpr const char* kDeleteSql = "DELETE  FROM SEQUENCE_INFO  WHERE SEQUENCE_NAME = ?";

    // Longest name the name parameters accept.
    static constexpr int kNameSize = 50;
    // Entries of the row array.
    static constexpr int kColumns = 8;

    clsSEQUENCE_INFO();

    // Executes the list command again and keeps its row set; the row cache,
    // row count and end flag are not reloaded (ConnectX reloads the name list).
    void Refresh();
    // Binds again and runs the key command by id with the current SEQUENCE_ID
    // into the row cache. Uses the commands of an earlier ConnectX.
    void ConnectX4(clsConnection* connection);
    // Binds, prepares every command and loads the name list into the row cache.
    // A list with names clears the end flag, an empty list raises it.
    void ConnectX(clsConnection* connection);

    double SEQUENCE_ID() const { return sequenceId_; }
    void SEQUENCE_ID(double value) { sequenceId_ = value; }
    QString SEQUENCE_NAME() const { return sequenceName_; }
    void SEQUENCE_NAME(const QString& value) { sequenceName_ = value; }
    double TIME_BEFORE_READ() const { return timeBeforeRead_; }
    void TIME_BEFORE_READ(double value) { timeBeforeRead_ = value; }
    double RAMP_SAMPLE_RATE() const { return rampSampleRate_; }
    void RAMP_SAMPLE_RATE(double value) { rampSampleRate_ = value; }
    double SAMPLE_POINTS_AVERAGE() const { return samplePointsAverage_; }
    void SAMPLE_POINTS_AVERAGE(double value) { samplePointsAverage_ = value; }
    double SHUT_DOWN_ATIME() const { return shutDownATime_; }
    void SHUT_DOWN_ATIME(double value) { shutDownATime_ = value; }
    double SHUT_DOWN_VISC() const { return shutDownVisc_; }
    void SHUT_DOWN_VISC(double value) { shutDownVisc_ = value; }
    // Held as a 32-bit integer: a Double is taken to the nearest integer, a
    // half to the even neighbour (60.5 -> 60, 61.5 -> 62). Fails with
    // "Overflow" (6) outside the 32-bit range.
    double SAMPLE_INTERVAL() const { return sampleInterval_; }
    void SAMPLE_INTERVAL(double value);

    // A copy of the row cache as last loaded: after ConnectX the name list
    // (one column, names in SEQUENCE_NAME order); after a GetSeqDetail that
    // found its row, that query's eight columns.
    RowCache JustName() const { return cache_; }

    void SetDefaults() override;
    // Key query by the current SEQUENCE_NAME. Nothing found: every field back
    // to its default (the name too), row count 0, end flag raised.
    void GetSeqDetail();
    // Inserts the current fields as a new row (the key is not read back), then Refresh.
    void AddNew();
    // Rewrites the row whose key is the current SEQUENCE_ID.
    void Update();
    // Deletes every row named like SEQUENCE_NAME (steps stay), then Refresh.
    void Delete();

    RowArray All();
    // Replaces the row array and sets the eight fields from positions 0 to 7.
    void All(const RowArray& values);

protected:
    void LoadRow(int i) override;

private:
    double sequenceId_ = 0;
    QString sequenceName_;
    double timeBeforeRead_ = 20;
    double rampSampleRate_ = 2;
    double samplePointsAverage_ = 5;
    double shutDownATime_ = 20;
    double shutDownVisc_ = 0;
    qint32 sampleInterval_ = 60;

    std::unique_ptr<db::Command> keyByName_;
    std::unique_ptr<db::Command> keyById_;
    std::unique_ptr<db::Command> list_;
    std::unique_ptr<db::Command> delete_;
    std::unique_ptr<db::Command> update_;
    std::unique_ptr<db::Command> insert_;
    std::shared_ptr<db::RowSet> listRowSet_;  // the list's row set (Refresh)
};

// A Double taken to a 32-bit integer, to nearest with halves to even; fails
// with "Overflow" (6) when the value is not finite or out of range.
qint32 toLongChecked(double value);
