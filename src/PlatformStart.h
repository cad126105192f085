// What a platform does before a program of the project starts. Windows has no fork(): there the
// shader translator runs apart in a copy of the program started with --shader-translator, which
// ends here after serving its translations. On Linux and the web a closed output only loses
// the messages written to it, never the program's exit status.
#pragma once

void startPlatform(int argc, char** argv);
