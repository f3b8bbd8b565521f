#include "ui/schedule/FrmSave.h"

#include "ui/shared/modFloatMsg.h"
#include "ui/shared/modPickList.h"
#include "ui/shared/modMsgBox.h"
#include "db/modMySQL_Func_lite.h"
#include "db/modSchedule.h"
#include "db/modScheduleInsert.h"
#include "support/Clock.h"
#include "support/Cp949.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "support/VbError.h"
#include "ui/grid/Fonts.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/schedule/ScheduleDay.h"
#include "ui/shared/ShowMessages.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QCompleter>
#include <QDateEdit>
#include <QGridLayout>
#include <QGuiApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using namespace worktide::entry_list;

namespace worktide {
namespace {
const ProcErrorReporter ReportError{QStringLiteral("Form"), QStringLiteral("FrmSave")};
}
namespace {

const QString kUnsavedQuestion = u"수정된 자료가 저장되지 않았습니다. 지금 저장하시겠습니까?"_s;
const QString kChangedElsewhere = u"다른 곳에서 이 일정이 수정되었습니다. 덮어쓸까요?"_s;
const QString kSaveAsNewQuestion = u"새 일정으로 저장하시겠습니까?"_s;
const QString kMineOnClipboard = u"입력하신 제목과 내용은 클립보드에 복사해 두었습니다."_s;
const QString kSaveUnsettled = u"저장되었는지 확인하지 못했습니다. 연결이 돌아오면 다시 확인합니다."_s;
// How much of the typed details the notice repeats; the clipboard holds all of it.
constexpr qsizetype kNoticeDetailsLength = 600;
constexpr char16_t kDateFormat[] = u"yyyy-MM-dd";

bool IsEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

QString UnstorableTextMessage(const ScheduleValues& v) {
    // The tables hold CP949; a character without a CP949 form would arrive as '?'.
    const struct {
        const QString& text;
        QString field;
    } fields[] = {{v.title, u"제목"_s}, {v.details, u"내용"_s}, {v.category, u"구분"_s}, {v.owner, u"작성자"_s}};
    for (const auto& f : fields) {
        QString bad;
        if (!IsAnsiEncodable(f.text, &bad))
            return f.field + u"에 저장할 수 없는 문자가 있습니다: "_s + bad;
    }
    return {};
}

FrmSave::FrmSave(QWidget* owner) : QDialog(owner) {
    setObjectName(u"FrmSave"_s);
    m_designCaption = u"스케줄 추가 / 수정"_s;
    setWindowTitle(m_designCaption);
    BuildUi();

    m_nSEQ = 0;
    m_loading = false;
    m_modified = false;
    spList->SetMaxRows(0);
}

FrmSave::~FrmSave() = default;

void FrmSave::BuildUi() {
    auto* top = new QVBoxLayout(this);

    spList = new SpreadGrid(this);
    spList->setObjectName(u"spList"_s);
    SetupEntryList(spList);
    // The list only shows what is stored; the fields below are where entries change.
    spList->SetReadOnly(true);
    top->addWidget(spList, 1);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(u"Frame1"_s);
    auto* grid = new QGridLayout(Frame1);

    chkDate = new QCheckBox(u"기간:"_s, Frame1);
    chkDate->setObjectName(u"chkDate"_s);
    auto* dates = new QHBoxLayout;
    const QLocale korean(QLocale::Korean);
    for (int i = 0; i < 2; ++i) {
        DTPicker1[i] = new QDateEdit(Frame1);
        DTPicker1[i]->setObjectName(u"DTPicker1[%1]"_s.arg(i));
        DTPicker1[i]->setLocale(korean);
        DTPicker1[i]->setDisplayFormat(u"yyyy.MM.dd (ddd)"_s);
        DTPicker1[i]->setCalendarPopup(true);
        DTPicker1[i]->setDate(Today());
    }
    btnToday = new QPushButton(u"&Today"_s, Frame1);
    btnToday->setObjectName(u"btnToday"_s);
    dates->addWidget(chkDate);
    dates->addWidget(DTPicker1[0]);
    dates->addWidget(new QLabel(u"~"_s, Frame1));
    dates->addWidget(DTPicker1[1]);
    dates->addWidget(btnToday);
    dates->addStretch(1);
    grid->addLayout(dates, 0, 0, 1, 3);

    const QString labels[] = {u"구분:"_s, u"제목:"_s, u"내용:"_s};
    for (int i = 0; i < 3; ++i) {
        Label1[i] = new QLabel(labels[i], Frame1);
        Label1[i]->setObjectName(u"Label1[%1]"_s.arg(i));
    }
    cmbCategory = new QComboBox(Frame1);
    cmbCategory->setObjectName(u"cmbCategory"_s);
    cmbCategory->setEditable(true);
    // A typed text counts only when it is one of the listed categories: Enter must not
    // add it to the list, and completion must not change its letter case.
    cmbCategory->setInsertPolicy(QComboBox::NoInsert);
    if (QCompleter* completer = cmbCategory->completer())
        completer->setCaseSensitivity(Qt::CaseSensitive);
    cmbCategory->setMinimumWidth(160);
    Label2 = new QLabel(u"(구분 추가는 개발자가 rudodederid.worktide_cate테이블에 직접입력)"_s, Frame1);
    Label2->setObjectName(u"Label2"_s);
    grid->addWidget(Label1[0], 1, 0);
    grid->addWidget(cmbCategory, 1, 1);
    grid->addWidget(Label2, 1, 2);

    txtTitle = new QLineEdit(Frame1);
    txtTitle->setObjectName(u"txtTitle"_s);
    grid->addWidget(Label1[1], 2, 0);
    grid->addWidget(txtTitle, 2, 1, 1, 2);

    txtMemo = new QPlainTextEdit(Frame1);
    txtMemo->setObjectName(u"txtMemo"_s);
    txtMemo->setTabChangesFocus(true);
    grid->addWidget(Label1[2], 3, 0, Qt::AlignTop);
    grid->addWidget(txtMemo, 3, 1, 1, 2);
    grid->setColumnStretch(2, 1);
    top->addWidget(Frame1);

    auto* buttons = new QHBoxLayout;
    btnNew = new QPushButton(u"신규(&N)"_s, this);
    btnNew->setObjectName(u"btnNew"_s);
    btnSave = new QPushButton(u"저장 F2"_s, this);
    btnSave->setObjectName(u"btnSave"_s);
    btnRecDel = new QPushButton(u"삭제 F4"_s, this);
    btnRecDel->setObjectName(u"btnRecDel"_s);
    btnClose = new QPushButton(u"닫기 &C"_s, this);
    btnClose->setObjectName(u"btnClose"_s);
    buttons->addStretch(1);
    for (QPushButton* b : {btnNew, btnSave, btnRecDel, btnClose}) {
        // Enter belongs to the fields (it moves on), never to a default button.
        b->setAutoDefault(false);
        b->setDefault(false);
        buttons->addWidget(b);
    }
    top->addLayout(buttons);

    // A new window has nothing loaded: the new-entry state, clean.
    btnNew->setEnabled(false);
    btnSave->setEnabled(false);
    btnRecDel->setEnabled(false);
    chkDate->setChecked(false);
    DTPicker1[0]->setVisible(false);
    DTPicker1[1]->setVisible(false);
    btnToday->setVisible(false);

    connect(btnNew, &QPushButton::clicked, this, [this] { btnNew_Click(); });
    connect(btnSave, &QPushButton::clicked, this, [this] { btnSave_Click(); });
    connect(btnRecDel, &QPushButton::clicked, this, [this] { btnRecDel_Click(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnClose_Click(); });
    connect(btnToday, &QPushButton::clicked, this, [this] { btnToday_Click(); });
    connect(chkDate, &QCheckBox::toggled, this, [this] { chkDate_Click(); });
    connect(txtTitle, &QLineEdit::textChanged, this, [this] { OnChange(); });
    connect(txtMemo, &QPlainTextEdit::textChanged, this, [this] { OnChange(); });
    connect(cmbCategory, &QComboBox::editTextChanged, this, [this] { OnChange(); });
    connect(cmbCategory, &QComboBox::activated, this, [this] { OnChange(); });
    for (QDateEdit* picker : DTPicker1)
        connect(picker, &QDateEdit::dateChanged, this, [this] { OnChange(); });
    connect(spList, &SpreadGrid::LeaveCell, this, &FrmSave::OnLeaveCell);
    connect(spList, &SpreadGrid::Click, this, &FrmSave::OnListClick);

    // F2 saves and F4 deletes whichever control has the focus, also while the button is disabled.
    auto* save = new QShortcut(QKeySequence(Qt::Key_F2), this);
    connect(save, &QShortcut::activated, this, [this] { btnSave_Click(); });
    auto* remove = new QShortcut(QKeySequence(Qt::Key_F4), this);
    connect(remove, &QShortcut::activated, this, [this] { btnRecDel_Click(); });
    for (QShortcut* shortcut : {save, remove})
        shortcut->setContext(Qt::WindowShortcut);
    // Enter in these fields moves on to the next one. The editable combo box and the
    // date pickers type into a line edit of their own, which gets the key first.
    for (QWidget* field : EnterMovesOnFields()) {
        field->installEventFilter(this);
        for (QLineEdit* edit : field->findChildren<QLineEdit*>())
            edit->installEventFilter(this);
    }

    resize(820, 560);
}

void FrmSave::SetParam(const QString& wDate, bool bAutoNewRec, int nSEQ, const QString& sUserName) {
    try {
        if (!wDate.isEmpty()) {
            const QDate day = ParseWorkDate(wDate);
            m_wDate = day.isValid() ? day.toString(kDateFormat) : wDate;
            setWindowTitle(DayCaption(m_designCaption, m_wDate));
        } else {
            m_wDate = Today().toString(kDateFormat);
        }
        m_sUserName = sUserName.isEmpty() ? gUserName : sUserName;
        FillCategoryList(cmbCategory, m_sUserName, false);
        if (bAutoNewRec)
            btnNew_Click();
        else
            RefreshSheet(nSEQ);
    } catch (const std::exception& e) {
        ReportError(e, u"SetParam"_s);
    }
}

void FrmSave::RefreshSheet(int nSEQ) {
    try {
        spList->SetMaxRows(0);
        const QString sql = nSEQ > 0 ? MakeScheduleBySeqSQL(nSEQ) : MakeScheduleDaySQL(m_wDate, m_sUserName);

        RecordsetPtr rs;
        const qint32 count = OpenRecordset(rs, sql);
        ShowDbFailures();
        spList->SetMaxRows(qMax(0, count));
        if (count <= 0 || !rs || rs->isEOF()) {
            if (isVisible())
                ShowFloatMsg(u"검색된 결과가 없습니다."_s, 500, true);
            CloseRecordset(rs);
            ClearInput();
            return;
        }
        FillEntryList(spList, *rs);
        CloseRecordset(rs);
        spList->SetMaxRows(spList->DataRowCnt());
        if (spList->MaxRows() >= 1) {
            spList->SetActiveCell(1, 1);
            ShowRow(1);
        }
    } catch (const std::exception& e) {
        ReportError(e, u"RefreshSheet"_s);
    }
}

void FrmSave::ClearInput() {
    // Clearing is not an edit: the change events it raises must not dirty the window.
    const bool wasLoading = m_loading;
    m_loading = true;
    const QDate day = QDate::fromString(m_wDate, kDateFormat);
    if (day.isValid())
        DTPicker1[0]->setDate(day);
    DTPicker1[1]->setDate(DTPicker1[0]->date());
    txtMemo->clear();
    txtTitle->clear();
    SetCategoryText(u"(공란)"_s);
    m_loading = wasLoading;
    m_modified = false;
}

void FrmSave::ShowRow(int row) {
    // Another entry in the fields: an earlier unsettled save is no longer this one's.
    m_unsettledHere = false;
    m_loading = true;
    ClearInput();
    m_nSEQ = GetCellText(spList, kSeq, row).toInt();
    m_loaded = {};
    if (m_nSEQ != 0) {
        // Taken from the list exactly as read, before the fields reshape anything.
        m_loaded.owner = m_sUserName;
        m_loaded.finished = GetCellText(spList, kFinished, row).toInt();
        m_loaded.category = GetCellText(spList, kCategory, row);
        m_loaded.title = GetCellText(spList, kTitle, row);
        m_loaded.sdate = GetCellText(spList, kSdate, row);
        m_loaded.edate = GetCellText(spList, kEdate, row);
        m_loaded.details = GetCellText(spList, kDetails, row);
        SetCategoryText(GetCellText(spList, kCategory, row));
        txtTitle->setText(GetCellText(spList, kTitle, row));
        txtMemo->setPlainText(GetCellText(spList, kDetails, row));
        const QString sdate = GetCellText(spList, kSdate, row);
        if (!sdate.isEmpty()) {
            DTPicker1[0]->setDate(QDate::fromString(sdate, kDateFormat));
            const QDate last = QDate::fromString(GetCellText(spList, kEdate, row), kDateFormat);
            // An open-ended entry shows its first day as its last.
            DTPicker1[1]->setDate(last.isValid() ? last : DTPicker1[0]->date());
            chkDate->setChecked(true);
        } else {
            chkDate->setChecked(false);
        }
        btnNew->setEnabled(true);
        btnSave->setEnabled(true);
        btnRecDel->setEnabled(true);
    }
    // Cleared whatever the row held, so that the next keystroke counts as an edit.
    m_loading = false;
    btnSave->setEnabled(false);
}

void FrmSave::SetCategoryText(const QString& text) {
    // A listed name also selects its item, so the drop-down opens on it.
    const int index = cmbCategory->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        cmbCategory->setCurrentIndex(index);
    cmbCategory->setEditText(text);
}

QString FrmSave::MemoText() const {
    // Details are stored with CR LF line breaks, as the lists and the calendar expect.
    QString text = txtMemo->toPlainText();
    text.replace(u"\n"_s, u"\r\n"_s);
    return text;
}

int FrmSave::TargetRow() const {
    // Normally the active row; found by seq so that a cursor moved meanwhile (or a list
    // reloaded without the entry) never gets another entry's values.
    if (m_nSEQ == 0)
        return 0;
    if (GetCellText(spList, kSeq, -2).toInt() == m_nSEQ)
        return spList->ActiveRow();
    for (int r = 1; r <= spList->MaxRows(); ++r)
        if (GetCellText(spList, kSeq, r).toInt() == m_nSEQ)
            return r;
    return 0;
}

bool FrmSave::ProcSave() {
    try {
        const QString title = txtTitle->text();
        if (title.trimmed().isEmpty()) {
            ShowInfoMsg(u"제목이 입력되지 않았습니다."_s);
            txtTitle->setFocus();
            return false;
        }
        const bool hasPeriod = chkDate->isChecked();
        if (hasPeriod && DTPicker1[1]->date() < DTPicker1[0]->date()) {
            ShowInfoMsg(u"종료일자가 시작일자보다 작습니다."_s);
            return false;
        }
        const QString category = cmbCategory->currentText();
        bool listed = false;
        for (int i = 0; i < cmbCategory->count() && !listed; ++i)
            listed = cmbCategory->itemText(i) == category;
        if (!listed) {
            ShowInfoMsg(u"존재하지 않는 [구분]입니다."_s);
            return false;
        }

        ScheduleValues v;
        v.owner = m_sUserName;
        v.title = title;
        v.details = MemoText();
        v.category = category;
        if (hasPeriod) {
            v.sdate = DTPicker1[0]->date().toString(kDateFormat);
            v.edate = DTPicker1[1]->date().toString(kDateFormat);
        }
        bool isNew = m_nSEQ == 0;
        const int newFinished = hasPeriod && DTPicker1[1]->date() <= Today() ? 1 : 0;
        if (isNew)
            v.finished = newFinished;

        // Refused before anything is sent, rather than stored with '?' in its place.
        const QString unstorable = UnstorableTextMessage(v);
        if (!unstorable.isEmpty()) {
            ShowInfoMsg(unstorable);
            return false;
        }

        // Somebody else may have changed or deleted the entry since it was loaded here.
        qint32 affected = -1;
        if (!isNew && gDB) {
            switch (UpdateStoredEntry(v, affected)) {
            case StoredCheck::Stop:
                return false;
            case StoredCheck::InsertAsNew:
                isNew = true;
                v.finished = newFinished;
                break;
            case StoredCheck::Update:
                break;
            }
        }

        qint32 newSeq = 0;
        if (isNew) {
            const NewEntrySave saved = SaveNewEntry(v);
            if (saved == NewEntrySave::Failed)
                return false;
            // Adopted: an earlier save of this entry landed after all; it is the new row.
            newSeq = saved == NewEntrySave::Adopted ? m_nSEQ : m_insertedSeq;
            affected = 1;
        }
        if (affected == 0 || (affected < 0 && !gDB)) {
            ShowInfoMsg(u"수정된 내용이 없거나, 자료저장을 실패하였습니다."_s);
            return false;
        }
        if (affected < 0)
            return false; // the server's message has been shown; the input stays as typed

        int row = 0;
        if (isNew) {
            // An entry deleted elsewhere and saved again keeps its place in the list.
            row = TargetRow();
            m_nSEQ = newSeq;
            if (row < 1) {
                row = spList->MaxRows() + 1;
                spList->SetMaxRows(row);
            }
        } else {
            row = TargetRow();
        }
        btnNew->setEnabled(true);
        btnRecDel->setEnabled(true);
        if (row >= 1) {
            if (isNew)
                spList->SetText(kFinished, row, QString::number(v.finished));
            spList->SetText(kCategory, row, v.category);
            spList->SetText(kTitle, row, v.title);
            spList->SetText(kDetails, row, v.details);
            spList->SetText(kSdate, row, v.sdate);
            spList->SetText(kEdate, row, v.edate);
            spList->SetText(kSeq, row, QString::number(m_nSEQ));
            spList->SetActiveCell(1, row);
        }
        v.finished = isNew ? v.finished : m_loaded.finished;
        m_loaded = v;
        ShowFloatMsg(u"자료가 저장되었습니다."_s, 500, true);
        emit ScheduleChanged();
        btnSave->setEnabled(false);
        m_modified = false;
        return true;
    } catch (const std::exception& e) {
        ReportError(e, u"ProcSave"_s);
        return false;
    }
}

FrmSave::NewEntrySave FrmSave::SaveNewEntry(ScheduleValues& v) {
    // No second INSERT while an earlier one may have landed: that one is settled first.
    if (HasUnsettledInsert()) {
        const ScheduleValues earlier = UnsettledInsertValues();
        const InsertResult settled = SettleUnsettledInsert();
        if (settled.outcome == InsertOutcome::Unknown) {
            ShowInfoMsg(kSaveUnsettled);
            return NewEntrySave::Failed;
        }
        const bool mine = m_unsettledHere;
        m_unsettledHere = false;
        if (settled.outcome == InsertOutcome::Stored && mine) {
            // This entry is stored: take its seq and write what was typed since, if anything.
            m_nSEQ = settled.seq;
            m_loaded = earlier;
            if (!SameStoredText(earlier, v) && ExecuteSQL(MakeScheduleUpdateSQL(v, m_nSEQ)) <= 0) {
                ShowDbFailures();
                m_nSEQ = 0;
                ShowInfoMsg(u"수정된 내용이 없거나, 자료저장을 실패하였습니다."_s);
                return NewEntrySave::Failed;
            }
            v.finished = earlier.finished;
            return NewEntrySave::Adopted;
        }
    }
    const InsertResult result = InsertScheduleOnce(v);
    switch (result.outcome) {
    case InsertOutcome::Stored:
        m_insertedSeq = result.seq;
        return NewEntrySave::Inserted;
    case InsertOutcome::NotStored:
        if (!result.failure.isEmpty())
            MsgBox(result.failure, vbOKOnly);
        return NewEntrySave::Failed;
    case InsertOutcome::Unknown:
        m_unsettledHere = true;
        ShowInfoMsg(kSaveUnsettled);
        return NewEntrySave::Failed;
    }
    return NewEntrySave::Failed;
}

FrmSave::StoredCheck FrmSave::UpdateStoredEntry(const ScheduleValues& mine, qint32& affected) {
    // What the user last saw of the entry: as loaded, then as shown by each question.
    ScheduleValues expected = m_loaded;
    for (;;) {
        const GuardedUpdate write = UpdateScheduleIfUnchanged(m_nSEQ, expected, mine);
        switch (write.state) {
        case GuardedUpdate::State::Written:
            affected = write.affected;
            return StoredCheck::Update;
        case GuardedUpdate::State::Failed:
            // Reported now that the row is no longer held; nothing is written and the input stays.
            MsgBox(FormatProcError(write.errorNumber,
                                   write.errorText.isEmpty() ? u"Lost connection to server during query"_s
                                                             : write.errorText,
                                   u"query"_s, u"Module"_s, u"cMySQL"_s) +
                       u"\r\n\r\n"_s + write.failedSql,
                   vbOKOnly);
            return StoredCheck::Stop;
        case GuardedUpdate::State::Gone:
            // Saving it again is the only way to keep the typed entry; declining keeps it typed.
            if (AskYesNo(kDeletedElsewhere.toString() + u"\r\n\r\n"_s + kSaveAsNewQuestion) == vbYes)
                return StoredCheck::InsertAsNew;
            return StoredCheck::Stop;
        case GuardedUpdate::State::Changed:
            break;
        }
        // Asked with nothing held. Yes overwrites what was found now, and only that: a
        // change landing while the question is open is found by the next run and asked
        // about again.
        const int answer = AskYesNoCancel(kChangedElsewhere);
        if (answer == vbYes) {
            expected = write.stored;
            continue;
        }
        if (answer == vbNo)
            LoadTheirs(write.stored, mine);
        return StoredCheck::Stop;
    }
}

void FrmSave::LoadTheirs(const ScheduleValues& theirs, const ScheduleValues& mine) {
    // What was typed is never simply dropped: it goes to the clipboard, and the notice
    // repeats it in case the clipboard is overwritten before it is pasted.
    QString details = mine.details;
    details.replace(u"\r\n"_s, u"\n"_s);
    const QString copy = details.isEmpty() ? mine.title : mine.title + u"\n"_s + details;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(copy);

    int row = TargetRow();
    if (row < 1) {
        row = spList->MaxRows() + 1;
        spList->SetMaxRows(row);
    }
    spList->SetText(kFinished, row, QString::number(theirs.finished));
    spList->SetText(kCategory, row, theirs.category);
    spList->SetText(kTitle, row, theirs.title);
    spList->SetText(kSdate, row, theirs.sdate);
    spList->SetText(kEdate, row, theirs.edate);
    spList->SetText(kSeq, row, QString::number(m_nSEQ));
    spList->SetText(kDetails, row, theirs.details);
    ShowRow(row);
    // The main window still shows the entry as it was.
    emit ScheduleChanged();

    QString shown = copy;
    if (shown.size() > mine.title.size() + 1 + kNoticeDetailsLength)
        shown = shown.left(mine.title.size() + 1 + kNoticeDetailsLength) + u"…"_s;
    shown.replace(u"\n"_s, u"\r\n"_s);
    ShowInfoMsg(kMineOnClipboard + u"\r\n\r\n"_s + shown);
}

bool FrmSave::ConfirmUnsaved() {
    if (!m_modified)
        return true;
    const int answer = MsgBox(kUnsavedQuestion, vbYesNoCancel | vbQuestion);
    if (answer == vbYes)
        return ProcSave();
    return answer == vbNo;
}

void FrmSave::btnNew_Click() {
    try {
        if (!ConfirmUnsaved())
            return;
        m_nSEQ = 0;
        m_unsettledHere = false;
        btnNew->setEnabled(false);
        btnSave->setEnabled(true);
        btnRecDel->setEnabled(false);
        ClearInput();
        btnSave->setEnabled(false);
        if (!DTPicker1[0]->isHidden())
            DTPicker1[0]->setFocus();
    } catch (const std::exception& e) {
        ReportError(e, u"btnNew_Click"_s);
    }
}

void FrmSave::btnSave_Click() {
    if (ProcSave())
        accept();
}

void FrmSave::btnClose_Click() {
    reject();
}

void FrmSave::btnRecDel_Click() {
    try {
        if (!ConfirmUnsaved())
            return;
        if (AskYesNo(u"선택된 자료를 정말로 삭제 하시겠습니까?"_s, {}, false) != vbYes)
            return;
        const qint32 affected = ExecuteSQL(MakeScheduleDeleteSQL(m_nSEQ));
        const EntryWrite outcome = EntryWriteOutcome(m_nSEQ, affected);
        ShowDbFailures();
        if (outcome == EntryWrite::Done) {
            DropShownEntry(true);
            accept();
        } else if (outcome == EntryWrite::Gone) {
            // Not reported as this window's delete; the entry is gone all the same.
            ShowInfoMsg(kDeletedElsewhere.toString());
            DropShownEntry(false);
            accept();
        } else {
            ShowInfoMsg(u"자료를 삭제 할 수 없습니다."_s + u"\r\n\r\n"_s +
                        u"이미 삭제되었거나, 삭제할 수 없는 경우가 발생했습니다."_s);
        }
    } catch (const std::exception& e) {
        ReportError(e, u"btnRecDel_Click"_s);
    }
}

void FrmSave::DropShownEntry(bool announce) {
    // The entry is gone: edits to it can no longer be saved, and the list's own
    // cursor move while the row goes must not load anything.
    m_modified = false;
    m_deleting = true;
    const int row = TargetRow();
    if (row >= 1) {
        if (row != spList->ActiveRow())
            spList->SetActiveCell(1, row);
        DeleteGridRow(spList, -2, true);
        if (announce)
            ShowFloatMsg(u"자료를 삭제하였습니다."_s, 500, true, 0xFFFF00);
    }
    m_deleting = false;
    if (spList->MaxRows() >= 1 && spList->ActiveRow() >= 1)
        ShowRow(spList->ActiveRow());
    else
        ClearInput();
    emit ScheduleChanged();
}

void FrmSave::btnToday_Click() {
    DTPicker1[0]->setDate(Today());
    DTPicker1[1]->setDate(Today());
    OnChange();
}

void FrmSave::chkDate_Click() {
    const bool shown = chkDate->isChecked();
    DTPicker1[0]->setVisible(shown);
    DTPicker1[1]->setVisible(shown);
    btnToday->setVisible(shown);
    OnChange();
}

void FrmSave::OnChange() {
    if (isVisible() && !m_loading) {
        btnSave->setEnabled(true);
        m_modified = true;
    }
}

void FrmSave::OnLeaveCell(LeaveCellEvent* event) {
    try {
        const int row = event->row();
        const int newCol = event->newCol();
        const int newRow = event->newRow();
        if (newRow == row || newRow < 1 || m_deleting)
            return;
        // Loading another row would throw away what was typed: ask first.
        if (m_modified) {
            const int answer = MsgBox(kUnsavedQuestion, vbYesNoCancel | vbQuestion);
            if (answer == vbCancel || (answer == vbYes && !ProcSave())) {
                event->cancel();
                return;
            }
            // The save put the cursor on the saved row; the user asked for another one.
            spList->SetActiveCell(newCol, newRow);
        }
        ShowRow(newRow);
    } catch (const std::exception& e) {
        ReportError(e, u"spList_LeaveCell"_s);
    }
}

void FrmSave::OnListClick(int col, int row) {
    try {
        if (row < 1)
            return;
        // Fills empty fields from the clicked row; never over input still being typed.
        if (txtTitle->text().isEmpty() && !m_modified)
            ShowRow(row);
        if (col != 1)
            return;
        const int seq = GetCellText(spList, kSeq, row).toInt();
        const int state = GetCellText(spList, kFinished, row).toInt();
        const int next = ToggledFinished(state);
        const EntryWrite outcome = EntryWriteOutcome(seq, SetScheduleFinished(seq, next));
        ShowDbFailures();
        switch (outcome) {
        case EntryWrite::Done:
        case EntryWrite::Unchanged: // completed (or reopened) elsewhere already: show what is stored
            spList->SetText(kFinished, row, QString::number(next));
            emit ScheduleChanged();
            break;
        case EntryWrite::Gone:
            ShowInfoMsg(kDeletedElsewhere.toString());
            emit ScheduleChanged();
            break;
        case EntryWrite::Failed:
            ShowInfoMsg(u"완료처리도중 오류가 발생하였습니다."_s);
            break;
        }
    } catch (const std::exception& e) {
        ReportError(e, u"spList_Click"_s);
    }
}

void FrmSave::reject() {
    // Form_Unload: a failed save keeps the window open with the input as typed.
    if (!ConfirmUnsaved())
        return;
    QDialog::reject();
}

std::array<QWidget*, 4> FrmSave::EnterMovesOnFields() const {
    return {cmbCategory, DTPicker1[0], DTPicker1[1], txtTitle};
}

bool FrmSave::eventFilter(QObject* watched, QEvent* event) {
    // Installed only on the fields of EnterMovesOnFields and their line edits.
    if (event->type() == QEvent::KeyPress && IsEnter(static_cast<QKeyEvent*>(event))) {
        focusNextChild();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace worktide
