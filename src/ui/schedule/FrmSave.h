#pragma once

#include "db/modSchedule.h"

#include <QDialog>
#include <QString>

#include <array>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The schedule editor: one owner's entries of one day, and the input fields of one entry.
namespace worktide {

class LeaveCellEvent;
class SpreadGrid;

// The first field of v whose text the database's code page cannot hold, as the
// message the user sees ("제목에 저장할 수 없는 문자가 있습니다: …"); "" when all fit.
QString UnstorableTextMessage(const ScheduleValues& v);

class FrmSave : public QDialog {
    Q_OBJECT
public:
    explicit FrmSave(QWidget* owner = nullptr);
    ~FrmSave() override;

    void SetParam(const QString& wDate, bool bAutoNewRec = false, int nSEQ = 0, const QString& sUserName = {});

    void RefreshSheet(int nSEQ);
    void ClearInput();
    void ShowRow(int row);
    bool ProcSave();

    void btnNew_Click();
    void btnSave_Click();
    void btnRecDel_Click();
    void btnToday_Click();
    void btnClose_Click();
    void chkDate_Click();

    // State the window keeps (read by tests and by the main window's own checks).
    int CurrentSeq() const { return m_nSEQ; }
    bool IsModified() const { return m_modified; }
    const QString& WorkDate() const { return m_wDate; }
    const QString& Owner() const { return m_sUserName; }

    SpreadGrid* spList;
    QCheckBox* chkDate;
    QDateEdit* DTPicker1[2];
    QPushButton* btnToday;
    QComboBox* cmbCategory;
    QLineEdit* txtTitle;
    QPlainTextEdit* txtMemo;
    QLabel* Label1[3];
    QLabel* Label2;
    QGroupBox* Frame1;
    QPushButton* btnNew;
    QPushButton* btnSave;
    QPushButton* btnRecDel;
    QPushButton* btnClose;

signals:
    // The window changed the worktide table: an entry saved or deleted, or its
    // completion toggled. Sent once per change; the caller decides what to reload.
    void ScheduleChanged();

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildUi();
    // The fields in which Enter moves on to the next field.
    std::array<QWidget*, 4> EnterMovesOnFields() const;
    void OnChange();
    void OnLeaveCell(LeaveCellEvent* event);
    void OnListClick(int col, int row);
    // The three-way question about unsaved input: true when the caller may go on
    // (saved, or the user chose not to save); false on Cancel or a failed save.
    bool ConfirmUnsaved();
    // The list row that holds the entry in the input fields (the active row when none does).
    int TargetRow() const;
    QString MemoText() const;
    void SetCategoryText(const QString& text);

    // Updates the existing entry with mine when it is still stored as the user last saw
    // it, asking (with nothing held) when it was changed or deleted elsewhere. Update:
    // written, affected = rows changed; InsertAsNew: deleted elsewhere, store it anew.
    enum class StoredCheck { Update, InsertAsNew, Stop };
    StoredCheck UpdateStoredEntry(const ScheduleValues& mine, qint32& affected);
    // The INSERT of a new entry, stored at most once (modScheduleInsert): Inserted (seq in
    // m_insertedSeq), Adopted (an earlier save of this entry landed after all: m_nSEQ is
    // its seq, anything typed since has been written to it) or Failed (reported).
    enum class NewEntrySave { Inserted, Adopted, Failed };
    NewEntrySave SaveNewEntry(ScheduleValues& v);
    // Shows the stored values instead of the typed ones; the typed text goes to the clipboard.
    void LoadTheirs(const ScheduleValues& theirs, const ScheduleValues& mine);
    // Takes the shown entry out of the list after it was deleted (here or elsewhere).
    void DropShownEntry(bool announce);

    QString m_wDate;
    QString m_sUserName;
    int m_nSEQ = 0;
    // The stored values of entry m_nSEQ as they were loaded or last saved here: what a
    // save compares the stored row with, to notice a change made elsewhere meanwhile.
    ScheduleValues m_loaded;
    bool m_loading = false;
    bool m_modified = false;
    bool m_deleting = false;
    // The save of the entry typed here could not be settled (HasUnsettledInsert is its).
    bool m_unsettledHere = false;
    qint32 m_insertedSeq = 0;
    QString m_designCaption;
};

} // namespace worktide
