#pragma once
// The stored side of the sequence editor, without any window: the three
// sequence record objects over the shared connection, the sequence whose
// steps the grids show (mSeqId, mSeqInfoRow), the stored names, the loading
// of the grids from storage and the storing of the grids.
//
// Nothing here traps errors: database failures reach the caller as
// db::DbError.

#include "data/RecordBase.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <span>

class FlexGridModel;
class clsConnection;
class clsSEQUENCE_INFO;
class clsSEQUENCE_RAMP;
class clsSEQUENCE_RAMP_DEFINE;

class SequenceStore {
public:
    // Creates the three record objects; nothing runs until Connect.
    explicit SequenceStore(clsConnection* connection);
    ~SequenceStore();

    // Binds the sequence-header record (its name list is read).
    void Connect();

    clsConnection* mConnection;
    std::unique_ptr<clsSEQUENCE_INFO> mSeqInfo;
    std::unique_ptr<clsSEQUENCE_RAMP> mSeqRamp;
    std::unique_ptr<clsSEQUENCE_RAMP_DEFINE> mSeqRampDefine;
    RowCache mSeqNames;      // (0, i): the i-th stored name, by name
    qint32 mSeqId = 0;       // the sequence the grids show; 0: none
    RowArray mSeqInfoRow;    // its SEQUENCE_INFO row as read

    // Reads the stored names anew (into mSeqNames), in name order.
    QStringList ListNames();

    // 1 when a stored name equals `name` without regard to letter case, else 0.
    // Always compares against the names listed at that moment.
    int Check_Duplicate(const QString& name);

    // Reads the header row of that name and makes it the shown sequence
    // (mSeqId 0 when there is none).
    void SelectByName(const QString& name);
    // mSeqInfoRow from the header record's current row, mSeqId from it.
    void LoadSequenceInfo();

    // Fills the step grid from the steps of mSeqId: header row kept, one row
    // per stored step; with steps, the speed column's header follows the
    // entry mode. False (nothing done) when mSeqId is 0.
    bool LoadRampGrid(FlexGridModel& grid, bool bySR, double srFactor);
    // Empties and re-heads the ramp-define grid, then fills it from the ramp
    // entries of mSeqId (at most 40). False (nothing done) when mSeqId is 0.
    bool LoadRampDefineGrid(FlexGridModel& grid, bool bySR, double srFactor);

    // Writes mSeqInfoRow back to the header row mSeqId.
    void SaveSequenceInfo();
    // Replaces the stored steps of mSeqId by the step grid's rows.
    void SaveRampGrid(const FlexGridModel& grid, bool bySR, double srFactor);
    // Replaces the stored ramp entries of mSeqId by the ramp-define grid's
    // rows up to the first empty time cell; an empty first time cell stores
    // none.
    void SaveRampDefineGrid(const FlexGridModel& grid, bool bySR, double srFactor);

    // Inserts a header row of that name with the header record's current
    // run settings, then re-runs its list query.
    void AddNewSequence(const QString& name);
    // Deletes every sequence of that name with its steps and ramp entries;
    // the shown sequence among them leaves mSeqId 0.
    void DeleteSequence(const QString& name);

    // Inserts one SEQUENCE_RAMP row of a sequence from its values in the
    // step grid's column order: RAMP_NO, RAMP_ELAPSE_TIME, RAMP_TEMP,
    // RAMP_START_ERROR, TEMPRAMP_RATE, SPEED, RAMP_PRESS, PRESS_RATE,
    // RECORD_RATE, CYCLE_LABEL, RUN_RAMP (storage units).
    static void AddStep(clsSEQUENCE_RAMP& ramp, double sequenceId, std::span<const double, 11> values);
    // Inserts one SEQUENCE_RAMP_DEFINE row of a sequence.
    static void AddRampEntry(clsSEQUENCE_RAMP_DEFINE& rampDefine, double sequenceId, double stepNo,
                             double delayTime, double rampSpeed, double intervals);

private:
    void bindSteps(double sequenceId);
};
