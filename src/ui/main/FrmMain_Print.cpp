// Printing and PDF of the shown tab: the window gathers what the tab shows and the
// page painters draw it, on paper through the preview or into a PDF file.
#include "ui/main/FrmMain.h"

#include "support/Clock.h"
#include "support/MsgBox.h"
#include "support/VbError.h"
#include "ui/calendar/CalendarTab.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/list/ListTab.h"
#include "ui/list/ScheduleListModel.h"
#include "ui/list/ScheduleListView.h"
#include "ui/print/PdfFileName.h"
#include "ui/print/PrintLayout.h"
#include "ui/print/PrintPages.h"
#include "ui/team/TeamSheet.h"
#include "ui/team/TeamTab.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

// The filters of a tab as a short text for the page header.
QString FilterText(QComboBox* category, QComboBox* finish) {
    return category->currentText() + u" "_s + finish->currentText();
}

} // namespace

bool FrmMain::PrintShownTab(QPrinter* printer) {
    try {
        const QDate today = Today();
        switch (SSTab1->currentIndex()) {
        case 0: {
            print::CalendarPage page;
            page.title =
                print::PageTitle(u"월간 일정"_s, cmbUser[0]->currentText(), tabCalendar->lblWorkDate->text(), today);
            for (int c = 1; c <= 7; ++c)
                page.weekdays << tabCalendar->spCalendar->Text(c, 0);
            const SpreadGrid* spCalendar = tabCalendar->spCalendar;
            for (int r = 1; r <= spCalendar->MaxRows(); ++r) {
                std::vector<print::Cell> row;
                for (int c = 1; c <= 7; ++c)
                    row.push_back({spCalendar->Text(c, r), spCalendar->ForeColor(c, r), spCalendar->BackColor(c, r)});
                page.rows.push_back(std::move(row));
            }
            return print::PaintCalendar(*printer, page);
        }
        case 1: {
            // The rows the tab shows and the filters they were read for: a keyword typed since,
            // or a filter changed without a refresh, is not on the paper.
            print::ListPages list;
            const ListFilter& shown = tabList->Shown();
            QString what = shown.category.value_or(u"(전체구분)"_s) + u" "_s +
                           cmbFinish[1]->itemText(static_cast<int>(shown.finished));
            if (!shown.keyword.isEmpty())
                what += u" \""_s + shown.keyword + u"\""_s;
            list.title = print::PageTitle(u"일정 검색"_s, shown.owner, what, today);
            const ScheduleListModel* model = tabList->Model();
            const ScheduleListView* view = tabList->spList;
            std::vector<int> columns;
            for (int c = 0; c < model->columnCount(); ++c)
                if (!view->isColumnHidden(c) && view->columnWidth(c) > 0) {
                    columns.push_back(c);
                    list.headers << model->headerData(c, Qt::Horizontal).toString();
                    list.widths.push_back(view->columnWidth(c));
                    if (c == ScheduleListModel::kDetails)
                        list.wrapColumn = static_cast<int>(columns.size()) - 1;
                }
            for (int r = 0; r < model->rowCount(); ++r) {
                QStringList cells;
                for (const int c : columns)
                    cells << model->index(r, c).data(Qt::DisplayRole).toString();
                list.rows.push_back(std::move(cells));
                list.rowColors.push_back(model->RowColor(r));
            }
            return print::PaintList(*printer, list);
        }
        case 2: {
            print::TeamPages team;
            team.title = print::PageTitle(
                u"팀 일정"_s, QString(),
                tabTeam->lblTeamDate->text() + u"  "_s + FilterText(cmbCategory[0], cmbFinish[0]), today);
            team.layout = tabTeam->spTeam->Layout();
            team.today = today;
            return print::PaintTeam(*printer, team);
        }
        default:
            return false;
        }
    } catch (const std::exception& e) {
        ReportProcError(e, u"PrintShownTab"_s, u"Form"_s, u"FrmMain"_s);
        return false;
    }
}

void FrmMain::mnuFile_print_Click() {
    try {
        QPrinter printer(QPrinter::HighResolution);
        print::SetUpPrinter(printer);
        QPrintPreviewDialog preview(&printer, this);
        preview.setWindowTitle(u"인쇄 미리 보기"_s);
        connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) {
            print::SetUpPrinter(*p);
            PrintShownTab(p);
        });
        preview.exec();
    } catch (const std::exception& e) {
        ReportProcError(e, u"mnuFile_print_Click"_s, u"Form"_s, u"FrmMain"_s);
    }
}

void FrmMain::mnuFile_pdf_Click() {
    try {
        QString suggested;
        switch (SSTab1->currentIndex()) {
        case 0:
            suggested = u"월간일정_"_s + cmbUser[0]->currentText() + u"_"_s + WorkDateTag();
            break;
        case 1:
            suggested = u"일정검색_"_s + cmbUser[1]->currentText();
            break;
        default:
            suggested = u"팀일정_"_s + WorkDateTag();
            break;
        }
        const QString fileName = AskPdfFileName(this, suggested + u".pdf"_s);
        if (fileName.isEmpty())
            return;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(fileName);
        printer.setCreator(u"업무일정"_s);
        printer.setDocName(suggested);
        print::SetUpPrinter(printer);
        if (!PrintShownTab(&printer))
            MsgBox(u"PDF 파일을 저장할 수 없습니다."_s + u"\n"_s + fileName, vbOKOnly);
    } catch (const std::exception& e) {
        ReportProcError(e, u"mnuFile_pdf_Click"_s, u"Form"_s, u"FrmMain"_s);
    }
}

} // namespace worktide
