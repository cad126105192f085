// The web's shader layer translates in the page itself: WebAssembly has no processes to keep a
// crash of the compiler apart. It writes the GLSL ES that WebGL 1 takes.
#include "CgIsolation.h"

namespace cgrt {

// The page has one thread: there is nothing to do ahead.
void prepareTranslations() {}

Translation translateApart(std::string_view source, const std::string& name, Stage stage,
                           const std::string& entry, std::chrono::milliseconds) {
    return translate(source, name, stage, entry, Dialect::GlslEs100);
}

}  // namespace cgrt
