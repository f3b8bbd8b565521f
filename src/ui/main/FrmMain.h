#pragma once

#include <QDate>
#include <QMainWindow>
#include <QPoint>

#include "ui/shared/MainTab.h"

#include <array>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QTabWidget;

// The window the user works in after signing in: tab 0 is the six-week month
// calendar, tab 1 the search list, tab 2 the team view, each a widget of its own. The
// window holds the menus, the status bar and the owner and filter boxes the tabs share
// (indexed by tab number; the team view uses the calendar's), and opens entries.
namespace worktide {

class CalendarTab;
class ListTab;
class LiveRefresh;
class SpreadGrid;
class TeamSheet;
class TeamTab;

class FrmMain : public QMainWindow, public TabHost {
    Q_OBJECT
public:
    explicit FrmMain(QWidget* parent = nullptr);
    ~FrmMain() override;

    // Runs the window's start-up: caption, filters, grids, shows the window and
    // moves to today's month.
    void Form_Load();

    // --- calendar sheet ---
    bool SetSheetMonth(int year, int month);
    QDate GetCellDate(int col, int row) const;
    void RefreshSheet();
    int PutCellLine(int col, int row, const QString& text, int line);
    QDate FirstShownDate() const;
    QString WorkDateTag() const;

    // --- calendar interaction ---
    void OpenSchedule(const QString& dateText, bool isNew, int tabIndex, int seq);
    void RefreshTab(int tabIndex);
    void ShowTodayCell();
    void btnMoveMonth_Click(int index);
    void btnToday_Click();
    void cmdAdd_Click(int index);

    // --- search list (the tab is ListTab) ---
    void Refresh_Sheet2();
    static void CopyComboList(QComboBox* source, QComboBox* target);

    // --- team view ---
    void RefreshTeam();
    // The month statement the team view runs for the calendar's month and filters.
    QString TeamSQL() const;
    void OpenTeamEntry(int bar, int day);
    void btnTeamMonth_Click(int index);

    // --- printing ---
    // Paints the shown tab onto the printer's pages (A4 landscape); false when nothing could be drawn.
    bool PrintShownTab(QPrinter* printer);
    void mnuFile_print_Click();
    void mnuFile_pdf_Click();

    // --- frame ---
    void InitSheets();
    void cmbUser_Click(int index);
    void cmbCategory_Click(int index);
    void cmbFinish_Click(int index);
    void btnMyName_Click(int index);
    void SSTab1_Click(int previousTab);
    void mnuFile_cngpasswd_Click();
    void mnuFile_Exit_Click();
    void mnuFile_ExportIcs_Click();

    // --- live data: refresh by itself, status bar, agenda (FrmMain_Live.cpp) ---
    LiveRefresh* Live() const { return m_live; }
    // The tabs as the live refresh sees them: 0 calendar, 1 list, 2 team view.
    int ShownTabIndex() const override;
    MainTab* TabAt(int index) override;
    QLabel* StatusLabel() const override { return lblStatus; }
    // The list tab with the signed-in user's unfinished entries (a click on the agenda).
    void ShowOpenEntries();
    QLabel* lblStatus = nullptr;
    QAction* mnuView_Agenda = nullptr;

    // --- controls (object names equal these names, with [i] for the arrays) ---
    QTabWidget* SSTab1 = nullptr;
    std::array<QComboBox*, 2> cmbUser{};
    std::array<QComboBox*, 2> cmbCategory{};
    std::array<QComboBox*, 2> cmbFinish{};
    std::array<QPushButton*, 2> btnMyName{};
    std::array<QPushButton*, 2> cmdAdd{};
    std::array<QPushButton*, 2> cmdClose{};
    CalendarTab* tabCalendar = nullptr;
    ListTab* tabList = nullptr;
    QAction* mnuFile_cngpasswd = nullptr;
    QAction* mnuFile_Exit = nullptr;
    QAction* mnuFile_ExportIcs = nullptr;
    QAction* mnuFile_print = nullptr;
    QAction* mnuFile_pdf = nullptr;
    TeamTab* tabTeam = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The read-only viewer for owner's day, shown modally.
    void ShowViewerFor(const QString& dateText, const QString& owner, int seq = 0);
    // The editor, shown modally; true when it changed data.
    bool RunEditorFor(const QString& dateText, bool isNew, int seq, const QString& owner);
    void BuildUi();
    void ConnectEvents();
    // The window's function keys, F2 and F5, whichever control has the focus; false for other keys.
    bool Form_KeyDown(int keyCode);

    void cmbCategory_KeyPress(int index, int keyAscii);
    void cmdClose_Click();
    // Choosing an owner by program runs the owner-change handling even when the
    // item was already selected, as a user's pick does.
    void SelectUserItem(int index, int itemIndex);
    void BuildTeamTab();

    void BuildLiveUi();
    // The condition and the statement of the rows tab shows; false when it shows none yet.
    bool ShownQuery(int tab, QString& where, QString& sql) const;
    LiveRefresh* m_live = nullptr;

    std::array<bool, 6> m_tabShown{};
    bool m_closing = false;
    int m_currentTab = 0;
};

// Creates the main window, runs its start-up and shows it (start-up's last step).
FrmMain* ShowMainWindow();
// The main window once it exists, else nullptr.
FrmMain* MainWindow();

} // namespace worktide
