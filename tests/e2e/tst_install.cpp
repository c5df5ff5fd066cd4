// The installed program: `cmake --install` into a scratch prefix puts the programs, the manual
// with its pictures, the desktop entry and the icon in their places, and the installed program
// starts and shows its main window on the virtual printer.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestInstall : public QObject {
    Q_OBJECT

private slots:
    void installsAndStarts();
};

void TestInstall::installsAndStarts() {
    QTemporaryDir prefix;
    QProcess install;
    install.start(QStringLiteral(CMAKE_COMMAND),
                  {"--install", QStringLiteral(BUILD_DIR), "--prefix", prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());

    const QDir root(prefix.path());
    for (const char *file :
         {"bin/stampline", "bin/stampctl", "bin/stampline-vprinter", "share/stampline/help.html",
          "share/stampline/images/main-window.png", "share/applications/stampline.desktop",
          "share/icons/hicolor/scalable/apps/stampline.svg"})
        QVERIFY2(QFile::exists(root.filePath(QString::fromLatin1(file))), file);

    QProcess stampctl;
    stampctl.start(root.filePath(QStringLiteral("bin/stampctl")), {"--help"});
    QVERIFY(stampctl.waitForFinished(30000));
    QCOMPARE(stampctl.exitCode(), 0);

    // The installed program, its settings beside it naming the virtual printer.
    QFile settings(root.filePath(QStringLiteral("bin/stampline.dev")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write(
        QStringLiteral("[PortParams]\nCom=com1\nSpeed=57600\n[PortDevices]\nCOM1=virtual:%1\n")
            .arg(root.filePath(QStringLiteral("state.json")))
            .toUtf8());
    settings.close();
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("STAMPLINE_REPORT_SHOWN"), QStringLiteral("1"));
    program.setProcessEnvironment(env);
    program.setReadChannel(QProcess::StandardError);
    program.start(root.filePath(QStringLiteral("bin/stampline")), {});
    QVERIFY(program.waitForStarted());
    QByteArray said;
    while (!said.contains("stampline: shown") && program.waitForReadyRead(30000))
        said += program.readAllStandardError();
    program.kill();
    program.waitForFinished();
    QVERIFY2(said.contains("stampline: shown"), said.constData());
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
