// The values are NVIDIA's (see cg.h); the names those its cgGetResourceString gives.
#include "CgResources.h"

#include "CgEntryParameters.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

// A run of resources of one kind: `count` of them from `first`, named `name` and their number
// (numbered from `firstNumber`), or `name` alone when `count` is 0.
struct Family {
    const char* name;
    int first;
    int count;
    int firstNumber = 0;
};

const Family FAMILIES[] = {
    {"texunit ", CG_TEXUNIT0, 16},
    {"ATTR", CG_ATTR0, 16},
    {"c", CG_C, 0},
    {"TEX", CG_TEX0, 3},
    {"TEX", CG_TEX3, 5, 3},
    {"HPOS", CG_HPOS, 0},
    {"COL", CG_COL0, 4},
    {"PSIZ", CG_PSIZ, 0},
    {"CLP", CG_CLP0, 6},
    {"WPOS", CG_WPOS, 0},
    {"POINTCOORD", CG_POINTCOORD, 0},
    {"POSITION", CG_POSITION0, 16},
    {"DIFFUSE", CG_DIFFUSE0, 1},
    {"TANGENT", CG_TANGENT0, 16},
    {"SPECULAR", CG_SPECULAR0, 1},
    {"BLENDINDICES", CG_BLENDINDICES0, 16},
    {"COLOR", CG_COLOR0, 16},
    {"PSIZE", CG_PSIZE0, 16},
    {"BINORMAL", CG_BINORMAL0, 16},
    {"FOG", CG_FOG0, 16},
    {"DEPTH", CG_DEPTH0, 16},
    {"SAMPLE", CG_SAMPLE0, 16},
    {"BLENDWEIGHT", CG_BLENDWEIGHT0, 16},
    {"NORMAL", CG_NORMAL0, 16},
    {"FOGCOORD", CG_FOGCOORD, 0},
    {"TEXCOORD", CG_TEXCOORD0, 16},
    {"TESSFACTOR", CG_TESSFACTOR, 0},
    {"CG_UNDEFINED", CG_UNDEFINED, 0},
    {"glsl_uniform", CG_GLSL_UNIFORM, 0},
    {"glsl_attrib", CG_GLSL_ATTRIB, 0},
};

const Family* familyOf(int value) {
    for (const Family& f : FAMILIES) {
        if (value == f.first || (value > f.first && value < f.first + f.count)) {
            return &f;
        }
    }
    return nullptr;
}

// The resource named `base` and `number` ("TEXCOORD", 3); CG_UNDEFINED when there is none.
CGresource named(const char* base, int number) {
    for (const Family& f : FAMILIES) {
        if (std::strcmp(f.name, base) != 0) {
            continue;
        }
        if (f.count == 0 ? number == 0
                         : number >= f.firstNumber && number < f.firstNumber + f.count) {
            return static_cast<CGresource>(f.first + (f.count == 0 ? 0 : number - f.firstNumber));
        }
    }
    return CG_UNDEFINED;
}

// A semantic and the resource it goes to: the one of the semantic's number, or of `number`.
struct Place {
    const char* semantic;
    const char* resource;
    int number = -1;
};

// arbvp1 reads the conventional inputs by their own names; TANGENT and BINORMAL are generic
// attributes. GLSL profiles read every input as a generic attribute, aliased as in
// ARB_vertex_program (vertexAttributeOf).
const Place ARB_VERTEX_INPUTS[] = {{"TANGENT", "ATTR", 14}, {"BINORMAL", "ATTR", 15}};
const Place VERTEX_OUTPUTS[] = {{"POSITION", "HPOS", 0}, {"HPOS", "HPOS", 0}, {"COLOR", "COL"},
                                {"COL", "COL"},          {"TEXCOORD", "TEX"}, {"TEX", "TEX"},
                                {"PSIZE", "PSIZ", 0},    {"PSIZ", "PSIZ", 0}, {"CLP", "CLP"}};
const Place FRAGMENT_INPUTS[] = {{"COLOR", "COL"}, {"COL", "COL"},      {"TEXCOORD", "TEX"},
                                 {"TEX", "TEX"},   {"WPOS", "WPOS", 0}, {"POSITION", "WPOS", 0}};
const Place FRAGMENT_OUTPUTS[] = {{"COLOR", "COL"}, {"COL", "COL"}};

template <std::size_t N>
CGresource placed(const Place (&places)[N], const std::string& base, int number,
                  CGresource otherwise) {
    for (const Place& p : places) {
        if (base == p.semantic) {
            if (p.number < 0) {
                return named(p.resource, number);
            }
            return number == 0 ? named(p.resource, p.number) : CG_UNDEFINED;
        }
    }
    return otherwise;
}

}  // namespace

namespace cgrt {

CGresource varyingResource(CGprofile profile, bool input, const std::string& semantic,
                           bool floatMember) {
    int number = 0;
    const std::string base = splitSemantic(semantic, number);
    const bool glsl = profile == CG_PROFILE_GLSLV || profile == CG_PROFILE_GLSLF;
    if (input && floatMember && base == "TEXCOORD" && profile == CG_PROFILE_GLSLF) {
        // The GLSL fragment profile names a struct's float member's coordinates as the source
        // does (a half or fixed one's as TEXn), and gives one whose semantic has no number none.
        return semantic.size() > base.size() ? named("TEXCOORD", number) : CG_UNDEFINED;
    }
    if (cgGetProfileDomain(profile) == CG_VERTEX_DOMAIN) {
        if (!input) {
            return placed(VERTEX_OUTPUTS, base, number, CG_UNDEFINED);
        }
        if (glsl) {
            // cgc declares a generic attribute under a name of its own, found by that name
            // rather than by a number the runtime could feed.
            const int attribute = vertexAttributeOf(semantic);
            return attribute < 0    ? CG_UNDEFINED
                   : base == "ATTR" ? CG_GLSL_ATTRIB
                                    : named("ATTR", attribute);
        }
        return placed(ARB_VERTEX_INPUTS, base, number, named(base.c_str(), number));
    }
    return input ? placed(FRAGMENT_INPUTS, base, number, CG_UNDEFINED)
                 : placed(FRAGMENT_OUTPUTS, base, number, CG_UNDEFINED);
}

CGresource baseResource(CGresource resource) {
    const Family* f = familyOf(resource);
    if (f == nullptr || f->count == 0) {
        return CG_UNDEFINED;
    }
    // TEX3 and on stand apart from TEX0..TEX2, and still count from TEX0.
    return f->firstNumber > 0 ? CG_TEX0 : static_cast<CGresource>(f->first);
}

unsigned long resourceIndex(CGresource resource) {
    const Family* f = familyOf(resource);
    return f == nullptr || f->count == 0
               ? 0
               : static_cast<unsigned long>(resource - f->first + f->firstNumber);
}

}  // namespace cgrt

extern "C" {

const char* cgGetResourceString(CGresource resource) {
    // Each name is made once and kept: callers hold the pointer.
    static std::string names[CG_GLSL_ATTRIB + 1];
    const Family* f = familyOf(resource);
    if (f == nullptr || resource < 0 || resource > CG_GLSL_ATTRIB) {
        return "";
    }
    std::string& name = names[resource];
    if (name.empty()) {
        name = f->name;
        if (f->count > 0) {
            name += std::to_string(cgrt::resourceIndex(resource));
        }
    }
    return name.c_str();
}

CGresource cgGetResource(const char* resourceString) {
    if (resourceString == nullptr) {
        return CG_UNDEFINED;
    }
    for (int value = CG_TEXUNIT0; value <= CG_GLSL_ATTRIB; ++value) {
        if (familyOf(value) != nullptr &&
            std::strcmp(cgGetResourceString(static_cast<CGresource>(value)), resourceString) == 0) {
            return static_cast<CGresource>(value);
        }
    }
    return CG_UNDEFINED;
}

}  // extern "C"
