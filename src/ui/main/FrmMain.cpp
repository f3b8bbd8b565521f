#include "ui/main/FrmMain.h"

#include "ui/shared/modFloatMsg.h"
#include "ui/shared/modPickList.h"
#include "ui/shared/modMsgBox.h"
#include "db/DbWait.h"
#include "db/modDodamDBConsts.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "support/PasswordDigest.h"
#include "support/VbError.h"
#include "support/WorktideVersion.h"
#include "ui/grid/Fonts.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/calendar/CalendarTab.h"
#include "ui/list/ListTab.h"
#include "ui/list/ScheduleListModel.h"
#include "ui/team/TeamTab.h"
#include "ui/main/IcsExportCommand.h"
#include "ui/main/LiveRefresh.h"
#include "ui/main/modVerifyRule.h"
#include "ui/shared/ShowMessages.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace worktide {
namespace {
const ProcErrorReporter ReportError{QStringLiteral("Form"), QStringLiteral("FrmMain")};
}
namespace {
QPointer<FrmMain> g_mainWindow;

QString Indexed(const char* name, int index) {
    return QString::fromLatin1(name) + QLatin1Char('[') + QString::number(index) + QLatin1Char(']');
}

QString ServerHostForCaption() {
    return GetDBServerHost();
}

const QString kAllCategories = QStringLiteral("(전체구분)");
} // namespace

FrmMain::FrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("업무일정"));
    BuildUi();
    BuildLiveUi();
    ConnectEvents();
}

FrmMain::~FrmMain() = default;

int FrmMain::ShownTabIndex() const {
    return SSTab1 ? SSTab1->currentIndex() : -1;
}

MainTab* FrmMain::TabAt(int index) {
    switch (index) {
    case 0:
        return tabCalendar;
    case 1:
        return tabList;
    case 2:
        return tabTeam;
    default:
        return nullptr;
    }
}

void FrmMain::BuildUi() {
    auto* menuFile = menuBar()->addMenu(QStringLiteral("파일(&F)"));
    mnuFile_cngpasswd = menuFile->addAction(QStringLiteral("로그인 암호 변경"));
    mnuFile_cngpasswd->setObjectName(QStringLiteral("mnuFile_cngpasswd"));
    mnuFile_ExportIcs = menuFile->addAction(QStringLiteral("일정 내보내기 (.ics)..."));
    mnuFile_ExportIcs->setObjectName(QStringLiteral("mnuFile_ExportIcs"));
    menuFile->addSeparator();
    mnuFile_print = menuFile->addAction(QStringLiteral("인쇄..."));
    mnuFile_print->setObjectName(QStringLiteral("mnuFile_print"));
    mnuFile_pdf = menuFile->addAction(QStringLiteral("PDF로 저장..."));
    mnuFile_pdf->setObjectName(QStringLiteral("mnuFile_pdf"));
    menuFile->addSeparator();
    mnuFile_Exit = menuFile->addAction(QStringLiteral("종료(&X)"));
    mnuFile_Exit->setObjectName(QStringLiteral("mnuFile_Exit"));

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    setCentralWidget(SSTab1);

    for (int i = 0; i < 2; ++i) {
        cmbUser[i] = new QComboBox;
        cmbUser[i]->setObjectName(Indexed("cmbUser", i));
        cmbUser[i]->setMinimumWidth(110);
        btnMyName[i] = new QPushButton(QStringLiteral("< My"));
        btnMyName[i]->setObjectName(Indexed("btnMyName", i));
        cmbCategory[i] = new QComboBox;
        cmbCategory[i]->setObjectName(Indexed("cmbCategory", i));
        cmbCategory[i]->setMinimumWidth(110);
        cmbFinish[i] = new QComboBox;
        cmbFinish[i]->setObjectName(Indexed("cmbFinish", i));
        cmbFinish[i]->addItems({QStringLiteral("예정.완료"), QStringLiteral("예정만"), QStringLiteral("완료만!")});
        cmdAdd[i] = new QPushButton(QStringLiteral("일정 추가 F2"));
        cmdAdd[i]->setObjectName(Indexed("cmdAdd", i));
        cmdClose[i] = new QPushButton(QStringLiteral("닫기(&C)"));
        cmdClose[i]->setObjectName(Indexed("cmdClose", i));
    }
    // --- tab 0: calendar ---
    tabCalendar = new CalendarTab;
    tabCalendar->PlaceFilters(cmbUser[0], btnMyName[0], cmbCategory[0], cmbFinish[0], cmdAdd[0], cmdClose[0]);
    tabCalendar->SetFilterSource([this] {
        CalendarFilter f;
        f.owner = cmbUser[0]->currentText();
        f.finished = static_cast<FinishedFilter>(cmbFinish[0]->currentIndex());
        const QString category = cmbCategory[0]->currentText();
        if (category != kAllCategories)
            f.category = category;
        return f;
    });
    SSTab1->addTab(tabCalendar, QStringLiteral("월간 일정"));

    // --- tab 1: search list ---
    tabList = new ListTab;
    tabList->PlaceFilters(cmbUser[1], btnMyName[1], cmbCategory[1], cmbFinish[1], cmdAdd[1], cmdClose[1]);
    SSTab1->addTab(tabList, QStringLiteral("일정 검색"));

    BuildTeamTab();

    resize(1260, 780);
}

// ------------------------------------------------------------------ events

void FrmMain::ConnectEvents() {
    for (int i = 0; i < 2; ++i) {
        connect(cmbUser[i], &QComboBox::currentIndexChanged, this, [this, i](int) { cmbUser_Click(i); });
        connect(cmbCategory[i], &QComboBox::currentIndexChanged, this, [this, i](int) { cmbCategory_Click(i); });
        connect(cmbFinish[i], &QComboBox::currentIndexChanged, this, [this, i](int) { cmbFinish_Click(i); });
        connect(btnMyName[i], &QPushButton::clicked, this, [this, i] { btnMyName_Click(i); });
        connect(cmdAdd[i], &QPushButton::clicked, this, [this, i] { cmdAdd_Click(i); });
        connect(cmdClose[i], &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    }
    connect(tabCalendar, &CalendarTab::monthButtonClicked, this, [this](int i) { btnMoveMonth_Click(i); });
    connect(tabCalendar, &CalendarTab::todayClicked, this, [this] { btnToday_Click(); });
    connect(tabCalendar, &CalendarTab::openRequested, this,
            [this](const QDate& date) { OpenSchedule(date.toString(QStringLiteral("yyyy-MM-dd")), false, 0, 0); });
    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int) {
        const int previous = m_currentTab;
        m_currentTab = SSTab1->currentIndex();
        SSTab1_Click(previous);
    });

    connect(tabList, &ListTab::openRequested, this, [this](int seq) { OpenSchedule(QString(), false, 1, seq); });
    connect(tabList, &ListTab::keywordEntered, this, [this] { RefreshTab(1); });

    connect(mnuFile_cngpasswd, &QAction::triggered, this, [this] { mnuFile_cngpasswd_Click(); });
    connect(mnuFile_Exit, &QAction::triggered, this, [this] { mnuFile_Exit_Click(); });
    connect(mnuFile_ExportIcs, &QAction::triggered, this, [this] { mnuFile_ExportIcs_Click(); });
    connect(mnuFile_print, &QAction::triggered, this, [this] { mnuFile_print_Click(); });
    connect(mnuFile_pdf, &QAction::triggered, this, [this] { mnuFile_pdf_Click(); });

    // F2 and F5 belong to the window whichever of its controls has the focus. They are
    // window shortcuts: while the editor or the viewer is open on top, that window has
    // the keys and this one does nothing with them.
    const std::pair<Qt::Key, int> functionKeys[] = {{Qt::Key_F2, 113}, {Qt::Key_F5, 116}};
    for (const auto& [key, keyCode] : functionKeys) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, keyCode] { Form_KeyDown(keyCode); });
    }
    // Enter in the category filters.
    for (QComboBox* box : cmbCategory)
        box->installEventFilter(this);
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            for (int i = 0; i < 2; ++i)
                if (watched == cmbCategory[i]) {
                    cmbCategory_KeyPress(i, 13);
                    return true;
                }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool FrmMain::Form_KeyDown(int keyCode) {
    switch (keyCode) {
    case 113: // F2
        cmdAdd_Click(SSTab1->currentIndex());
        return true;
    case 116: // F5
        RefreshTab(SSTab1->currentIndex());
        return true;
    default:
        return false;
    }
}

// ------------------------------------------------------------------- frame

void FrmMain::Form_Load() {
    try {
        setWindowTitle(QStringLiteral("업무일정") + QStringLiteral(" v") + QString::number(WORKTIDE_VERSION_MAJOR) +
                       QStringLiteral(".") + QString::number(WORKTIDE_VERSION_MINOR) + QStringLiteral(".") +
                       QString::number(WORKTIDE_VERSION_REVISION) + QStringLiteral(" (HOST: ") +
                       ServerHostForCaption() + QStringLiteral(")"));

        {
            const QSignalBlocker block(SSTab1);
            SSTab1->setCurrentIndex(0);
        }
        m_currentTab = 0;
        m_tabShown.fill(false);
        m_tabShown[0] = true;

        cmbFinish[0]->setCurrentIndex(0);
        cmbFinish[1]->setCurrentIndex(1);

        FillUserList(cmbUser[0], false);
        SelectUserItem(0, 0);
        CopyComboList(cmbUser[0], cmbUser[1]);

        btnMyName_Click(0);
        btnMyName_Click(1);

        InitSheets();
        show();
        btnToday_Click();
        m_live->Start();
    } catch (const std::exception& e) {
        ReportError(e, QStringLiteral("Form_Load"));
    }
}

void FrmMain::InitSheets() {
    tabCalendar->InitSheet();
}

void FrmMain::SelectUserItem(int index, int itemIndex) {
    if (cmbUser[index]->currentIndex() != itemIndex && itemIndex < cmbUser[index]->count())
        cmbUser[index]->setCurrentIndex(itemIndex); // runs cmbUser_Click through the signal
    else
        cmbUser_Click(index);
}

void FrmMain::cmbUser_Click(int index) {
    try {
        FillCategoryList(cmbCategory[index], cmbUser[index]->currentText(), true);
        {
            const QSignalBlocker block(cmbCategory[index]);
            cmbCategory[index]->setCurrentIndex(cmbCategory[index]->findText(kAllCategories));
        }
        if (isVisible())
            RefreshTab(index);
    } catch (const std::exception& e) {
        ReportError(e, QStringLiteral("cmbUser_Click"));
    }
}

void FrmMain::cmbCategory_Click(int index) {
    if (isVisible())
        RefreshTab(index);
}

void FrmMain::cmbFinish_Click(int index) {
    if (isVisible())
        RefreshTab(index);
}

void FrmMain::cmbCategory_KeyPress(int index, int keyAscii) {
    if (keyAscii == 13)
        RefreshTab(index);
}

void FrmMain::btnMyName_Click(int index) {
    const int found = cmbUser[index]->findText(gUserName, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found >= 0)
        SelectUserItem(index, found);
    else if (isVisible())
        MsgBox(QStringLiteral("내이름이 등록되어 있지 않습니다."), vbOKOnly);
}

void FrmMain::SSTab1_Click(int) {
    const int tab = SSTab1->currentIndex();
    if (!isVisible() || tab < 0 || tab >= static_cast<int>(m_tabShown.size()))
        return;
    // The team view follows the calendar's month and filters, which change on the calendar tab.
    if (tab == 2 && m_tabShown[tab] && TeamSQL() != tabTeam->DrawnSql())
        RefreshTab(tab);
    if (m_tabShown[tab])
        return;
    m_tabShown[tab] = true;
    RefreshTab(tab);
}

void FrmMain::cmdClose_Click() {
    close();
}

void FrmMain::mnuFile_Exit_Click() {
    close();
}

void FrmMain::mnuFile_ExportIcs_Click() {
    try {
        // The rows the list shows, read for the filters they were shown with; a list not yet
        // shown is read first, as opening its tab would.
        if (!tabList->IsLoaded())
            Refresh_Sheet2();
        QList<IcsEntry> entries;
        for (const ScheduleListModel::Line& line : tabList->Model()->Lines()) {
            const ScheduleRow& row = line.entry;
            entries.append({row.seq.toInt(), row.title, row.details, row.category, row.sdate, row.edate,
                            row.finished.toInt() != 0});
        }
        RunIcsExport(this, entries, tabList->Shown().owner);
    } catch (const std::exception& e) {
        ReportProcError(e, QStringLiteral("mnuFile_ExportIcs_Click"), QStringLiteral("Form"),
                        QStringLiteral("FrmMain"));
    }
}

void FrmMain::mnuFile_cngpasswd_Click() {
    try {
        for (;;) {
            const QString current = InputBox(QStringLiteral("현재 암호를 입력하세요."));
            if (current.trimmed().isEmpty())
                return;
            // Hashed here: neither password travels nor lands in the server's log.
            const std::optional<QString> digest = PasswordDigest(current);
            const QString where = QStringLiteral("id = '") + EscapeSQL(gUserId) +
                                  QStringLiteral("' AND password2 = '") + digest.value_or(QString()) +
                                  QStringLiteral("'");
            if (digest && GetRowCount(QStringLiteral("user"), where) > 0)
                break;
            ShowDbFailures();
            ShowInfoMsg(QStringLiteral("암호가 일치하지 않습니다."), QString());
        }
        QString newPassword;
        for (;;) {
            // The title stays the application's: a typed password is never put on screen.
            newPassword = InputBox(QStringLiteral("변경할 암호를 입력하세요."));
            if (newPassword.trimmed().isEmpty())
                return;
            QString message;
            if (CheckPassword(newPassword, message))
                break;
            MsgBox(message, vbOKOnly);
        }
        // CheckPassword lets letters and digits only through, which CP949 always carries.
        const std::optional<QString> newDigest = PasswordDigest(newPassword);
        if (!newDigest)
            return;
        const qint32 changed = ExecuteSQL(QStringLiteral("UPDATE user SET password2 = '") + *newDigest +
                                          QStringLiteral("' WHERE id = '") + EscapeSQL(gUserId) + QStringLiteral("'"));
        ShowDbFailures();
        // 0 rows is a success too: the new password equals the old one.
        if (changed >= 0)
            ShowFloatMsg(QStringLiteral("로그인 암호가 변경되었습니다."), 500, true, 0xFFFF00);
    } catch (const std::exception& e) {
        ReportError(e, QStringLiteral("mnuFile_cngpasswd_Click"));
    }
}

void FrmMain::closeEvent(QCloseEvent* event) {
    if (IsWaiting()) {
        // The statement under way is cancelled and the window closes once its wait has
        // ended: the connection is never closed under a worker that still uses it.
        event->ignore();
        CancelWaiting();
        RunOutsideWaits(this, [this] { close(); });
        return;
    }
    event->accept();
    if (!m_closing) {
        m_closing = true;
        // Closing the main window ends the program.
        ExitProgram();
    }
}

FrmMain* ShowMainWindow() {
    auto* form = new FrmMain;
    form->setAttribute(Qt::WA_DeleteOnClose);
    g_mainWindow = form;
    form->Form_Load();
    // Signed in: the day's agenda.
    form->Live()->ShowAgenda();
    return form;
}

FrmMain* MainWindow() {
    return g_mainWindow;
}

} // namespace worktide
