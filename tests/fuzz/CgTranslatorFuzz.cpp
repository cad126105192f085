// libFuzzer target over what the Cg layer does with a source before the GL driver sees it:
// translation to GLSL and the parameter list that the runtime builds from it.
//
// The first byte picks the stage and the entry name, the rest is the source text:
//   bit 0       0 = vertex program, 1 = fragment program
//   bits 1..7   entry name, ENTRIES[(byte >> 1) % 4]
#include "CgTranslator.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

namespace {

// The entries the demo names, and the runtime's default when the caller gives none. The empty
// name is one a caller can pass as well.
const char* const ENTRIES[] = {"main", "vp_shadowMapping", "fp_shadowMapping", ""};

[[noreturn]] void fail(const char* what, const cgrt::Translation& t) {
    std::fprintf(stderr, "broken translation: %s\n--- listing\n%s\n--- glsl\n%s\n", what,
                 t.listing.c_str(), t.glsl.c_str());
    std::abort();
}

// What the runtime relies on when it turns the uniforms into parameters: it indexes a table by
// a vector's component count and picks a matrix type from its size.
void checkUniform(const cgrt::Uniform& u, const cgrt::Translation& t) {
    if (u.name.empty() || u.glslName.empty()) {
        fail("a uniform without a name", t);
    }
    switch (u.kind) {
        case cgrt::UniformKind::Vector:
            if (u.components < 1 || u.components > 4) {
                fail("a vector uniform with a component count outside 1..4", t);
            }
            break;
        case cgrt::UniformKind::Matrix:
            if (u.components != 4 && u.components != 9 && u.components != 16) {
                fail("a matrix uniform that is not 2x2, 3x3 or 4x4", t);
            }
            break;
        case cgrt::UniformKind::Sampler:
            if (u.samplerTarget == cgrt::SamplerTarget::None) {
                fail("a sampler uniform without a texture target", t);
            }
            break;
        case cgrt::UniformKind::Other:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) {
        return -1;
    }
    const cgrt::Stage stage = (data[0] & 1) != 0 ? cgrt::Stage::Fragment : cgrt::Stage::Vertex;
    const std::string entry = ENTRIES[(data[0] >> 1) % 4];
    const std::string_view source(reinterpret_cast<const char*>(data + 1), size - 1);

    const cgrt::Translation t = cgrt::translate(source, "fuzz.cg", stage, entry);
    if (!t.ok) {
        // The caller prints the listing as the reason: a failure must always give one.
        if (t.listing.find("error") == std::string::npos) {
            fail("a failure whose listing names no error", t);
        }
        return 0;
    }
    if (t.glsl.rfind("#version 120\n", 0) != 0) {
        fail("GLSL that does not start with #version 120", t);
    }
    std::set<std::string> glslNames;
    for (const cgrt::Uniform& u : t.uniforms) {
        checkUniform(u, t);
        // The runtime looks each parameter up by its GLSL name: two must not share one.
        if (!glslNames.insert(u.glslName).second) {
            fail("two uniforms share a GLSL name", t);
        }
    }
    return 0;
}
