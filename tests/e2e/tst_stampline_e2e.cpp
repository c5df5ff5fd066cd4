// The program itself on stampline-vprinter over a pseudo-terminal, through the system serial port
// code: at start it finds the printer and reads its state block.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestStamplineE2e : public QObject {
    Q_OBJECT

private slots:
    void findsThePrinterAndReadsItsState();
};

namespace {
// The lock file the serial port code keeps for a device path while it holds the port.
QString lockFileOf(QString device) {
    return QStringLiteral("/var/lock/LCK..") + device.replace(QLatin1Char('/'), QLatin1Char('_'));
}

// Lock files of earlier runs whose folders are gone (a run that was killed) are litter.
void removeStaleLocks() {
    const QDir locks(QStringLiteral("/var/lock"));
    const QString folderStart = QDir::tempPath() + QStringLiteral("/tst_stampline_e2e-");
    const QString lockStart = QFileInfo(lockFileOf(folderStart)).fileName();
    for (const QString &name : locks.entryList({lockStart + QLatin1Char('*')}, QDir::Files)) {
        // LCK.._tmp_tst_stampline_e2e-<six letters>_printer
        const QString folder = folderStart + name.mid(lockStart.size()).section('_', 0, 0);
        if (!QFileInfo::exists(folder))
            QFile::remove(locks.filePath(name));
    }
}
} // namespace

void TestStamplineE2e::findsThePrinterAndReadsItsState() {
    removeStaleLocks();
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("printer"));
    QProcess printer;
    printer.start(QStringLiteral(VPRINTER_PATH), {"--link", link, "--log"});
    QVERIFY(printer.waitForReadyRead(30000));
    QCOMPARE(printer.readLine(), "ready " + link.toUtf8() + '\n');

    // The program reads its settings beside itself: a copy of it in the test's folder, with the
    // port on the printer's line and the default rate, which the search must correct.
    const QString program = dir.filePath(QStringLiteral("stampline"));
    QVERIFY(QFile::copy(QStringLiteral(STAMPLINE_PATH), program));
    const QByteArray settingsBefore =
        QStringLiteral("[PortParams]\nCom=com1\nSpeed=9600\n[PortDevices]\nCOM1=%1\n"
                       "COM2=%2\nCOM3=%2\nCOM4=%2\n")
            .arg(link, dir.filePath(QStringLiteral("none")))
            .toUtf8();
    QFile settings(dir.filePath(QStringLiteral("stampline.dev")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write(settingsBefore);
    settings.close();

    QProcess stampline;
    stampline.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    stampline.setProcessEnvironment(env);
    stampline.start(program, {});
    QVERIFY(stampline.waitForStarted());

    QStringList commands;
    while (!commands.contains(QStringLiteral("ReadTimeParams")) &&
           printer.waitForReadyRead(30000)) {
        while (printer.canReadLine())
            commands << QString::fromUtf8(printer.readLine().trimmed()).remove("command ");
    }
    stampline.kill();
    stampline.waitForFinished();
    printer.terminate();
    printer.waitForFinished();
    // The killed program could not release its port's lock file: take it away, as the system
    // would at its next open of that port.
    QFile::remove(lockFileOf(link));
    // The search's carriage return at 57600 is answered at once; then the state block.
    QCOMPARE(commands.value(0), QStringLiteral("Probe"));
    QVERIFY2(commands.contains(QStringLiteral("ReadTimeParams")), qPrintable(commands.join(' ')));
    QVERIFY(settings.open(QIODevice::ReadOnly)); // nothing written back
    QCOMPARE(settings.readAll(), settingsBefore);
}

QTEST_GUILESS_MAIN(TestStamplineE2e)
#include "tst_stampline_e2e.moc"
