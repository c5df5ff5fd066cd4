// The audit trail's window, opened from the main window's Printer menu: changes made through the
// windows (a text with what its cell held before, the auto-run period, a parameter step) become
// rows, the rows narrowed by operation and printer, a change made while it is open shows at once,
// another program's change is read as the window comes up again, the rows exported as CSV, and a
// record edited in the file shown plainly as a broken chain.

#include "AuditModel.h"
#include "AuditTrail.h"
#include "AuditWindow.h"
#include "AutoRunPeriodUnit.h"
#include "MainRig.h"
#include "NewTextFragmentInsertUnit_1.h"
#include "ParamsFormUnit.h"
#include "Windows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QtTest>

namespace {

// The rows shown: operation, arguments, outcome and before of each.
QStringList rows(const TAuditWindow &window) {
    QStringList shown;
    for (const audit::Record &r : window.records().records())
        shown << QStringList{r.operation, r.arguments, r.outcome, r.before.value_or("-")}.join(
            " | ");
    return shown;
}

} // namespace

class TestAuditWindow : public QObject {
    Q_OBJECT

private slots:
    void changesFromTheWindowsAndTheChain();
};

void TestAuditWindow::changesFromTheWindowsAndTheChain() {
    QTemporaryDir trailDir;
    const QString db = trailDir.filePath(QStringLiteral("audit.sqlite"));
    qputenv("STAMPLINE_AUDIT_DB", QFile::encodeName(db));
    MainRig rig;
    wireWindows(*rig.main);
    rig.main->show();
    QTRY_VERIFY(rig.main->portReady());

    // A text written through its editor: the cell was read as the editor opened.
    rig.printer->state().cell(1, 1).kind = printer::Fragment::Kind::Text;
    rig.printer->state().cell(1, 1).text = "OLD";
    rig.printer->state().cell(1, 1).font = 2;
    {
        TOKHelpRightDlg editor(*rig.hub);
        editor.show();
        editor.FormActivate();
        child<QLineEdit>(editor, "Fragtext")->setText(QStringLiteral("LOT 7"));
        click(editor, "BtWriteText");
    }
    // The auto-run period through its window; a parameter stepped up through its list.
    {
        TAutoRunPeriodForm period(*rig.hub);
        period.FormActivate();
        child<QLineEdit>(period, "MarkNum")->setText(QStringLiteral("7"));
        click(period, "BtWriteText");
        TParamsForm params(*rig.hub);
        params.FormActivate();
        auto *list = child<QTreeWidget>(params, "ListView2");
        list->setCurrentItem(list->topLevelItem(3));
        click(params, "Button3");
        click(params, "LogoNumInc");
    }
    QVERIFY(rig.hub->fn().SetTime("101500"));

    entry(*rig.main, "AuditTrail1")->trigger();
    auto *window = rig.main->findChild<TAuditWindow *>();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Audit Trail"));
    const QStringList written = rows(*window);
    QVERIFY2(written.size() >= 2, qPrintable(written.join('\n')));
    QCOMPARE(written.first().section(" | ", 0, 1),
             QStringLiteral("WriteTextFragment | cell 1,1: text \"LOT 7\""));
    QVERIFY2(written.first().endsWith(" | done | text \"OLD\", font 2"),
             qPrintable(written.first()));
    QCOMPARE(written.last(), QStringLiteral("SetTime | 10:15:00 | done | -"));
    QVERIFY(written.contains("SetAutoRunPeriod | every 7 | done | -"));
    QVERIFY(written.contains("IncreaseParam | Vertical size (H) one step up | done | -"));
    QCOMPARE(child<QLabel>(*window, "ChainState")->text(),
             QStringLiteral("The audit trail holds %1 records, each as it was written.")
                 .arg(written.size()));
    const audit::Record first = window->records().records().front();
    QCOMPARE(first.printer, QStringLiteral("Com1"));
    QCOMPARE(first.device, rig.device);
    QCOMPARE(first.user, audit::systemUser());

    // Narrowed by operation, then by a printer that made no change.
    auto *operation = child<QComboBox>(*window, "Operation");
    operation->setCurrentText(QStringLiteral("SetTime"));
    QCOMPARE(rows(*window), QStringList("SetTime | 10:15:00 | done | -"));
    QCOMPARE(child<QLabel>(*window, "Shown")->text(), QStringLiteral("1 record"));
    operation->setCurrentIndex(0); // (all)
    child<QCheckBox>(*window, "UseSince")->setChecked(true);
    QCOMPARE(rows(*window).size(), written.size()); // today's, as they all are

    // A change made while the window is open is a row as soon as the exchange is over.
    QVERIFY(rig.hub->fn().SetDate("241226"));
    QTRY_COMPARE(rows(*window).last(), QStringLiteral("SetDate | 24.12.26 | done | -"));

    // Another program's change (stampctl, the agent) is read as the window comes up again, the
    // chain checked on from where it held.
    {
        QString why;
        auto other = audit::Trail::open(db, &why);
        Change c;
        c.printer = QStringLiteral("North");
        c.device = QStringLiteral("tcp:10.0.0.5:4001");
        c.operation = QStringLiteral("ApplyJob");
        c.arguments = QStringLiteral("job \"changeover\"");
        c.ok = true;
        QVERIFY(other->append(c));
    }
    window->catchUp();
    QCOMPARE(rows(*window).last(), QStringLiteral("ApplyJob | job \"changeover\" | done | -"));
    QVERIFY(child<QComboBox>(*window, "Printer")->findText(QStringLiteral("North")) > 0);
    QCOMPARE(child<QLabel>(*window, "ChainState")->text(),
             QStringLiteral("The audit trail holds %1 records, each as it was written.")
                 .arg(rows(*window).size()));

    // Export CSV…: the rows shown, into the file chosen.
    rig.messages.clear();
    rig.messages.fileNames.push_back(rig.path("trail.csv"));
    click(*window, "BtExport");
    const int count = int(window->records().records().size());
    QCOMPARE(rig.messages.log, QStringList(QStringLiteral("Information: %1 records exported to %2.")
                                               .arg(count)
                                               .arg(rig.path("trail.csv"))));
    QFile csv(rig.path("trail.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readAll(), audit::toCsv(window->records().records()));

    // A record edited in the file: the top line says where the chain breaks, and its row stands
    // out.
    {
        QSqlDatabase edit = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "edit");
        edit.setDatabaseName(db);
        QVERIFY(edit.open());
        QVERIFY(QSqlQuery(edit).exec("UPDATE records SET arguments = '10:16:00' WHERE "
                                     "operation = 'SetTime'"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("edit"));
    const int setTime = window->records().rowOf(written.size());
    click(*window, "BtRefresh");
    QCOMPARE(child<QLabel>(*window, "ChainState")->text(),
             QStringLiteral("The audit trail is broken at record %1: it was changed after it was "
                            "written.")
                 .arg(written.size()));
    QVERIFY(
        window->records().data(window->records().index(setTime, 0), Qt::BackgroundRole).isValid());
    qunsetenv("STAMPLINE_AUDIT_DB");
}

QTEST_MAIN(TestAuditWindow)
#include "tst_audit_window.moc"
