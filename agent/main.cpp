// stampline-agent [--settings FILE]: the printers of the line on the plant's message broker
// (section [Mqtt] of the settings), until it is stopped (SIGTERM, SIGINT).
#include "Agent.h"
#include "DeviceSettings.h"
#include "Devices.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
int stopPipe[2] = {-1, -1};
void stopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(stopPipe[1], &byte, 1);
}
void say(const QString &line) {
    std::fprintf(stderr, "stampline-agent: %s\n", qPrintable(line));
    std::fflush(stderr);
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QString settings = DeviceSettings::locate(QCoreApplication::applicationDirPath() +
                                              QStringLiteral("/stampline"));
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--settings") && i + 1 < args.size()) {
            settings = args[++i];
        } else if (args[i] == QLatin1String("--help") || args[i] == QLatin1String("-h")) {
            std::printf("usage: stampline-agent [--settings FILE]\n"
                        "  the printers of the line (section [Line] of FILE) on the message broker "
                        "of section [Mqtt]:\n"
                        "  Broker (tcp://127.0.0.1:1883), ClientId, User, Password, Tls, Prefix "
                        "(stampline/<station>)\n");
            return 0;
        } else {
            say(QStringLiteral("unexpected \"%1\"; usage: stampline-agent [--settings FILE]")
                    .arg(args[i]));
            return 2;
        }
    }
    if (::pipe(stopPipe) != 0)
        return 1;
    std::signal(SIGTERM, stopSignal);
    std::signal(SIGINT, stopSignal);
    QSocketNotifier stopping(stopPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopping, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    agent::Agent agent(settings, devices::open);
    QObject::connect(&agent, &agent::Agent::said, &agent, say);
    QString why;
    if (!agent.start(&why)) {
        say(why);
        return 1;
    }
    for (const QString &problem : agent.problems())
        say(problem);
    say(QStringLiteral("serving %1 printer(s) on %2 under %3/")
            .arg(agent.line().printers.size())
            .arg(agent.mqtt().broker, agent.mqtt().prefix));
    const int status = app.exec();
    agent.stop();
    say(QStringLiteral("stopped"));
    return status;
}
