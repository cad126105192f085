// libCg.so starts its translator child as it is loaded: the child (a program started afresh, no
// fork of the host) builds glslang's tables while the host opens its window, so that the first
// program a host creates does not wait for them. A host that never translates ends the idle child
// at no cost when it ends.
#include "CgIsolation.h"

namespace {

__attribute__((constructor)) void startTranslatorAhead() {
    cgrt::prepareTranslations();
}

}  // namespace
