#pragma once
// A line that hands everything to a line it holds: the ground of the tests' and benchmarks' lines
// that watch the program's lines open and close (what they watch goes into their constructor and
// destructor).

#include "com_io.h"

#include <memory>

class WrappedLine : public SerialLine {
public:
    explicit WrappedLine(std::unique_ptr<SerialLine> line) : inner(std::move(line)) {
        baud_ = inner->baud();
        ownership = inner->ownership;
    }
    WrappedLine(const WrappedLine &) = delete;
    WrappedLine &operator=(const WrappedLine &) = delete;

    bool setLine(int baud) override {
        const bool ok = inner->setLine(baud);
        baud_ = inner->baud();
        return ok;
    }
    void purgeInput() override { inner->purgeInput(); }
    bool write(const QByteArray &bytes, int boundMs) override {
        return inner->write(bytes, boundMs);
    }
    std::optional<quint8> read(int boundMs) override { return inner->read(boundMs); }
    void pause(int ms) override { inner->pause(ms); }
    bool gone() const override { return inner->gone(); }
    void beginExchange() override { inner->beginExchange(); }

protected:
    std::unique_ptr<SerialLine> inner;
};
