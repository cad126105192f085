// What a platform does before a program of the project starts. Windows has no fork(): there the
// shader translator runs apart in a copy of the program started with --shader-translator, which
// ends here after serving its translations. Elsewhere this does nothing.
#pragma once

void startPlatform(int argc, char** argv);
