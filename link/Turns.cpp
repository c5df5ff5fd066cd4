#include "Turns.h"

#include <QFileInfo>
#include <map>

namespace turns {

namespace {

QString keyOf(const QString &device) {
    if (device.startsWith(QLatin1String("tcp:")))
        return device.toLower();
    if (device.startsWith(QLatin1String("virtual:"))) {
        const QFileInfo file(device.mid(int(qstrlen("virtual:"))));
        return QStringLiteral("virtual:") +
               (file.exists() ? file.canonicalFilePath() : file.absoluteFilePath());
    }
    const QFileInfo node(device);
    return node.exists() ? node.canonicalFilePath() : device;
}

} // namespace

bool Turn::take(int waitMs) {
    std::unique_lock<std::mutex> lock(mutex);
    const auto free = [this] { return !held; };
    if (waitMs < 0)
        freed.wait(lock, free);
    else if (!freed.wait_for(lock, std::chrono::milliseconds(waitMs), free))
        return false;
    held = true;
    return true;
}

void Turn::give() {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        held = false;
    }
    freed.notify_one();
}

std::shared_ptr<Turn> of(const QString &device) {
    static std::mutex mutex;
    static std::map<QString, std::weak_ptr<Turn>> turns;
    const std::lock_guard<std::mutex> locker(mutex);
    std::weak_ptr<Turn> &entry = turns[keyOf(device)];
    std::shared_ptr<Turn> turn = entry.lock();
    if (!turn) {
        turn = std::make_shared<Turn>();
        entry = turn;
    }
    return turn;
}

} // namespace turns
