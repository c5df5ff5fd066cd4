// Every settings file the program can find beside itself: the input becomes the file, which is
// read, has its port and rate written back (as the port dialog does), and is read again.

#include "DeviceSettings.h"
#include "InputFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const QString path = scratchFile("settings.dev");
    if (!writeInput(path, data, size))
        return 0;
    const DeviceSettings first = DeviceSettings::load(path);
    if (DeviceSettings::savePortParams(path, first.portName, first.baudName)) {
        // What was written is what is read back, and the devices stay as they were.
        const DeviceSettings again = DeviceSettings::load(path);
        if (again.portName != first.portName || again.baudName != first.baudName ||
            (first.problem.isEmpty() && again.ports.devices != first.ports.devices))
            std::abort();
    }
    QFile::remove(path);
    return 0;
}
