// Every window as assistive tools read it: a label that shows a value exposes the value, every
// button is named by what it does (not by a lone letter), and every edit has a name (its label).

#include "MainRig.h"
#include "Windows.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {
QString nameOf(QWidget *w) {
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

QString shown(const QString &text) {
    return QString(text).remove(QLatin1Char('&'));
}

// What a screen reader would miss in the window, one line a widget.
QStringList unreadable(QWidget *window) {
    QStringList problems;
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (!w->isVisibleTo(window))
            continue;
        const QString name = nameOf(w);
        const QString what =
            QStringLiteral("%1 %2: \"%3\"")
                .arg(QLatin1String(w->metaObject()->className()), w->objectName(), name);
        if (auto *label = qobject_cast<QLabel *>(w)) {
            const QString text = shown(label->text());
            if (!label->buddy() && !text.isEmpty() && !Qt::mightBeRichText(text) &&
                !name.contains(text))
                problems << what + QStringLiteral(" hides \"%1\"").arg(text);
        } else if (qobject_cast<QAbstractButton *>(w)) {
            if (name.size() < 2)
                problems << what + QStringLiteral(" names no action");
        } else if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w)) {
            if (name.isEmpty() && !qobject_cast<QComboBox *>(w->parentWidget()))
                problems << what + QStringLiteral(" has no name");
        }
    }
    return problems;
}
} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void everyWindowReadsAsItShows_data() {
        QTest::addColumn<bool>("modal");
        const std::pair<const char *, bool> entries[] = {
            {"FragEdit1", false},  {"Counter1", false},       {"TimeDate1", true},
            {"PostDate1", true},   {"SpecFuncA", false},      {"ScriptReadA", false},
            {"Store1", false},     {"AutoRunPeriod1", false}, {"ParamsValue2", true},
            {"ByteStatus2", true}, {"Parameters1", true},     {"LogoRead1", true},
            {"LogoPaste1", true},  {"ReadMSWordtext1", true}, {"EditCut1", false},
            {"SetFont", true},     {"MarkOverview1", false},  {"HelpAbout1", true},
            {"MarkRead1", false}, // its progress, then its view beside the main window
        };
        for (const auto &[entry, modal] : entries)
            QTest::newRow(entry) << modal;
    }

    void everyWindowReadsAsItShows() {
        QFETCH(bool, modal);
        MainRig rig;
        rig.main->FormActivate();
        wireWindows(*rig.main);
        rig.main->show();
        QStringList problems = unreadable(rig.main.get());
        if (modal) {
            onNextModal([&](QWidget *window) {
                problems += unreadable(window);
                window->close();
            });
            entry(*rig.main, QTest::currentDataTag())->trigger();
        } else {
            const auto shownWindows = [&] {
                QList<QWidget *> windows;
                for (QWidget *w : rig.main->findChildren<QWidget *>())
                    if (w->isWindow() && w->isVisible())
                        windows << w;
                return windows;
            };
            const QList<QWidget *> before = shownWindows();
            const auto opened = [&] {
                QList<QWidget *> windows = shownWindows();
                windows.removeIf([&](QWidget *w) { return before.contains(w); });
                return windows;
            };
            entry(*rig.main, QTest::currentDataTag())->trigger();
            QTRY_VERIFY(!opened().isEmpty());
            for (QWidget *w : opened())
                problems += unreadable(w);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
