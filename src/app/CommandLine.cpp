#include "app/CommandLine.h"

#include "support/Config.h"
#include "support/WorktideVersion.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstring>

namespace worktide {
namespace {

void Print(std::FILE* out, const QString& text) {
    std::fputs(text.toUtf8().constData(), out);
}

QString SettingLine(const char* name, const ConfigValue& v) {
    return QStringLiteral("  %1 = %2  (%3)\n")
        .arg(QString::fromLatin1(name), v.value.isEmpty() ? QStringLiteral("(none)") : v.value, v.source);
}

} // namespace

int HandleInfoOption(int argc, char** argv, std::FILE* out) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            Print(out, QStringLiteral("worktide " WORKTIDE_VERSION_TEXT "\n"));
            std::fflush(out);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            Print(out, QStringLiteral("Usage: worktide [--print-mac | --version | --help]\n"
                                      "  --print-mac  print this computer's network address for user_mac\n"
                                      "  --version    print the program version\n"
                                      "  --help       print this text and the server settings in force\n"
                                      "\nServer settings (environment, then office file, then built-in):\n"));
            Print(out, SettingLine("ServerInfoHost", ServerInfoHostSetting()));
            Print(out, SettingLine("DefaultServer", DefaultServerAddressSetting()));
            Print(out, QStringLiteral("\nDatabase connection (environment, then office file, then built-in):\n"));
            Print(out, SettingLine("DatabaseTls", DatabaseTlsSetting()));
            Print(out, SettingLine("DatabaseCa", DatabaseCaSetting()));
            Print(out, QStringLiteral("\nUpdates (office file only):\n"));
            Print(out, SettingLine("UpdatePublicKey", UpdatePublicKeySetting()));
            std::fflush(out);
            return 0;
        }
    }
    return -1;
}

QTranslator* InstallQtKoreanTranslation() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ko"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

} // namespace worktide
