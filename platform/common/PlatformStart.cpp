// Linux and the web have no translator to serve (on Linux libCg.so starts its own child as it
// loads). A reader that has gone (`shadow-demo | true`)
// loses the messages, not the exit status: the write fails instead of ending the program.
#include "PlatformStart.h"

#include <csignal>

void startPlatform(int, char**) {
    std::signal(SIGPIPE, SIG_IGN);
}
