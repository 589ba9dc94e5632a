// qvprog: the desktop program.
//   qvprog            the window, on the port QVPROG2.INI names
//   qvprog --demo     the window on the built-in simulated module (real-time wire, its memory
//                     kept in the user's data folder), so every command can be tried
//   qvprog FILE       opens FILE after start-up, as "Otwórz" would
#include "common/settings_folder.hpp"
#include "gui/app/accessibility.hpp"
#include "gui/app/app_context.hpp"
#include "gui/app/appearance.hpp"
#include "gui/app/screenshot_tour.hpp"
#include "gui/main_window/main_window.hpp"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace {

// Whether the program's own folder takes QVPROG2.INI. Windows reports every folder writable
// (permissions are not in the attributes Qt reads), so there a file is tried.
bool folderWritable(const QString& dir) {
#ifdef _WIN32
    QTemporaryFile probe(dir + QStringLiteral("/qvprog-write-test-XXXXXX"));
    return probe.open();
#else
    return QFileInfo(dir).isWritable();
#endif
}

// Qt's own texts (standard buttons, file dialogs) in Polish: from the translations folder
// beside the program (Windows) or Qt's own (Linux, when Debian's qt6-translations-l10n is in).
void installQtTranslation(QApplication& app) {
    static QTranslator translator;
    for (const QString& dir : {QApplication::applicationDirPath() + QStringLiteral("/translations"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
        if (translator.load(QLocale(QLocale::Polish, QLocale::Poland), QStringLiteral("qtbase"),
                            QStringLiteral("_"), dir)) {
            app.installTranslator(&translator);
            return;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qvprog"));
    QApplication::setOrganizationName(QStringLiteral("qvprog"));
    // The installed desktop entry and icon (the theme has no icon in a build tree).
    QApplication::setDesktopFileName(QStringLiteral("qvprog"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("qvprog")));
    qv::gui::applyAppearance(app);
    installQtTranslation(app);
    qv::gui::installAccessibility();

    bool demo = false;
    bool startupProbe = false; // quit as soon as the window is on screen (start-up measurement)
    QString screenshots;       // the screenshot script's tour: pictures into this folder
    QString file;
    for (const QString& arg : QApplication::arguments().mid(1)) {
        if (arg == QStringLiteral("--demo")) {
            demo = true;
        } else if (arg == QStringLiteral("--startup-probe")) {
            startupProbe = true;
        } else if (arg.startsWith(QStringLiteral("--screenshots="))) {
            screenshots = arg.section('=', 1);
        } else if (arg == QStringLiteral("--help") || arg == QStringLiteral("-h")) {
            std::puts("qvprog [--demo] [FILE]\n"
                      "  --demo  use the built-in simulated module\n"
                      "  FILE    a configuration file (.qvx or .bCFG) to open");
            return 0;
        } else if (arg.startsWith(QStringLiteral("--"))) {
            std::fprintf(stderr, "Nieznana opcja: %s\n", qPrintable(arg));
            return 2;
        } else {
            file = arg;
        }
    }

    const QString appDir = QApplication::applicationDirPath();
    const std::string exeDir = QDir::toNativeSeparators(appDir + '/').toStdString();
    qv::gui::UiServices ui;
    qv::gui::AppContext ctx(exeDir, ui);
    if (!folderWritable(appDir)) {
        // An installed program: its own folder cannot be written. QVPROG2.INI goes where the
        // command line looks for it too, and files are opened from the home folder.
        const auto env = [](const char* name) { return qEnvironmentVariable(name).toStdString(); };
        const std::string settings = qv::settingsFolder(
            exeDir, false, {env("XDG_CONFIG_HOME"), env("HOME"), env("APPDATA")});
        QDir().mkpath(QString::fromStdString(settings));
        ctx.doc.setSettingsDir(settings);
        ctx.doc.setStartDir(QDir::toNativeSeparators(QDir::homePath() + '/').toStdString());
    }

    qv::gui::MainWindow window(ctx);
    window.startUp();
    if (demo) {
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(data);
        ctx.doc.setPortName("sim:realtime,state=" + (data + "/demo-module.json").toStdString());
    }
    window.move(window.screen()->availableGeometry().center() - window.rect().center());
    window.show();
    // The port in the settings may be missing: the only adapter attached, a choice among
    // several, or the simulated module. Not for the demo and the measurements.
    if (!demo && !startupProbe && screenshots.isEmpty()) window.choosePortAtStart();
    if (!file.isEmpty()) window.openPath(file);
    if (startupProbe) QTimer::singleShot(0, &app, &QApplication::quit);
    if (!screenshots.isEmpty()) (new qv::gui::ScreenshotTour(ctx, window, screenshots))->start();
    return app.exec();
}
