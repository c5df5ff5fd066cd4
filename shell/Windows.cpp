#include "Windows.h"

#include "About.h"
#include "KvorMain.h"
#include "PortParams.h"

void wireWindows(TAutoControl &main) {
    // Made at start, after the main window; they live as its children until the program ends.
    auto *about = new TAboutBox(&main);
    auto *portForms = new TPortForms(main, &main);

    main.setWindowOpener(Window::About, [about] { about->exec(); });
    main.setWindowOpener(Window::PortForms, [portForms] { portForms->show(); });
}
