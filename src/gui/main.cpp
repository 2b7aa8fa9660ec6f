// varento-remote: the application window over one Session.
//
//   varento-remote                      the program as users start it
//   varento-remote --demo[=12,14,11]    connected to emulated units in-process
//   varento-remote --offline=MODEL      an offline model (12, 14, 11 or 19)
//   varento-remote --screenshot FILE    with --demo or --offline: the window as a PNG
#include "app/app_settings.h"
#include "app/data_folder.h"
#include "app/session.h"
#include "gui/front_end_ids.h"
#include "gui/gui_interaction.h"
#include "gui/main_window.h"
#include "gui/screenshot.h"
#include "protocol/catalog.h"
#include "ui/skin/skin.h"
#include "ui/views/controls_gallery.h"
#include "varento_version.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <array>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace {

using namespace varento;

struct Options {
    bool demo = false;
    std::vector<int> demoModels;
    int offlineModel = 0;
    QString screenshot;
    QString view = QStringLiteral("device");
    bool gallery = false;
    bool startupProbe = false;
};

const char* const kUsage =
    "Usage: varento-remote [OPTION]...\n"
    "Control VARENTO audio converter units over the network, MIDI or a serial port.\n"
    "\n"
    "  --demo            connect to emulated units in this process (models 12, 14 and 11,\n"
    "                    or the model codes given); no socket, port or device is opened\n"
    "  --offline=MODEL   start in offline mode with model 12, 14, 11 or 19\n"
    "  --view=VIEW       with --screenshot: instead of the device view, the matrix view\n"
    "                    (matrix), the gain view with a few channels selected, P48 and PAD\n"
    "                    on (gain), the meterbridge window at its full width after two\n"
    "                    seconds of levels (meterbridge), the button view (button), the DR\n"
    "                    trigger window (trigger), the Device Manager (devices) or\n"
    "                    Labels (labels) dialog, or the Journal window after three edits\n"
    "                    (journal)\n"
    "  --gallery         the faders and level meters in their states, for review\n"
    "  --screenshot FILE with --demo or --offline: save the window as a PNG once it shows\n"
    "                    the units, then exit (works without a display)\n"
    "  --startup-probe   print the time to the first painted window, then exit\n"
    "  --help            this text;  --version  the program's version\n";

std::optional<int> parseModel(const QString& text) {
    bool ok = false;
    const int model = text.trimmed().toInt(&ok);
    if (!ok || model < 0 || model > 127 || std::strcmp(typeName(model), "N/A") == 0) {
        return std::nullopt;
    }
    return model;
}

// What --view shows: the command that brings it up, and the window of its own to
// save instead of the main window.
struct ShownView {
    const char* name;
    int command;
    int param;
    std::optional<ViewSlot> ownWindow;
};

// Nothing is changed when an argument is wrong: the reason goes to standard error.
std::optional<Options> parseOptions(const QStringList& args, QString& error) {
    Options o;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--demo") {
            o.demo = true;
        } else if (a.startsWith("--demo=")) {
            o.demo = true;
            for (const QString& part : a.mid(7).split(',')) {
                const auto model = parseModel(part);
                if (!model) {
                    error = QStringLiteral("--demo: \"%1\" is not a model code").arg(part);
                    return std::nullopt;
                }
                o.demoModels.push_back(*model);
            }
        } else if (a.startsWith("--offline=")) {
            o.offlineModel = a.mid(10).toInt();
            if (offlineModeCommand(o.offlineModel) == 0) {
                error = QStringLiteral("--offline: the offline models are 12, 14, 11 and 19");
                return std::nullopt;
            }
        } else if (a == "--screenshot" || a.startsWith("--screenshot=")) {
            o.screenshot = a.startsWith("--screenshot=") ? a.mid(13)
                           : i + 1 < args.size()         ? args[++i]
                                                         : QString();
            if (o.screenshot.isEmpty()) {
                error = QStringLiteral("--screenshot needs a file name");
                return std::nullopt;
            }
        } else if (a.startsWith("--view=")) {
            o.view = a.mid(7);
            if (!screenshotViews().contains(o.view)) {
                error =
                    QStringLiteral("--view: the views are %1").arg(screenshotViews().join(", "));
                return std::nullopt;
            }
        } else if (a == "--gallery") {
            o.gallery = true;
        } else if (a == "--startup-probe") {
            o.startupProbe = true;
        } else if (a == "--help" || a == "-h") {
            error.clear();
            return std::nullopt;
        } else {
            error = QStringLiteral("unknown argument \"%1\"").arg(a);
            return std::nullopt;
        }
    }
    if (!o.screenshot.isEmpty() && !o.demo && o.offlineModel == 0 && !o.gallery) {
        error = QStringLiteral("--screenshot needs --demo, --offline or --gallery");
        return std::nullopt;
    }
    if (o.demo && o.offlineModel != 0) {
        error = QStringLiteral("--demo and --offline exclude each other");
        return std::nullopt;
    }
    return o;
}

// The controls sheet on its own, saved at once with --screenshot.
int showGallery(const Options& options) {
    ControlsGallery gallery;
    if (options.screenshot.isEmpty()) {
        gallery.show();
        return QApplication::exec();
    }
    if (!gallery.grab().save(options.screenshot, "PNG")) {
        std::fprintf(stderr, "varento-remote: cannot write %s\n", qPrintable(options.screenshot));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Answered before any window system is asked for: the manual page is made
    // from them at build time, without a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("varento-remote " VARENTO_VERSION);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VARENTO Remote"));
    QApplication::setApplicationVersion(QStringLiteral(VARENTO_VERSION));
    QApplication::setWindowIcon(skin::appIcon());
    // Lets the desktop match the window with its installed entry and icon.
    QApplication::setDesktopFileName(QStringLiteral(VARENTO_APP_ID));

    QString error;
    const auto options = parseOptions(QApplication::arguments(), error);
    if (!options) {
        if (!error.isEmpty()) {
            std::fprintf(stderr, "varento-remote: %s\n", qPrintable(error));
        }
        std::fputs(kUsage, error.isEmpty() ? stdout : stderr);
        return error.isEmpty() ? 0 : 2;
    }
    if (options->gallery) {
        return showGallery(*options);
    }

    // Demo units and screenshots never touch the user's own device list or settings.
    std::unique_ptr<QTemporaryDir> scratch;
    if (options->demo || !options->screenshot.isEmpty()) {
        scratch = std::make_unique<QTemporaryDir>();
    }
    const std::filesystem::path data =
        scratch ? toPath(scratch->filePath(QStringLiteral("data"))) : dataFolder();
    const auto settings =
        scratch ? std::make_unique<AppSettings>(scratch->filePath(QStringLiteral("settings.ini")))
                : std::make_unique<AppSettings>();

    GuiInteraction interaction;
    Session session(interaction, SessionPaths{data, toPath(QApplication::applicationDirPath())});
    if (options->demo) {
        session.useDemoUnits(options->demoModels);
    }
    MainWindow window(session, *settings, interaction);
    interaction.setParent(&window);
    window.start(settings->load());
    window.setDemo(options->demo);

    if (options->startupProbe) {
        QObject::connect(&window, &MainWindow::firstPaint, &window, [&clock, &window] {
            std::printf("first paint after %lld ms\n", static_cast<long long>(clock.elapsed()));
            QTimer::singleShot(0, &window, &QWidget::close);
        });
    }
    if (!options->screenshot.isEmpty()) {
        scheduleScreenshot(window, session, options->view, options->screenshot,
                           options->offlineModel != 0);
    }
    window.show();
    if (options->demo) {
        QTimer::singleShot(0, &window, [&window] { window.command(command_id::connect); });
    } else if (options->offlineModel != 0) {
        const int id = offlineModeCommand(options->offlineModel);
        QTimer::singleShot(0, &window, [&window, id] { window.command(id); });
    }
    return QApplication::exec();
}
