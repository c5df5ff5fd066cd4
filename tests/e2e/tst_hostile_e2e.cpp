// The programs under hostile input, end to end: texts that would run printer commands, files that
// are not what they must be (directories, FIFOs, device nodes, another program's file, files far
// too large), and two programs on one printer. Every stampctl run is a process of its own that
// the test waits for within a bound, so a program that blocks fails the test instead of hanging.

#include "OwnerLock.h"
#include "PtyDevice.h"
#include "ScriptedPrinter.h"
#include "StampctlRun.h"
#include "VirtualPrinter.h"

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

const QString kStampctl = QStringLiteral(STAMPCTL_PATH);
const QString kVprinter = QStringLiteral(VPRINTER_PATH);

// A program's run, waited for at most 20 s (it is killed then, and its exit code is -1).
StampctlRun runWithin(const QString &program, const QStringList &args) {
    QProcess p;
    p.start(program, args);
    StampctlRun r;
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        r.err = "did not end within 20 s";
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// stampctl at the virtual printer's rate.
StampctlRun ctl(const QStringList &args) {
    return runWithin(kStampctl, QStringList{"--baud", "57600"} + args);
}

// What a path is, to see it left as it was: its kind and size.
QString kindOf(const QString &path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("nothing");
    return QStringLiteral("%1 %2").arg(st.st_mode & S_IFMT).arg(st.st_size);
}

QString ownName() {
    return QStringLiteral("%1, pid %2")
        .arg(QCoreApplication::applicationName())
        .arg(QCoreApplication::applicationPid());
}

} // namespace

class HostileE2E : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString file(const QString &name) const { return dir.filePath(name); }
    QString write(const QString &name, const QByteArray &bytes) const {
        QFile f(file(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return file(name);
    }
    QString fifo(const QString &name) const {
        ::mkfifo(QFile::encodeName(file(name)).constData(), 0600);
        return file(name);
    }
    // A node like /dev/null, where the system lets us make one (as root); empty otherwise.
    QString deviceNode(const QString &name) const {
        const QByteArray path = QFile::encodeName(file(name));
        return ::mknod(path.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0 ? file(name)
                                                                             : QString();
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    // A CR inside a text would end the command, and the printer would run the rest: refused as
    // a usage error, and not a byte reaches the printer.
    void textsCannotRunCommands() {
        PtyDevice device;
        QVERIFY2(device.isOpen(), qPrintable(device.error()));
        for (const QStringList &args : {QStringList{"write-text-fragment", "1", "2", "A\r\x0bM"},
                                        QStringList{"write-counter-fragment", "1", "1",
                                                    "1\r\x18"
                                                    "48PWNED"}}) {
            device.play({});
            const StampctlRun r = runStampctl(kStampctl, device.slavePath(), args);
            QCOMPARE(r.exitCode, 2);
            QVERIFY2(r.err.contains("TEXT holds a control character (0Dh) at position 2"),
                     r.err.constData());
            QVERIFY(device.received().isEmpty());
        }
    }

    // Each path is refused with what it is, without blocking on it, and left exactly as it was.
    void filesThatAreNotWhatTheyMustBe() {
        const QString node = deviceNode(QStringLiteral("null"));
        const QString backupFile = write(QStringLiteral("backup.json"),
                                         R"({"format": "stampline-printer-backup", "version": 1})");
        const QString huge = write(QStringLiteral("huge.json"), QByteArray(9 << 20, ' '));
        const struct {
            QStringList args;
            QString path; // what must stay as it was
            const char *reason;
            int exit = 1; // 2: refused as a usage error
        } rows[] = {
            {{"--device", "virtual:" + dir.path(), "read-script"},
             dir.path(),
             "is a directory, not a state file"},
            {{"--device", "virtual:" + fifo("state-fifo"), "read-script"},
             file("state-fifo"),
             "is a FIFO, not a state file"},
            {{"--device", "virtual:" + backupFile, "start"},
             backupFile,
             "not a virtual printer's state file"},
            {{"--device", "virtual:" + file("b.state"), "backup", fifo("backup-fifo")},
             file("backup-fifo"),
             "is a FIFO: only a regular file is written over"},
            {{"--device", "virtual:" + file("b.state"), "restore", file("backup-fifo")},
             file("backup-fifo"),
             "is a FIFO, not a regular file",
             2},
            {{"--device", "virtual:" + file("b.state"), "restore", huge},
             huge,
             "is larger than 8 MB"},
            {{"--device", "virtual:" + file("b.state"), "backup", "/dev/stdout"},
             "/dev/stdout",
             "/dev/stdout is a FIFO"},
            {{"--device", "virtual:" + file("b.state"), "write-logo", "1", file("backup-fifo")},
             file("backup-fifo"),
             "is a FIFO, not a regular file",
             2},
        };
        for (const auto &row : rows) {
            const QString before = kindOf(row.path);
            const StampctlRun r = ctl(row.args);
            QVERIFY2(
                r.exitCode == row.exit && r.err.contains(row.reason),
                qPrintable(row.args.join(' ') + QStringLiteral(": %1 ").arg(r.exitCode) + r.err));
            QCOMPARE(kindOf(row.path), before);
            QVERIFY(!QFileInfo::exists(row.path + ".damaged"));
        }
        // The virtual printer's own state file: the same refusal, at once.
        const StampctlRun served =
            runWithin(kVprinter, {"--link", file("fifo-link"), "--state", file("state-fifo")});
        QVERIFY2(served.exitCode == 1 && served.err.contains("is a FIFO, not a state file"),
                 served.err.constData());
        if (node.isEmpty())
            QSKIP("no device node can be made here (not root): the device rows were not run");
        for (const QStringList &args :
             {QStringList{"--device", "virtual:" + node, "start"},
              QStringList{"--device", "virtual:" + file("b.state"), "backup", node}}) {
            const StampctlRun r = ctl(args);
            QVERIFY2(r.exitCode == 1 && r.err.contains((node + " is a device").toUtf8()),
                     r.err.constData());
            QVERIFY(QFileInfo(node).exists() && !QFileInfo(node).isFile());
        }
    }

    // A picture larger than a logo is cut to what a logo holds, and the cut is said.
    void cutPicturesAreSaid() {
        const struct {
            int width, height;
            const char *note;
        } rows[] = {
            {333, 12, "the picture is 333 x 12 dots; the logo keeps its left 250 columns"},
            {8, 64, "the picture is 8 x 64 dots; the logo keeps its top 32 rows"},
        };
        for (const auto &row : rows) {
            QImage picture(row.width, row.height, QImage::Format_Mono);
            picture.fill(0);
            const QString path = file(QStringLiteral("cut.bmp"));
            QVERIFY(picture.save(path, "BMP"));
            const StampctlRun r =
                ctl({"--device", "virtual:" + file("cut.state"), "write-logo", "3", path});
            QVERIFY2(r.exitCode == 0 && r.err.contains(row.note), r.err.constData());
        }
    }

    // The settings file is read only as a regular file: a FIFO in its place gives the defaults
    // and says why, at once.
    void settingsThatAreNoFile() {
        const QString copy = file(QStringLiteral("bin/stampctl"));
        QVERIFY(QDir().mkpath(file(QStringLiteral("bin"))));
        QVERIFY(QFile::copy(kStampctl, copy));
        ::mkfifo(QFile::encodeName(file(QStringLiteral("bin/stampline.dev"))).constData(), 0600);
        const StampctlRun r = runWithin(copy, {"--device", "virtual", "read-script"});
        QCOMPARE(r.exitCode, 1); // the default rate, 9600, is not the virtual printer's
        QVERIFY2(r.err.startsWith("stampctl: " + file("bin/stampline.dev").toUtf8() +
                                  " is a FIFO, not a regular file; the defaults"),
                 r.err.constData());
    }

    // One owner per printer: while this program holds a virtual printer's file or a device, a
    // second program is refused and told which program holds it, whatever name it uses for the
    // device; nothing of it reaches the printer.
    void oneOwnerPerPrinter() {
        const QString state = file(QStringLiteral("held.state"));
        printer::VirtualPrinter held;
        QCOMPARE(held.useStateFile(state), printer::StateLoad::Loaded);
        QVERIFY(held.save());
        const QString before = kindOf(state);
        StampctlRun r = ctl({"--device", "virtual:" + state, "mark-delete"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(
            r.err.contains((state + " is in use by another program (" + ownName() + ")").toUtf8()),
            r.err.constData());
        QCOMPARE(kindOf(state), before);

        PtyDevice device(file(QStringLiteral("ttyUSB0")));
        QVERIFY2(device.isOpen(), qPrintable(device.error()));
        QString why;
        const auto lock = files::OwnerLock::onDevice(device.devicePath(), &why);
        QVERIFY2(lock, qPrintable(why));
        device.play({});
        r = runStampctl(kStampctl, device.slavePath(), {"start"}); // the device's other name
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(
                     (QStringLiteral("the device is in use by another program (") + ownName() + ")")
                         .toUtf8()),
                 r.err.constData());
        QVERIFY(device.received().isEmpty());
    }

    // A port that a program of another kind holds open (its lock file, not ours) is in use too,
    // not a matter of permissions.
    void portHeldByAnotherKindOfProgram() {
        PtyDevice device;
        QVERIFY2(device.isOpen(), qPrintable(device.error()));
        QSerialPort other(device.slavePath());
        QVERIFY(other.open(QIODevice::ReadWrite));
        device.play({});
        const StampctlRun r = runStampctl(kStampctl, device.slavePath(), {"start"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("the port is in use by another program") &&
                     !r.err.contains("permission"),
                 r.err.constData());
        QVERIFY(device.received().isEmpty());
    }

    // A second virtual printer on the link of a live one is refused; the first goes on serving
    // and, when it ends, removes only its own link.
    void oneServerALink() {
        const QString link = file(QStringLiteral("vlink"));
        QProcess first;
        first.start(kVprinter, {"--link", link});
        QVERIFY(first.waitForReadyRead(20000));
        QCOMPARE(first.readAllStandardOutput(), "ready " + link.toUtf8() + '\n');
        const QString target = QFileInfo(link).symLinkTarget();
        const StampctlRun second = runWithin(kVprinter, {"--link", link});
        QCOMPARE(second.exitCode, 1);
        QVERIFY2(second.err.contains(
                     (link + " is in use by another program (stampline-vprinter").toUtf8()),
                 second.err.constData());
        QCOMPARE(QFileInfo(link).symLinkTarget(), target);
        QCOMPARE(runStampctl(kStampctl, link, {"start"}).exitCode, 0);
        first.terminate();
        QVERIFY(first.waitForFinished(20000));
        QVERIFY(!QFileInfo(link).isSymLink());
    }
};

QTEST_GUILESS_MAIN(HostileE2E)
#include "tst_hostile_e2e.moc"
