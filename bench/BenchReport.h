#pragma once
// What every benchmark prints: one machine-readable line a figure, which bench.sh gathers into
// its table, and notes that say how the figure came about. A figure is a ratio or a share of two
// things measured in the same run wherever one can be, so that a busy machine does not move it.

#include <QList>
#include <QString>

namespace bench {

// "FIGURE<tab>figure<tab>measured<tab>goal<tab>met" (met: "met" or "not met") on stdout.
void figure(const QString &name, const QString &measured, const QString &goal, bool met);
// "# text" on stdout: how a figure came about, the raw times behind a ratio.
void note(const QString &text);

// CPU time (user and system) of the calling thread, and of the whole process, in milliseconds.
double threadCpuMs();
double processCpuMs();
// Wall time since an arbitrary fixed point, in milliseconds.
double wallMs();

// The middle value (the mean of the two middle ones for an even count); 0 for none.
double median(QList<double> values);
// A number with the given decimals, as the table shows it.
QString number(double value, int decimals);

} // namespace bench
