// varento-cli: everything the application does to units, from a script; everything
// on the wire or in a file, as text.
#include "core/cli_interaction.h"
#include "core/command_line.h"
#include "core/interrupt_signals.h"
#include "core/journal_command.h"
#include "core/link_setup.h"
#include "core/offline_commands.h"
#include "core/runner.h"
#include "varento_version.h"

#include "app/data_folder.h"
#include "app/session.h"
#include "links/frame_link.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>

using namespace varento;
using namespace varento::cli;

namespace {

void write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

std::optional<QString> readLine() {
    std::string line;
    int c = 0;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n') {
        line += static_cast<char>(c);
    }
    if (c == EOF && line.empty()) {
        return std::nullopt;
    }
    return QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size()));
}

} // namespace

int main(int argc, char** argv) {
    // Only the routing sheet draws (fonts need a GUI application); it needs no screen.
    const bool drawing = std::any_of(
        argv + 1, argv + argc, [](const char* a) { return std::string_view(a) == "--sheet"; });
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const std::unique_ptr<QCoreApplication> app =
        drawing ? std::make_unique<QGuiApplication>(argc, argv)
                : std::make_unique<QCoreApplication>(argc, argv);
    Console console;
    console.out = [](const QString& text) { write(stdout, text); };
    console.err = [](const QString& text) { write(stderr, text); };
    console.readLine = readLine;
    console.stdinIsTerminal = ::isatty(STDIN_FILENO) == 1;
    console.stderrIsTerminal = ::isatty(STDERR_FILENO) == 1;

    const ParsedCommandLine parsed = parseCommandLine(QCoreApplication::arguments().mid(1));
    if (!parsed.line) {
        console.err("varento-cli: " + parsed.error + "\n");
        return exit_status::usage;
    }
    const CommandLine& line = *parsed.line;
    switch (line.command) {
    case Command::Help:
        console.out(usageText());
        return exit_status::ok;
    case Command::Version:
        console.out("varento-cli " VARENTO_VERSION "\n");
        return exit_status::ok;
    case Command::Show:
        return runShow(line, console);
    case Command::Decode:
        return runDecode(line, console);
    case Command::Journal:
        return runJournal(line, console, dataFolder());
    default:
        break;
    }

    CliInteraction ui(console, line.yes);
    // Demo units are not the user's: their device list entries and label stores go to
    // a folder of their own, unless VARENTO_DATA_DIR names one (scripts rely on that).
    std::unique_ptr<QTemporaryDir> scratch;
    if (line.link.kind == LinkKind::Demo && qEnvironmentVariable("VARENTO_DATA_DIR").isEmpty()) {
        scratch = std::make_unique<QTemporaryDir>();
    }
    const std::filesystem::path data =
        scratch ? toPath(scratch->filePath(QStringLiteral("data"))) : dataFolder();
    Session session(ui, SessionPaths{data, toPath(QCoreApplication::applicationDirPath())});
    session.start(PersistedSettings{});
    std::unique_ptr<FrameLink> ownLink;
    if (const QString error = prepareLink(session, line.link, ownLink); !error.isEmpty()) {
        console.err("varento-cli: " + error + "\n");
        return exit_status::noAnswer;
    }
    Runner runner(session, ui, console, line);
    InterruptSignals interrupts;
    QObject::connect(&interrupts, &InterruptSignals::interrupted, &runner, &Runner::interrupt);
    const int status = runner.run();
    session.shutDown();
    return status;
}
