#include "LongWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressDialog>

qint64 steadyClock() {
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

LongWait::LongWait(QWidget *o, QString l, int m, Clock c)
    : over(o), label(std::move(l)), maximum(m), clock(c ? std::move(c) : Clock(steadyClock)),
      started(clock()) {}

LongWait::~LongWait() = default;

bool LongWait::carryOn(int value) {
    if (wasCancelled)
        return false;
    if (!dialog && clock() - started >= kShowAfterMs) {
        dialog = std::make_unique<QProgressDialog>(label, QStringLiteral("Cancel"), 0, maximum,
                                                   over ? over->window() : nullptr);
        dialog->setObjectName(QStringLiteral("LongWait"));
        dialog->setWindowTitle(QCoreApplication::applicationName());
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->setAutoReset(false);
        dialog->setAutoClose(false);
        dialog->setMinimumDuration(0);
        dialog->show();
    }
    if (!dialog)
        return true;
    if (value >= 0 && maximum > 0)
        dialog->setValue(qMin(value, maximum));
    QCoreApplication::processEvents();
    wasCancelled = dialog->wasCanceled();
    return !wasCancelled;
}
