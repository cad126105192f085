// The profiles: their names, their domains, and which of them this runtime compiles. Every OpenGL
// vertex profile becomes a GLSL vertex shader and every OpenGL fragment profile a GLSL fragment
// shader, so that a program written for arbvp1 or fp40 runs here as it is; which of them the
// current driver supports is the GL binding's (cgGLIsProfileSupported).
#include "CgState.h"

#include <cstring>

namespace {

// What cgGetProfileProperty says of a profile besides its API and domain.
enum Trait : unsigned {
    D3D8 = 1u << 0,
    D3D9 = 1u << 1,
    D3D10 = 1u << 2,
    D3D11 = 1u << 3,
    TRANSLATION = 1u << 4,  // compiles to another shading language's source
    HLSL = 1u << 5,
    GLSL = 1u << 6,
    UNSUPPORTED = 1u << 7,  // no query about it is valid
};

struct Profile {
    CGprofile profile;
    const char* name;
    CGdomain domain;
    bool opengl;
    unsigned traits;
};

constexpr Profile PROFILES[] = {
    {CG_PROFILE_UNKNOWN, "unknown", CG_UNKNOWN_DOMAIN, false, UNSUPPORTED},
    {CG_PROFILE_VP20, "vp20", CG_VERTEX_DOMAIN, true, 0},
    {CG_PROFILE_FP20, "fp20", CG_FRAGMENT_DOMAIN, true, 0},
    {CG_PROFILE_VP30, "vp30", CG_VERTEX_DOMAIN, true, 0},
    {CG_PROFILE_FP30, "fp30", CG_FRAGMENT_DOMAIN, true, 0},
    {CG_PROFILE_ARBVP1, "arbvp1", CG_VERTEX_DOMAIN, true, 0},
    {CG_PROFILE_FP40, "fp40", CG_FRAGMENT_DOMAIN, true, 0},
    {CG_PROFILE_ARBFP1, "arbfp1", CG_FRAGMENT_DOMAIN, true, 0},
    {CG_PROFILE_VP40, "vp40", CG_VERTEX_DOMAIN, true, 0},
    {CG_PROFILE_GLSLV, "glslv", CG_VERTEX_DOMAIN, true, TRANSLATION | GLSL},
    {CG_PROFILE_GLSLF, "glslf", CG_FRAGMENT_DOMAIN, true, TRANSLATION | GLSL},
    {CG_PROFILE_GLSLG, "glslg", CG_GEOMETRY_DOMAIN, true, TRANSLATION | GLSL},
    {CG_PROFILE_GLSLC, "glslc", CG_UNKNOWN_DOMAIN, false, UNSUPPORTED},
    {CG_PROFILE_GP4FP, "gp4fp", CG_FRAGMENT_DOMAIN, true, 0},
    {CG_PROFILE_GP4VP, "gp4vp", CG_VERTEX_DOMAIN, true, 0},
    {CG_PROFILE_GP4GP, "gp4gp", CG_GEOMETRY_DOMAIN, true, 0},
    {CG_PROFILE_GP5FP, "gp5fp", CG_FRAGMENT_DOMAIN, true, 0},
    {CG_PROFILE_GP5VP, "gp5vp", CG_VERTEX_DOMAIN, true, 0},
    {CG_PROFILE_GP5GP, "gp5gp", CG_GEOMETRY_DOMAIN, true, 0},
    {CG_PROFILE_GP5TCP, "gp5tcp", CG_TESSELLATION_CONTROL_DOMAIN, true, 0},
    {CG_PROFILE_GP5TEP, "gp5tep", CG_TESSELLATION_EVALUATION_DOMAIN, true, 0},
    {CG_PROFILE_VS_1_1, "vs_1_1", CG_VERTEX_DOMAIN, false, D3D8},
    {CG_PROFILE_VS_2_0, "vs_2_0", CG_VERTEX_DOMAIN, false, D3D9},
    {CG_PROFILE_VS_2_X, "vs_2_x", CG_VERTEX_DOMAIN, false, D3D9},
    {CG_PROFILE_VS_2_SW, "vs_2_sw", CG_VERTEX_DOMAIN, false, D3D9},
    {CG_PROFILE_VS_3_0, "vs_3_0", CG_VERTEX_DOMAIN, false, D3D9},
    {CG_PROFILE_HLSLV, "hlslv", CG_VERTEX_DOMAIN, false, D3D9 | TRANSLATION | HLSL},
    {CG_PROFILE_PS_1_1, "ps_1_1", CG_FRAGMENT_DOMAIN, false, D3D8},
    {CG_PROFILE_PS_1_2, "ps_1_2", CG_FRAGMENT_DOMAIN, false, D3D8},
    {CG_PROFILE_PS_1_3, "ps_1_3", CG_FRAGMENT_DOMAIN, false, D3D8},
    {CG_PROFILE_PS_2_0, "ps_2_0", CG_FRAGMENT_DOMAIN, false, D3D9},
    {CG_PROFILE_PS_2_X, "ps_2_x", CG_FRAGMENT_DOMAIN, false, D3D9},
    {CG_PROFILE_PS_2_SW, "ps_2_sw", CG_FRAGMENT_DOMAIN, false, D3D9},
    {CG_PROFILE_PS_3_0, "ps_3_0", CG_FRAGMENT_DOMAIN, false, D3D9},
    {CG_PROFILE_HLSLF, "hlslf", CG_FRAGMENT_DOMAIN, false, D3D9 | TRANSLATION | HLSL},
    {CG_PROFILE_VS_4_0, "vs_4_0", CG_VERTEX_DOMAIN, false, D3D10 | TRANSLATION | HLSL},
    {CG_PROFILE_PS_4_0, "ps_4_0", CG_FRAGMENT_DOMAIN, false, D3D10 | TRANSLATION | HLSL},
    {CG_PROFILE_GS_4_0, "gs_4_0", CG_GEOMETRY_DOMAIN, false, D3D10 | TRANSLATION | HLSL},
    {CG_PROFILE_VS_5_0, "vs_5_0", CG_VERTEX_DOMAIN, false, D3D11 | TRANSLATION | HLSL},
    {CG_PROFILE_PS_5_0, "ps_5_0", CG_FRAGMENT_DOMAIN, false, D3D11 | TRANSLATION | HLSL},
    {CG_PROFILE_GS_5_0, "gs_5_0", CG_GEOMETRY_DOMAIN, false, D3D11 | TRANSLATION | HLSL},
    {CG_PROFILE_HS_5_0, "hs_5_0", CG_TESSELLATION_CONTROL_DOMAIN, false,
     D3D11 | TRANSLATION | HLSL},
    {CG_PROFILE_DS_5_0, "ds_5_0", CG_TESSELLATION_EVALUATION_DOMAIN, false,
     D3D11 | TRANSLATION | HLSL},
    {CG_PROFILE_GENERIC, "generic", CG_UNKNOWN_DOMAIN, false, 0},
};

const Profile* find(CGprofile profile) {
    for (const Profile& p : PROFILES) {
        if (p.profile == profile) {
            return &p;
        }
    }
    return nullptr;
}

bool hasProperty(const Profile& p, CGenum query) {
    const bool direct3d = (p.traits & (D3D8 | D3D9 | D3D10 | D3D11)) != 0;
    switch (query) {
        case CG_IS_OPENGL_PROFILE:
            return p.opengl;
        case CG_IS_DIRECT3D_PROFILE:
            return direct3d;
        case CG_IS_DIRECT3D_8_PROFILE:
            return (p.traits & D3D8) != 0;
        case CG_IS_DIRECT3D_9_PROFILE:
            return (p.traits & D3D9) != 0;
        case CG_IS_DIRECT3D_10_PROFILE:
            return (p.traits & D3D10) != 0;
        case CG_IS_DIRECT3D_11_PROFILE:
            return (p.traits & D3D11) != 0;
        case CG_IS_VERTEX_PROFILE:
            return p.domain == CG_VERTEX_DOMAIN;
        case CG_IS_FRAGMENT_PROFILE:
            return p.domain == CG_FRAGMENT_DOMAIN;
        case CG_IS_GEOMETRY_PROFILE:
            return p.domain == CG_GEOMETRY_DOMAIN;
        case CG_IS_TESSELLATION_CONTROL_PROFILE:
            return p.domain == CG_TESSELLATION_CONTROL_DOMAIN;
        case CG_IS_TESSELLATION_EVALUATION_PROFILE:
            return p.domain == CG_TESSELLATION_EVALUATION_DOMAIN;
        case CG_IS_TRANSLATION_PROFILE:
            return (p.traits & TRANSLATION) != 0;
        case CG_IS_HLSL_PROFILE:
            return (p.traits & HLSL) != 0;
        case CG_IS_GLSL_PROFILE:
            return (p.traits & GLSL) != 0;
        default:
            return false;
    }
}

bool isPropertyQuery(CGenum query) {
    return (query >= CG_IS_OPENGL_PROFILE && query <= CG_IS_TESSELLATION_EVALUATION_PROFILE) ||
           query == CG_IS_DIRECT3D_11_PROFILE;
}

}  // namespace

namespace cgrt {

int profileSlot(CGprofile profile) {
    const Profile* p = find(profile);
    if (p == nullptr || !p->opengl) {
        return -1;
    }
    return p->domain == CG_VERTEX_DOMAIN ? 0 : p->domain == CG_FRAGMENT_DOMAIN ? 1 : -1;
}

std::vector<std::string> profileOptionNames(CGprofile profile) {
    switch (profile) {
        case CG_PROFILE_ARBVP1:
            return {"NumTemps", "MaxInstructions", "MaxAddressRegs", "MaxLocalParams", "PosInv"};
        case CG_PROFILE_ARBFP1:
            return {"NumTemps",
                    "NumInstructionSlots",
                    "NumTexInstructionSlots",
                    "NumMathInstructionSlots",
                    "MaxTexIndirections",
                    "MaxLocalParams",
                    "MaxDrawBuffers",
                    "ARB_draw_buffers",
                    "ATI_draw_buffers"};
        case CG_PROFILE_GLSLV:
        case CG_PROFILE_GLSLF:
            return {"ATI_draw_buffers", "EXT_gpu_shader4", "ARB_draw_instanced",
                    "ARB_uniform_buffer_object"};
        default:
            return {};
    }
}

}  // namespace cgrt

extern "C" {

CGprofile cgGetProfile(const char* profileString) {
    if (profileString != nullptr) {
        for (const Profile& p : PROFILES) {
            if (std::strcmp(p.name, profileString) == 0) {
                return p.profile;
            }
        }
    }
    return CG_PROFILE_UNKNOWN;
}

const char* cgGetProfileString(CGprofile profile) {
    const Profile* p = find(profile);
    return p != nullptr ? p->name : "";
}

CGbool cgGetProfileProperty(CGprofile profile, CGenum query) {
    const Profile* p = find(profile);
    if (p == nullptr || !isPropertyQuery(query)) {
        cgrt::raise(CG_INVALID_ENUMERANT_ERROR);
        return CG_FALSE;
    }
    if ((p->traits & UNSUPPORTED) != 0) {
        cgrt::raise(CG_INVALID_PARAMETER_ERROR);
        return CG_FALSE;
    }
    return hasProperty(*p, query) ? CG_TRUE : CG_FALSE;
}

CGdomain cgGetProfileDomain(CGprofile profile) {
    const Profile* p = find(profile);
    return p != nullptr ? p->domain : CG_UNKNOWN_DOMAIN;
}

}  // extern "C"
