// kvs: the windowed program.
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <string>
#include <vector>

#include "config/data_folder.h"
#include "config/prompt_table.h"
#include "ui/command_line.h"
#include "ui/hand_over.h"
#include "ui/qt/app_style.h"
#include "ui/qt/hand_over_server.h"
#include "ui/qt/main_window.h"
#include "ui/qt/splash_window.h"

namespace {

std::string WorkingFolder() {
    return QDir::currentPath().toStdString();
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    const std::string folder = WorkingFolder();
    const kvs::CommandLine line = kvs::ParseCommandLine(words, folder);
    if (line.printHelp || line.printVersion) {
        const kvs::PromptTable prompts;
        const std::string text = line.printVersion
                                     ? "kvs " + std::string(kvs::kProgramVersion) + "\n"
                                     : kvs::CommandLineUsage(prompts);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }

    // A second start never touches the window system: it only delivers.
    const std::string socketPath = kvs::HandOverSocketPath();
    const bool single = !line.Has(kvs::cmdline::NoHandOver) && !socketPath.empty();
    if (single) {
        const std::string message = kvs::EncodeHandOver({folder, words});
        if (kvs::SendHandOver(QString::fromStdString(socketPath),
                              QByteArray::fromStdString(message)))
            return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kavelsong"));
    QApplication::setDesktopFileName(QStringLiteral("kavelsong"));
    kvs::ApplyStyleFromEnvironment();

    auto splash = std::make_unique<kvs::SplashWindow>(std::string(kvs::kProgramVersion));
    splash->ShowNow();
    kvs::MainWindow window;
    window.SetHelpFolder(QString::fromStdString(
        kvs::ShippedDataFolder(kvs::ExecutableFolder(), KVS_SOURCE_DATA_DIR)));
    kvs::HandOverServer server;
    if (single && server.Listen(QString::fromStdString(socketPath))) {
        QObject::connect(&server, &kvs::HandOverServer::Received, &window,
                         [&window](const QByteArray& bytes) {
                             const auto message = kvs::DecodeHandOver(bytes.toStdString());
                             if (message)
                                 window.ReceiveHandOver(message->words, message->workingFolder);
                         });
    }
    window.show();
    // The splash stays on top: a start-up box (no settings, a device that
    // did not open) would sit hidden under it and the program look hung.
    splash.reset();
    window.StartUp();
    window.RunCommandLine(line);
    return QApplication::exec();
}
