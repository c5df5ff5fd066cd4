// Every settings file the program can find beside itself. An input that starts with '[' or ';'
// is the file itself, for the INI reader. Any other input is cut at its 0 bytes into the values of
// a settings file of the usual shape (port, rate, the four devices), so that most inputs reach
// our own reading of the values. The file is read, has its port and rate written back (as the
// port dialog does), and is read again: what was written is what is read.

#include "DeviceSettings.h"
#include "Functions.h"
#include "InputFile.h"
#include "Require.h"

#include <cstdlib>

namespace {
QByteArray shaped(const uint8_t *data, size_t size) {
    const QList<QByteArray> values =
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).split('\0');
    const char *const keys[] = {"[PortParams]\nCom=",
                                "\nSpeed=",
                                "\n[PortDevices]\nCOM1=",
                                "\nCOM2=",
                                "\nCOM3=",
                                "\nCOM4="};
    QByteArray file;
    for (qsizetype i = 0; i < 6; ++i)
        file += keys[i] + values.value(i);
    return file + '\n';
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const QString path = scratchFile("settings.dev");
    const bool raw = size >= 1 && (data[0] == '[' || data[0] == ';');
    const QByteArray file = raw ? QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))
                                : shaped(data, size);
    if (!writeInput(path, reinterpret_cast<const uint8_t *>(file.constData()), size_t(file.size())))
        return 0;
    const DeviceSettings first = DeviceSettings::load(path);
    // Whatever the file says, the rate in use is one the printer knows.
    require(baudIndexOf(first.baudName) >= 0);
    // A port that is none of the four is said.
    require(portIndexOf(first.portName) >= 0 || !first.problem.isEmpty());
    if (DeviceSettings::savePortParams(path, first.portName, first.baudName)) {
        const DeviceSettings again = DeviceSettings::load(path);
        require(again.portName == first.portName && again.baudName == first.baudName);
        require(!first.problem.isEmpty() || again.ports.devices == first.ports.devices);
    }
    QFile::remove(path);
    return 0;
}
