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

bool Turn::take(int waitMs, const Keeper *self) {
    std::shared_ptr<Keeper> kept;
    {
        std::unique_lock<std::mutex> lock(mutex);
        const auto free = [this] { return !held; };
        if (waitMs < 0)
            freed.wait(lock, free);
        else if (!freed.wait_for(lock, std::chrono::milliseconds(waitMs), free))
            return false;
        held = true;
        kept = keeper.lock();
        keeper.reset();
    }
    if (kept && kept.get() != self)
        kept->letGo(); // outside the lock: the keeper may be giving up on its own meanwhile
    return true;
}

void Turn::give(const std::shared_ptr<Keeper> &keeping) {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        held = false;
        keeper = keeping;
    }
    freed.notify_one();
}

void Turn::forget(const Keeper *gone) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (keeper.lock().get() == gone)
        keeper.reset();
}

std::shared_ptr<Turn> of(const QString &device) {
    // Kept for the life of the program, the few devices it names: a turn remembers who keeps
    // its line open while nobody holds it.
    static std::mutex mutex;
    static std::map<QString, std::shared_ptr<Turn>> turns;
    const std::lock_guard<std::mutex> locker(mutex);
    std::shared_ptr<Turn> &turn = turns[keyOf(device)];
    if (!turn)
        turn = std::make_shared<Turn>();
    return turn;
}

} // namespace turns
