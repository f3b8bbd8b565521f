#include "ui/main/FrmMain.h"

#include "app/modMain.h"
#include "ui/grid/Fonts.h"
#include "ui/grid/SpreadGrid.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace worktide {
namespace {
QPointer<FrmMain> g_mainWindow;

QString Indexed(const char* name, int index) {
    return QString::fromLatin1(name) + QLatin1Char('[') + QString::number(index) + QLatin1Char(']');
}
} // namespace

FrmMain::FrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("업무일정"));
    BuildUi();
    ConnectEvents();
}

FrmMain::~FrmMain() = default;

void FrmMain::BuildUi() {
    auto* menuFile = menuBar()->addMenu(QStringLiteral("파일(&F)"));
    mnuFile_cngpasswd = menuFile->addAction(QStringLiteral("로그인 암호 변경"));
    mnuFile_cngpasswd->setObjectName(QStringLiteral("mnuFile_cngpasswd"));
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
    for (int i = 0; i < 4; ++i) {
        btnMoveMonth[i] = new QPushButton(i % 2 == 0 ? QStringLiteral("<<") : QStringLiteral(">>"));
        btnMoveMonth[i]->setObjectName(Indexed("btnMoveMonth", i));
        btnMoveMonth[i]->setFixedWidth(40);
    }

    // --- tab 0: calendar ---
    auto* calendarPage = new QWidget;
    auto* calLayout = new QVBoxLayout(calendarPage);
    auto* calTop = new QHBoxLayout;
    calTop->addWidget(cmbUser[0]);
    calTop->addWidget(btnMyName[0]);
    calTop->addWidget(cmbCategory[0]);
    calTop->addWidget(cmbFinish[0]);
    calTop->addSpacing(12);
    calTop->addWidget(btnMoveMonth[0]);
    lblWorkDate = new QLabel(QStringLiteral("2009년 01월"));
    lblWorkDate->setObjectName(QStringLiteral("lblWorkDate"));
    QFont big = lblWorkDate->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    lblWorkDate->setFont(big);
    lblWorkDate->setAlignment(Qt::AlignCenter);
    lblWorkDate->setMinimumWidth(140);
    calTop->addWidget(lblWorkDate);
    calTop->addWidget(btnMoveMonth[1]);
    btnToday = new QPushButton(QStringLiteral("오늘로 이동(&T)"));
    btnToday->setObjectName(QStringLiteral("btnToday"));
    calTop->addWidget(btnToday);
    calTop->addStretch(1);
    lblLegend = new QLabel(QStringLiteral("예정(◀~▶)  완료(◁~▷)!"));
    lblLegend->setObjectName(QStringLiteral("lblLegend"));
    calTop->addWidget(lblLegend);
    calTop->addWidget(cmdAdd[0]);
    calTop->addWidget(cmdClose[0]);
    calLayout->addLayout(calTop);

    spCalendar = new SpreadGrid;
    spCalendar->setObjectName(QStringLiteral("spCalendar"));
    spCalendar->SetMaxCols(7);
    spCalendar->SetMaxRows(12);
    spCalendar->setFont(FixedPitchKoreanFont(9));
    const QStringList weekdays{QStringLiteral("일"), QStringLiteral("월"), QStringLiteral("화"), QStringLiteral("수"),
                               QStringLiteral("목"), QStringLiteral("금"), QStringLiteral("토")};
    for (int c = 1; c <= 7; ++c)
        spCalendar->SetText(c, 0, weekdays[c - 1]);
    spCalendar->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // Designed heights: a thin date row and a content row with room for several entry lines.
    spCalendar->SetRowHeight(1, 20);
    spCalendar->SetRowHeight(2, 84);
    spCalendar->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    calLayout->addWidget(spCalendar, 1);

    auto* calBottom = new QHBoxLayout;
    calBottom->addWidget(btnMoveMonth[2]);
    calBottom->addStretch(1);
    calBottom->addWidget(btnMoveMonth[3]);
    calLayout->addLayout(calBottom);
    SSTab1->addTab(calendarPage, QStringLiteral("월간 일정"));

    // --- tab 1: search list ---
    auto* listPage = new QWidget;
    auto* listLayout = new QVBoxLayout(listPage);
    auto* listTop = new QHBoxLayout;
    listTop->addWidget(cmbUser[1]);
    listTop->addWidget(btnMyName[1]);
    listTop->addWidget(cmbCategory[1]);
    listTop->addWidget(cmbFinish[1]);
    txtKeyWord = new QLineEdit(QStringLiteral("(검색어: 제목)"));
    txtKeyWord->setObjectName(QStringLiteral("txtKeyWord"));
    txtKeyWord->setMinimumWidth(200);
    listTop->addWidget(txtKeyWord, 1);
    listTop->addWidget(cmdAdd[1]);
    listTop->addWidget(cmdClose[1]);
    listLayout->addLayout(listTop);

    auto* splitter = new QSplitter(Qt::Horizontal);
    spList = new SpreadGrid;
    spList->setObjectName(QStringLiteral("spList"));
    spList->setFont(FixedPitchKoreanFont(9));
    spList->SetMaxCols(10);
    const QStringList headers{QStringLiteral("완료"),     QStringLiteral("구분"),     QStringLiteral("제목"),
                              QStringLiteral("내용"),     QStringLiteral("작업시작"), QStringLiteral("시작(일)"),
                              QStringLiteral("완료예정"), QStringLiteral("남은(일)"), QStringLiteral("작성일"),
                              QStringLiteral("seq")};
    for (int c = 1; c <= 10; ++c)
        spList->SetText(c, 0, headers[c - 1]);
    const int widths[] = {40, 80, 260, 160, 90, 60, 90, 60, 90, 50};
    for (int c = 1; c <= 10; ++c)
        spList->SetColWidth(c, widths[c - 1]);
    splitter->addWidget(spList);
    txtMemo = new QPlainTextEdit;
    txtMemo->setObjectName(QStringLiteral("txtMemo"));
    txtMemo->setReadOnly(true);
    splitter->addWidget(txtMemo);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    listLayout->addWidget(splitter, 1);
    SSTab1->addTab(listPage, QStringLiteral("일정 검색"));

    resize(1200, 760);
}

void FrmMain::closeEvent(QCloseEvent* event) {
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
    return form;
}

FrmMain* MainWindow() { return g_mainWindow; }

} // namespace worktide
