// Translation in a child process on Windows, which has no fork(): the program starts itself again
// with TRANSLATOR_OPTION, and that copy serves translations over its standard input and output.
#pragma once

namespace cgrt {

constexpr const char* TRANSLATOR_OPTION = "--shader-translator";

// The child's side: translates one request after another until the program closes the pipe.
int serveTranslations();

}  // namespace cgrt
