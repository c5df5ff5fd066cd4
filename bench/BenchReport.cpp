#include "BenchReport.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace bench {

namespace {
double msOf(const rusage &usage) {
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}
} // namespace

void figure(const QString &name, const QString &measured, const QString &goal, bool met) {
    std::printf("FIGURE\t%s\t%s\t%s\t%s\n", qPrintable(name), qPrintable(measured),
                qPrintable(goal), met ? "met" : "not met");
    std::fflush(stdout);
}

void note(const QString &text) {
    std::printf("# %s\n", qPrintable(text));
    std::fflush(stdout);
}

double threadCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return msOf(usage);
}

double processCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return msOf(usage);
}

double wallMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double median(QList<double> values) {
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QString number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

} // namespace bench
