// Vertex arrays feeding a vertex program's varying inputs, as NVIDIA's arbvp1 feeds them: the
// conventional inputs through GL's own arrays (glVertexPointer, glTexCoordPointer on the unit of
// the coordinate set...), the others through the generic attribute the translation reads them
// from (cgAttr<n>, bound to attribute n).
#include "CgState.h"

#include <Cg/cgGL.h>

namespace {

enum class Array { None, Vertex, Normal, Color, SecondaryColor, TexCoord, FogCoord, Generic };

struct Feed {
    Array array = Array::None;
    int index = 0;  // the coordinate set, or the generic attribute
};

// The generic attributes NVIDIA's profiles read these semantics from (the translation's too).
constexpr std::pair<const char*, int> GENERIC_SEMANTICS[] = {
    {"BLENDWEIGHT", 1}, {"PSIZE", 6}, {"BLENDINDICES", 7}, {"TANGENT", 14}, {"BINORMAL", 15}};

Feed feedOf(const std::string& semantic) {
    int n = 0;
    const std::string base = cgrt::splitSemantic(semantic, n);
    if ((base == "POSITION" || base == "ATTR") && n == 0) {
        return {Array::Vertex};
    }
    if (base == "NORMAL" && n == 0) {
        return {Array::Normal};
    }
    if ((base == "COLOR" && n == 0) || base == "DIFFUSE") {
        return {Array::Color};
    }
    if ((base == "COLOR" && n == 1) || base == "SPECULAR") {
        return {Array::SecondaryColor};
    }
    if (base == "TEXCOORD" && n < 8) {
        return {Array::TexCoord, n};
    }
    if (base == "FOGCOORD" && n == 0) {
        return {Array::FogCoord};
    }
    if (base == "ATTR" && n < 16) {
        return {Array::Generic, n};
    }
    for (const auto& [name, attribute] : GENERIC_SEMANTICS) {
        if (base == name && n == 0) {
            return {Array::Generic, attribute};
        }
    }
    return {};
}

// A varying input of a vertex program that the runtime feeds; in the GLSL profiles not one that
// cgc declares under a name of its own (CG_GLSL_ATTRIB), which NVIDIA's runtime refuses to feed.
bool isVertexInput(const CgParameterState& param) {
    return param.variability == CG_VARYING && param.direction != CG_OUT &&
           param.program->stage == cgrt::Stage::Vertex && param.type != CG_STRUCT &&
           param.resource != CG_GLSL_ATTRIB;
}

// The feed of a vertex program's varying input; CG_INVALID_PARAMETER_ERROR (and no feed) for any
// other parameter, and for an input the code does not read, as NVIDIA's runtime refuses one.
Feed feedOf(CGparameter param) {
    if (!cgrt::isValid(param)) {
        cgrt::raise(CG_INVALID_PARAM_HANDLE_ERROR);
        return {};
    }
    if (!isVertexInput(*param) || !param->referenced) {
        cgrt::raise(CG_INVALID_PARAMETER_ERROR);
        return {};
    }
    return feedOf(param->semantic);
}

// GL's current secondary colour, or fog coordinate; Emscripten's GL emulation has neither.
void setSecondaryCurrent(Array array, const float* v) {
#ifdef __EMSCRIPTEN__
    (void)array, (void)v;
#else
    if (array == Array::SecondaryColor) {
        glSecondaryColor3f(v[0], v[1], v[2]);
    } else {
        glFogCoordf(v[0]);
    }
#endif
}

// GL's current texture coordinate of set `set`; Emscripten's GL emulation has no multitexture
// current values.
void setTexCoordCurrent(int set, const float* v) {
#ifdef __EMSCRIPTEN__
    (void)set, (void)v;
#else
    glMultiTexCoord4f(GL_TEXTURE0 + static_cast<GLenum>(set), v[0], v[1], v[2], v[3]);
#endif
}

// GL's current value of the attribute `feed` names. A vertex position has none: GL takes it as a
// vertex of its own, so it is left alone.
void setCurrent(const Feed& feed, const float* v) {
    switch (feed.array) {
        case Array::None:
        case Array::Vertex:
            return;
        case Array::Normal:
            glNormal3f(v[0], v[1], v[2]);
            return;
        case Array::Color:
            glColor4f(v[0], v[1], v[2], v[3]);
            return;
        case Array::SecondaryColor:
        case Array::FogCoord:
            setSecondaryCurrent(feed.array, v);
            return;
        case Array::TexCoord:
            setTexCoordCurrent(feed.index, v);
            return;
        case Array::Generic:
            glVertexAttrib4f(static_cast<GLuint>(feed.index), v[0], v[1], v[2], v[3]);
            return;
    }
}

// Runs `use` with the client texture unit of coordinate set `set` active, then gives the unit
// that was active back.
template <typename Use>
void onClientUnit(int set, Use use) {
    GLint active = GL_TEXTURE0;
    glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &active);
    glClientActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(set));
    use();
    glClientActiveTexture(static_cast<GLenum>(active));
}

GLenum clientStateOf(Array array) {
    switch (array) {
        case Array::Vertex:
            return GL_VERTEX_ARRAY;
        case Array::Normal:
            return GL_NORMAL_ARRAY;
        case Array::Color:
            return GL_COLOR_ARRAY;
        case Array::SecondaryColor:
            return GL_SECONDARY_COLOR_ARRAY;
        case Array::FogCoord:
            return GL_FOG_COORD_ARRAY;
        default:
            return GL_TEXTURE_COORD_ARRAY;
    }
}

// The secondary colour's array or the fog coordinate's. Emscripten's GL emulation has neither:
// there the inputs read what GL gives an attribute without an array.
void setSecondaryPointer(Array array, GLint fsize, GLenum type, GLsizei stride,
                         const void* pointer) {
#ifdef __EMSCRIPTEN__
    (void)array, (void)fsize, (void)type, (void)stride, (void)pointer;
#else
    if (array == Array::SecondaryColor) {
        glSecondaryColorPointer(fsize, type, stride, pointer);
    } else {
        glFogCoordPointer(type, stride, pointer);
    }
#endif
}

void setClientState(CGparameter param, bool enable) {
    const Feed feed = feedOf(param);
    if (feed.array == Array::None) {
        return;
    }
    if (feed.array == Array::Generic) {
        const auto attribute = static_cast<GLuint>(feed.index);
        enable ? glEnableVertexAttribArray(attribute) : glDisableVertexAttribArray(attribute);
        return;
    }
    const GLenum state = clientStateOf(feed.array);
    const auto set = [state, enable] {
        enable ? glEnableClientState(state) : glDisableClientState(state);
    };
    if (feed.array == Array::TexCoord) {
        onClientUnit(feed.index, set);
    } else {
        set();
    }
}

}  // namespace

void cgrt::setCurrentVarying(CGparameter param, int count, const float* values) {
    if (!isVertexInput(*param)) {
        cgrt::raise(CG_INVALID_PARAMETER_ERROR);
        return;
    }
    // An input the code does not read takes the value without a word, as NVIDIA's runtime takes it.
    if (!param->referenced) {
        return;
    }
    const Feed feed = feedOf(param->semantic);
    // The components not given read as GL's defaults (0, 0, 1), but a colour, which GL has no
    // one- or two-component form of, repeats its last given component up to blue, as NVIDIA's
    // runtime sends it.
    float v[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    for (int i = 0; i < 4 && i < count; ++i) {
        v[i] = values[i];
    }
    for (int i = count; feed.array == Array::Color && count > 0 && i < 3; ++i) {
        v[i] = v[count - 1];
    }
    setCurrent(feed, v);
}

extern "C" {

void cgGLSetParameterPointer(CGparameter param, GLint fsize, GLenum type, GLsizei stride,
                             const void* pointer) {
    const Feed feed = feedOf(param);
    switch (feed.array) {
        case Array::None:
            return;
        case Array::Vertex:
            glVertexPointer(fsize, type, stride, pointer);
            return;
        case Array::Normal:
            // GL's normals have three components whatever the caller says.
            glNormalPointer(type, stride, pointer);
            return;
        case Array::Color:
            glColorPointer(fsize, type, stride, pointer);
            return;
        case Array::SecondaryColor:
        case Array::FogCoord:
            setSecondaryPointer(feed.array, fsize, type, stride, pointer);
            return;
        case Array::TexCoord:
            onClientUnit(feed.index, [&] { glTexCoordPointer(fsize, type, stride, pointer); });
            return;
        case Array::Generic:
            glVertexAttribPointer(static_cast<GLuint>(feed.index), fsize, type, GL_FALSE, stride,
                                  pointer);
            return;
    }
}

void cgGLEnableClientState(CGparameter param) {
    setClientState(param, true);
}

void cgGLDisableClientState(CGparameter param) {
    setClientState(param, false);
}

}  // extern "C"
