// Linux and the web have no translator to serve. A reader that has gone (`shadow-demo | true`)
// loses the messages, not the exit status: the write fails instead of ending the program.
#include "PlatformStart.h"

#include <csignal>

#include "CgIsolation.h"

void startPlatform(int, char**) {
    std::signal(SIGPIPE, SIG_IGN);
    // The shaders' translation gets ready while the window opens.
    cgrt::prepareTranslations();
}
