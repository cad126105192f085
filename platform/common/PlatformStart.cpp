// Linux and the web need nothing before the program starts.
#include "PlatformStart.h"

void startPlatform(int, char**) {}
