// The program itself on stampline-vprinter over a pseudo-terminal, through the system serial port
// code: at start it finds the printer and reads its state block.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestStamplineE2e : public QObject {
    Q_OBJECT

private slots:
    void findsThePrinterAndReadsItsState();
};

void TestStamplineE2e::findsThePrinterAndReadsItsState() {
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
    QFile settings(dir.filePath(QStringLiteral("stampline.dev")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write(QStringLiteral("[PortParams]\nCom=com1\nSpeed=9600\n[PortDevices]\nCOM1=%1\n"
                                  "COM2=%2\nCOM3=%2\nCOM4=%2\n")
                       .arg(link, dir.filePath(QStringLiteral("none")))
                       .toUtf8());
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
    // The search's carriage return at 57600 is answered at once; then the state block.
    QCOMPARE(commands.value(0), QStringLiteral("Probe"));
    QVERIFY2(commands.contains(QStringLiteral("ReadTimeParams")), qPrintable(commands.join(' ')));
    QCOMPARE(QFile(settings.fileName()).size(), settings.size()); // nothing written back
}

QTEST_GUILESS_MAIN(TestStamplineE2e)
#include "tst_stampline_e2e.moc"
