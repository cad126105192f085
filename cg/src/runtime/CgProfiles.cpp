// The profiles: their names, their domains, and which of them this runtime compiles. Every OpenGL
// vertex profile becomes a GLSL vertex shader and every OpenGL fragment profile a GLSL fragment
// shader, so that a program written for arbvp1 or fp40 runs here as it is; which of them the
// current driver supports is the GL binding's (cgGLIsProfileSupported).
#include "CgState.h"

#include <cstring>

namespace {

struct Profile {
    CGprofile profile;
    const char* name;
    CGdomain domain;
    bool opengl;
};

constexpr Profile PROFILES[] = {
    {CG_PROFILE_UNKNOWN, "unknown", CG_UNKNOWN_DOMAIN, false},
    {CG_PROFILE_VP20, "vp20", CG_VERTEX_DOMAIN, true},
    {CG_PROFILE_FP20, "fp20", CG_FRAGMENT_DOMAIN, true},
    {CG_PROFILE_VP30, "vp30", CG_VERTEX_DOMAIN, true},
    {CG_PROFILE_FP30, "fp30", CG_FRAGMENT_DOMAIN, true},
    {CG_PROFILE_ARBVP1, "arbvp1", CG_VERTEX_DOMAIN, true},
    {CG_PROFILE_FP40, "fp40", CG_FRAGMENT_DOMAIN, true},
    {CG_PROFILE_ARBFP1, "arbfp1", CG_FRAGMENT_DOMAIN, true},
    {CG_PROFILE_VP40, "vp40", CG_VERTEX_DOMAIN, true},
    {CG_PROFILE_GLSLV, "glslv", CG_VERTEX_DOMAIN, true},
    {CG_PROFILE_GLSLF, "glslf", CG_FRAGMENT_DOMAIN, true},
    {CG_PROFILE_GLSLG, "glslg", CG_GEOMETRY_DOMAIN, true},
    {CG_PROFILE_GLSLC, "glslc", CG_UNKNOWN_DOMAIN, false},
    {CG_PROFILE_GP4FP, "gp4fp", CG_FRAGMENT_DOMAIN, true},
    {CG_PROFILE_GP4VP, "gp4vp", CG_VERTEX_DOMAIN, true},
    {CG_PROFILE_GP4GP, "gp4gp", CG_GEOMETRY_DOMAIN, true},
    {CG_PROFILE_GP5FP, "gp5fp", CG_FRAGMENT_DOMAIN, true},
    {CG_PROFILE_GP5VP, "gp5vp", CG_VERTEX_DOMAIN, true},
    {CG_PROFILE_GP5GP, "gp5gp", CG_GEOMETRY_DOMAIN, true},
    {CG_PROFILE_GP5TCP, "gp5tcp", CG_TESSELLATION_CONTROL_DOMAIN, true},
    {CG_PROFILE_GP5TEP, "gp5tep", CG_TESSELLATION_EVALUATION_DOMAIN, true},
    {CG_PROFILE_VS_1_1, "vs_1_1", CG_VERTEX_DOMAIN, false},
    {CG_PROFILE_VS_2_0, "vs_2_0", CG_VERTEX_DOMAIN, false},
    {CG_PROFILE_VS_2_X, "vs_2_x", CG_VERTEX_DOMAIN, false},
    {CG_PROFILE_VS_2_SW, "vs_2_sw", CG_VERTEX_DOMAIN, false},
    {CG_PROFILE_VS_3_0, "vs_3_0", CG_VERTEX_DOMAIN, false},
    {CG_PROFILE_HLSLV, "hlslv", CG_VERTEX_DOMAIN, false},
    {CG_PROFILE_PS_1_1, "ps_1_1", CG_FRAGMENT_DOMAIN, false},
    {CG_PROFILE_PS_1_2, "ps_1_2", CG_FRAGMENT_DOMAIN, false},
    {CG_PROFILE_PS_1_3, "ps_1_3", CG_FRAGMENT_DOMAIN, false},
    {CG_PROFILE_PS_2_0, "ps_2_0", CG_FRAGMENT_DOMAIN, false},
    {CG_PROFILE_PS_2_X, "ps_2_x", CG_FRAGMENT_DOMAIN, false},
    {CG_PROFILE_PS_2_SW, "ps_2_sw", CG_FRAGMENT_DOMAIN, false},
    {CG_PROFILE_PS_3_0, "ps_3_0", CG_FRAGMENT_DOMAIN, false},
    {CG_PROFILE_HLSLF, "hlslf", CG_FRAGMENT_DOMAIN, false},
    {CG_PROFILE_VS_4_0, "vs_4_0", CG_VERTEX_DOMAIN, false},
    {CG_PROFILE_PS_4_0, "ps_4_0", CG_FRAGMENT_DOMAIN, false},
    {CG_PROFILE_GS_4_0, "gs_4_0", CG_GEOMETRY_DOMAIN, false},
    {CG_PROFILE_VS_5_0, "vs_5_0", CG_VERTEX_DOMAIN, false},
    {CG_PROFILE_PS_5_0, "ps_5_0", CG_FRAGMENT_DOMAIN, false},
    {CG_PROFILE_GS_5_0, "gs_5_0", CG_GEOMETRY_DOMAIN, false},
    {CG_PROFILE_HS_5_0, "hs_5_0", CG_TESSELLATION_CONTROL_DOMAIN, false},
    {CG_PROFILE_DS_5_0, "ds_5_0", CG_TESSELLATION_EVALUATION_DOMAIN, false},
    {CG_PROFILE_GENERIC, "generic", CG_UNKNOWN_DOMAIN, false},
};

const Profile* find(CGprofile profile) {
    for (const Profile& p : PROFILES) {
        if (p.profile == profile) {
            return &p;
        }
    }
    return nullptr;
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

CGdomain cgGetProfileDomain(CGprofile profile) {
    const Profile* p = find(profile);
    return p != nullptr ? p->domain : CG_UNKNOWN_DOMAIN;
}

}  // extern "C"
