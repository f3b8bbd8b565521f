// Options answered without a display, the office-wide settings order, and Qt's Korean buttons.
#include "app/CommandLine.h"

#include "common/ScopedState.h"
#include "support/Config.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>

#include <gtest/gtest.h>

using namespace worktide;
using namespace Qt::StringLiterals;

namespace {

using test::ScopedEnv;

TEST(OfficeSettings, EnvironmentThenOfficeFileThenBuiltIn) {
    QTemporaryDir dir;
    ScopedOfficeSettingsFolder folder(dir.path());
    ScopedEnv host("WORKTIDE_SERVERINFO_HOST", QByteArray());
    ScopedEnv server("WORKTIDE_DEFAULT_SERVER", QByteArray());

    EXPECT_EQ(ServerInfoHost(), u"127.0.0.1"_s);
    EXPECT_EQ(ServerInfoHostSetting().source, u"built-in default"_s);

    ASSERT_TRUE(QDir(dir.path()).mkpath(u"Worktide"_s));
    QFile conf(dir.filePath(u"Worktide/Worktide.conf"_s));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("# office\n[General]\nServerInfoHost=info.office.lan:8080\nDefaultServer=10.1.2.3\n");
    conf.close();
    EXPECT_EQ(ServerInfoHost(), u"info.office.lan:8080"_s);
    EXPECT_EQ(DefaultServerAddress(), u"10.1.2.3"_s);
    EXPECT_EQ(DefaultServerAddressSetting().source, conf.fileName());

    ScopedEnv env("WORKTIDE_DEFAULT_SERVER", "192.168.0.9");
    EXPECT_EQ(DefaultServerAddressSetting().value, u"192.168.0.9"_s);
    EXPECT_EQ(DefaultServerAddressSetting().source, u"environment variable WORKTIDE_DEFAULT_SERVER"_s);
    EXPECT_EQ(ServerInfoHost(), u"info.office.lan:8080"_s); // each setting has its own source

    // --help names the values in force and where they came from.
    std::FILE* out = std::tmpfile();
    char arg0[] = "worktide", arg1[] = "--help";
    char* argv[] = {arg0, arg1};
    EXPECT_EQ(HandleInfoOption(2, argv, out), 0);
    std::rewind(out);
    char buf[4096] = {};
    const size_t n = std::fread(buf, 1, sizeof buf - 1, out);
    std::fclose(out);
    const QString help = QString::fromUtf8(buf, static_cast<qsizetype>(n));
    EXPECT_TRUE(help.contains(u"DefaultServer = 192.168.0.9  (environment variable WORKTIDE_DEFAULT_SERVER)"_s))
        << help.toStdString();
    EXPECT_TRUE(help.contains(u"ServerInfoHost = info.office.lan:8080  ("_s + conf.fileName() + u")"_s))
        << help.toStdString();
}

TEST(OfficeSettings, HelpShowsTheDatabaseProtectionAndTheUpdateKeyInForce) {
    QTemporaryDir dir;
    ScopedOfficeSettingsFolder folder(dir.path());
    ScopedEnv tls("WORKTIDE_DATABASE_TLS", QByteArray());
    ScopedEnv ca("WORKTIDE_DATABASE_CA", QByteArray());
    const auto help = [] {
        std::FILE* out = std::tmpfile();
        char arg0[] = "worktide", arg1[] = "--help";
        char* argv[] = {arg0, arg1};
        EXPECT_EQ(HandleInfoOption(2, argv, out), 0);
        std::rewind(out);
        char buf[8192] = {};
        const size_t n = std::fread(buf, 1, sizeof buf - 1, out);
        std::fclose(out);
        return QString::fromUtf8(buf, static_cast<qsizetype>(n));
    };
    QString text = help();
    EXPECT_TRUE(text.contains(u"DatabaseTls = off  (built-in default)"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"DatabaseCa = (none)  (built-in default)"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"UpdatePublicKey = (none)  (built-in default)"_s)) << text.toStdString();

    ASSERT_TRUE(QDir(dir.path()).mkpath(u"Worktide"_s));
    QFile conf(dir.filePath(u"Worktide/Worktide.conf"_s));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("[General]\nDatabaseTls=required\nDatabaseCa=/etc/ssl/office-ca.pem\n"
               "UpdatePublicKey=NO439sQRqjTAF85v5kpf6qPWN3kCoGzkUyN6IumKcFc=\n");
    conf.close();
    ScopedEnv envCa("WORKTIDE_DATABASE_CA", "/tmp/test-ca.pem");
    text = help();
    EXPECT_TRUE(text.contains(u"DatabaseTls = required  ("_s + conf.fileName() + u")"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"DatabaseCa = /tmp/test-ca.pem  (environment variable WORKTIDE_DATABASE_CA)"_s));
    EXPECT_TRUE(text.contains(u"UpdatePublicKey = NO439sQRqjTAF85v5kpf6qPWN3kCoGzkUyN6IumKcFc=  ("_s + conf.fileName() +
                              u")"_s));
    // The update key has no environment variable: one desktop's environment cannot unsign updates.
    ScopedEnv envKey("WORKTIDE_UPDATE_PUBLIC_KEY", "AAAA");
    EXPECT_EQ(UpdatePublicKeySetting().source, conf.fileName());
}

TEST(InfoOptions, VersionAndHelpNeedNoDisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"QT_QPA_PLATFORM"_s);
    env.remove(u"DISPLAY"_s);
    env.remove(u"WAYLAND_DISPLAY"_s);
    for (const QString& option : {u"--version"_s, u"--help"_s}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(WORKTIDE_BINARY_DIR "/src/worktide" WORKTIDE_EXE_SUFFIX), {option});
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        EXPECT_TRUE(p.readAllStandardOutput().startsWith(option == u"--version"_s ? "worktide " : "Usage:"));
    }
}

TEST(QtTranslation, StandardButtonsReadKorean) {
    QTranslator* translator = InstallQtKoreanTranslation();
    ASSERT_NE(translator, nullptr) << "qtbase_ko.qm (qt6-translations-l10n) is missing";
    QMessageBox box(QMessageBox::Question, u"업무일정"_s, u"저장할까요?"_s,
                    QMessageBox::Ok | QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.show();
    QStringList texts;
    for (QAbstractButton* b : box.buttons())
        texts << b->text().remove(QRegularExpression(u"\\(&.\\)"_s)).remove(u'&');
    box.hide();
    QCoreApplication::removeTranslator(translator);
    delete translator;
    for (const QString& expected : {u"확인"_s, u"예"_s, u"아니요"_s, u"취소"_s})
        EXPECT_TRUE(texts.contains(expected)) << texts.join(u'|').toStdString();
}

} // namespace
