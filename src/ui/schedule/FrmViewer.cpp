#include "ui/schedule/FrmViewer.h"

#include "ui/shared/modFloatMsg.h"
#include "db/modMySQL_Func_lite.h"
#include "db/modSchedule.h"
#include "support/VbError.h"
#include "ui/grid/Fonts.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/schedule/ScheduleDay.h"
#include "ui/shared/ShowMessages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using namespace worktide::entry_list;

namespace worktide {
namespace {
const ProcErrorReporter ReportError{QStringLiteral("Form"), QStringLiteral("FrmViewer")};
}

FrmViewer::FrmViewer(QWidget* owner) : QDialog(owner) {
    setObjectName(u"FrmViewer"_s);
    m_designCaption = u"스케줄 자세히 보기"_s;
    setWindowTitle(m_designCaption);

    auto* top = new QVBoxLayout(this);
    spList = new SpreadGrid(this);
    spList->setObjectName(u"spList"_s);
    SetupEntryList(spList);
    spList->SetMaxRows(0);
    top->addWidget(spList, 1);

    Label1 = new QLabel(u"상세내용:"_s, this);
    Label1->setObjectName(u"Label1"_s);
    top->addWidget(Label1);
    txtMemo = new QPlainTextEdit(this);
    txtMemo->setObjectName(u"txtMemo"_s);
    txtMemo->setReadOnly(true);
    top->addWidget(txtMemo);

    auto* buttons = new QHBoxLayout;
    btnClose = new QPushButton(u"닫기 &C"_s, this);
    btnClose->setObjectName(u"btnClose"_s);
    btnClose->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    top->addLayout(buttons);

    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);
    connect(spList, &SpreadGrid::LeaveCell, this, &FrmViewer::OnLeaveCell);
    resize(760, 480);
}

FrmViewer::~FrmViewer() = default;

void FrmViewer::SetParam(const QString& wDate, const QString& sUserName) {
    try {
        const QDate day = ParseWorkDate(wDate);
        m_wDate = day.isValid() ? day.toString(u"yyyy-MM-dd"_s) : wDate;
        setWindowTitle(DayCaption(m_designCaption, m_wDate));
        m_sUserName = sUserName;
        // Nobody changes a cell here, the completion column included.
        spList->SetReadOnly(true);
        spList->setTabKeyNavigation(false);
        RefreshSheet();
    } catch (const std::exception& e) {
        ReportError(e, u"SetParam"_s);
    }
}

void FrmViewer::RefreshSheet() {
    try {
        spList->SetMaxRows(0);
        const QString sql = MakeScheduleDaySQL(m_wDate, m_sUserName);

        RecordsetPtr rs;
        const qint32 count = OpenRecordset(rs, sql);
        ShowDbFailures();
        spList->SetMaxRows(qMax(0, count));
        if (count <= 0 || !rs || rs->isEOF()) {
            if (isVisible())
                ShowFloatMsg(u"검색된 결과가 없습니다."_s, 500, true);
            CloseRecordset(rs);
        } else {
            FillEntryList(spList, *rs);
            CloseRecordset(rs);
        }
        spList->SetMaxRows(spList->DataRowCnt());
        if (spList->MaxRows() >= 1) {
            spList->SetActiveCell(1, 1);
            ShowDetail(1);
        } else {
            txtMemo->clear();
        }
    } catch (const std::exception& e) {
        ReportError(e, u"RefreshSheet"_s);
    }
}

void FrmViewer::ShowDetail(int row) {
    txtMemo->clear();
    txtMemo->setPlainText(GetCellText(spList, kDetails, row));
}

void FrmViewer::SelectEntry(int seq) {
    const QString wanted = QString::number(seq);
    for (int row = 1; row <= spList->MaxRows(); ++row) {
        if (GetCellText(spList, kSeq, row) == wanted) {
            spList->SetActiveCell(1, row);
            ShowDetail(row);
            return;
        }
    }
}

void FrmViewer::OnLeaveCell(LeaveCellEvent* event) {
    if (event->newRow() != event->row() && event->newRow() >= 1)
        ShowDetail(event->newRow());
}

} // namespace worktide
