// The installed program: `cmake --install` into a scratch prefix puts the programs, the manual
// with its pictures, the desktop entry and the icon in their places. The installed program, its
// settings beside it, starts and shows its main window on the virtual printer; and on the
// installed stampline-vprinter over a pseudo-terminal, through the system serial port code, it
// finds the printer at the printer's rate and reads its state block.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The lock file the serial port code keeps for a device path while it holds the port.
QString lockFileOf(QString device) {
    return QStringLiteral("/var/lock/LCK..") + device.replace(QLatin1Char('/'), QLatin1Char('_'));
}

// Lock files of earlier runs whose folders are gone (a run that was killed) are litter.
void removeStaleLocks() {
    const QDir locks(QStringLiteral("/var/lock"));
    const QString folderStart = QDir::tempPath() + QStringLiteral("/tst_install-");
    const QString lockStart = QFileInfo(lockFileOf(folderStart)).fileName();
    for (const QString &name : locks.entryList({lockStart + QLatin1Char('*')}, QDir::Files)) {
        // LCK.._tmp_tst_install-<six letters>_printer
        const QString folder = folderStart + name.mid(lockStart.size()).section('_', 0, 0);
        if (!QFileInfo::exists(folder))
            QFile::remove(locks.filePath(name));
    }
}
} // namespace

class TestInstall : public QObject {
    Q_OBJECT

private slots:
    void installsAndStarts();
};

void TestInstall::installsAndStarts() {
    removeStaleLocks();
    QTemporaryDir prefix;
    QProcess install;
    install.start(QStringLiteral(CMAKE_COMMAND),
                  {"--install", QStringLiteral(BUILD_DIR), "--prefix", prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());

    const QDir root(prefix.path());
    for (const char *file :
         {"bin/stampline", "bin/stampctl", "bin/stampline-vprinter", "bin/stampline-agent",
          "lib/systemd/user/stampline-agent.service", "share/stampline/help.html",
          "share/stampline/images/main-window.png", "share/applications/stampline.desktop",
          "share/icons/hicolor/scalable/apps/stampline.svg"})
        QVERIFY2(QFile::exists(root.filePath(QString::fromLatin1(file))), file);

    QFile unit(root.filePath(QStringLiteral("lib/systemd/user/stampline-agent.service")));
    QVERIFY(unit.open(QIODevice::ReadOnly));
    QVERIFY(unit.readAll().contains(
        "\nExecStart=" + QFile::encodeName(root.filePath(QStringLiteral("bin/stampline-agent"))) +
        '\n'));

    QProcess stampctl;
    stampctl.start(root.filePath(QStringLiteral("bin/stampctl")), {"--help"});
    QVERIFY(stampctl.waitForFinished(30000));
    QCOMPARE(stampctl.exitCode(), 0);

    // The installed program with SETTINGS beside it, until it says its window is shown and its
    // first paint has connected to the printer; what it said on stderr.
    QFile settings(root.filePath(QStringLiteral("bin/stampline.dev")));
    const auto start = [&](const QByteArray &written, const QStringList &args = {}) {
        if (!settings.open(QIODevice::WriteOnly) || settings.write(written) != written.size())
            return QByteArray("settings not written");
        settings.close();
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("STAMPLINE_REPORT_SHOWN"), QStringLiteral("1"));
        program.setProcessEnvironment(env);
        program.setReadChannel(QProcess::StandardError);
        program.start(root.filePath(QStringLiteral("bin/stampline")), args);
        QByteArray said;
        while (!said.contains("stampline: shown") && program.waitForReadyRead(30000))
            said += program.readAllStandardError();
        program.kill();
        program.waitForFinished();
        return said;
    };
    QByteArray said = start(
        QStringLiteral("[PortParams]\nCom=com1\nSpeed=57600\n[PortDevices]\nCOM1=virtual:%1\n")
            .arg(root.filePath(QStringLiteral("state.json")))
            .toUtf8());
    QVERIFY2(said.contains("stampline: shown"), said.constData());
    // Without a printer, from the command line: the built-in virtual printer for this run.
    said = start("[PortParams]\nCom=com1\nSpeed=9600\n[PortDevices]\nCOM1=/dev/no-such-port\n",
                 {"--device", "virtual:" + root.filePath(QStringLiteral("state2.json"))});
    QVERIFY2(said.contains("stampline: shown"), said.constData());

    const QString link = root.filePath(QStringLiteral("printer"));
    QProcess printer;
    printer.start(root.filePath(QStringLiteral("bin/stampline-vprinter")),
                  {"--link", link, "--log"});
    QVERIFY(printer.waitForReadyRead(30000));
    QCOMPARE(printer.readLine(), "ready " + link.toUtf8() + '\n');
    // The port on the printer's line at the default rate, which the search must correct.
    const QByteArray onThePty =
        QStringLiteral("[PortParams]\nCom=com1\nSpeed=9600\n[PortDevices]\nCOM1=%1\n"
                       "COM2=%2\nCOM3=%2\nCOM4=%2\n")
            .arg(link, root.filePath(QStringLiteral("none")))
            .toUtf8();
    said = start(onThePty);
    QStringList commands;
    while (!commands.contains(QStringLiteral("ReadTimeParams")) &&
           printer.waitForReadyRead(30000)) {
        while (printer.canReadLine())
            commands << QString::fromUtf8(printer.readLine().trimmed()).remove("command ");
    }
    printer.terminate();
    printer.waitForFinished();
    // The killed program could not release its port's lock file: take it away, as the system
    // would at its next open of that port.
    QFile::remove(lockFileOf(link));
    QVERIFY2(said.contains("stampline: shown"), said.constData());
    // The search's carriage return at 57600 is answered at once; then the state block.
    QCOMPARE(commands.value(0), QStringLiteral("Probe"));
    QVERIFY2(commands.contains(QStringLiteral("ReadTimeParams")), qPrintable(commands.join(' ')));
    QVERIFY(settings.open(QIODevice::ReadOnly)); // nothing written back
    QCOMPARE(settings.readAll(), onThePty);
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
