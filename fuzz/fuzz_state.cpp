// Every state file the virtual printer can be given: the input is the file's bytes. A state that
// is taken must be saved and read back unchanged, and printing on it, its clock and its replies
// must stay defined whatever numbers the file held.

#include "InputFile.h"
#include "Require.h"
#include "StateFile.h"

#include <cstdint>
#include <cstdlib>

using namespace printer;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    constexpr qint64 kNoon = 1'780'000'000'000;
    static const QString path = scratchFile("state.json");
    PrinterState state;
    QString error;
    const StateLoad how = parseState(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), state, &error);
    if (how != StateLoad::Loaded) {
        require(!error.isEmpty());
        return 0;
    }
    require(saveState(path, state));
    PrinterState again;
    require(loadState(path, again) == StateLoad::Loaded && again == state);
    QFile::remove(path);

    state.clock(kNoon);
    require(state.stateBlock(kNoon).size() == 14);
    state.namesList();
    state.printMarks(1);
    state.printMarks(1'000'003);
    for (int row = 1; row <= kRows; ++row)
        for (int column = 1; column <= kColumns; ++column)
            require(state.fragmentText(row, column).size() <= 255);
    return 0;
}
