// Types, enumerants and the shape of a parameter's type, named and classified as NVIDIA's runtime
// names and classifies them.
#include "CgState.h"

#include <cctype>
#include <cstring>

namespace {

struct TypeName {
    CGtype type;
    const char* name;
};

// Every type cg.h names, with the name cgGetTypeString gives it.
constexpr TypeName TYPE_NAMES[] = {
    {CG_UNKNOWN_TYPE, "unknown"},
    {CG_STRUCT, "struct"},
    {CG_ARRAY, "array"},
    {CG_TYPELESS_STRUCT, "typelessstruct"},
    {CG_HALF, "half"},
    {CG_HALF2, "half2"},
    {CG_HALF3, "half3"},
    {CG_HALF4, "half4"},
    {CG_HALF1x1, "half1x1"},
    {CG_HALF1x2, "half1x2"},
    {CG_HALF1x3, "half1x3"},
    {CG_HALF1x4, "half1x4"},
    {CG_HALF2x1, "half2x1"},
    {CG_HALF2x2, "half2x2"},
    {CG_HALF2x3, "half2x3"},
    {CG_HALF2x4, "half2x4"},
    {CG_HALF3x1, "half3x1"},
    {CG_HALF3x2, "half3x2"},
    {CG_HALF3x3, "half3x3"},
    {CG_HALF3x4, "half3x4"},
    {CG_HALF4x1, "half4x1"},
    {CG_HALF4x2, "half4x2"},
    {CG_HALF4x3, "half4x3"},
    {CG_HALF4x4, "half4x4"},
    {CG_FLOAT, "float"},
    {CG_FLOAT2, "float2"},
    {CG_FLOAT3, "float3"},
    {CG_FLOAT4, "float4"},
    {CG_FLOAT1x1, "float1x1"},
    {CG_FLOAT1x2, "float1x2"},
    {CG_FLOAT1x3, "float1x3"},
    {CG_FLOAT1x4, "float1x4"},
    {CG_FLOAT2x1, "float2x1"},
    {CG_FLOAT2x2, "float2x2"},
    {CG_FLOAT2x3, "float2x3"},
    {CG_FLOAT2x4, "float2x4"},
    {CG_FLOAT3x1, "float3x1"},
    {CG_FLOAT3x2, "float3x2"},
    {CG_FLOAT3x3, "float3x3"},
    {CG_FLOAT3x4, "float3x4"},
    {CG_FLOAT4x1, "float4x1"},
    {CG_FLOAT4x2, "float4x2"},
    {CG_FLOAT4x3, "float4x3"},
    {CG_FLOAT4x4, "float4x4"},
    {CG_SAMPLER1D, "sampler1D"},
    {CG_SAMPLER2D, "sampler2D"},
    {CG_SAMPLER3D, "sampler3D"},
    {CG_SAMPLERRECT, "samplerRECT"},
    {CG_SAMPLERCUBE, "samplerCUBE"},
    {CG_FIXED, "fixed"},
    {CG_FIXED2, "fixed2"},
    {CG_FIXED3, "fixed3"},
    {CG_FIXED4, "fixed4"},
    {CG_FIXED1x1, "fixed1x1"},
    {CG_FIXED1x2, "fixed1x2"},
    {CG_FIXED1x3, "fixed1x3"},
    {CG_FIXED1x4, "fixed1x4"},
    {CG_FIXED2x1, "fixed2x1"},
    {CG_FIXED2x2, "fixed2x2"},
    {CG_FIXED2x3, "fixed2x3"},
    {CG_FIXED2x4, "fixed2x4"},
    {CG_FIXED3x1, "fixed3x1"},
    {CG_FIXED3x2, "fixed3x2"},
    {CG_FIXED3x3, "fixed3x3"},
    {CG_FIXED3x4, "fixed3x4"},
    {CG_FIXED4x1, "fixed4x1"},
    {CG_FIXED4x2, "fixed4x2"},
    {CG_FIXED4x3, "fixed4x3"},
    {CG_FIXED4x4, "fixed4x4"},
    {CG_HALF1, "half1"},
    {CG_FLOAT1, "float1"},
    {CG_FIXED1, "fixed1"},
    {CG_INT, "int"},
    {CG_INT1, "int1"},
    {CG_INT2, "int2"},
    {CG_INT3, "int3"},
    {CG_INT4, "int4"},
    {CG_INT1x1, "int1x1"},
    {CG_INT1x2, "int1x2"},
    {CG_INT1x3, "int1x3"},
    {CG_INT1x4, "int1x4"},
    {CG_INT2x1, "int2x1"},
    {CG_INT2x2, "int2x2"},
    {CG_INT2x3, "int2x3"},
    {CG_INT2x4, "int2x4"},
    {CG_INT3x1, "int3x1"},
    {CG_INT3x2, "int3x2"},
    {CG_INT3x3, "int3x3"},
    {CG_INT3x4, "int3x4"},
    {CG_INT4x1, "int4x1"},
    {CG_INT4x2, "int4x2"},
    {CG_INT4x3, "int4x3"},
    {CG_INT4x4, "int4x4"},
    {CG_BOOL, "bool"},
    {CG_BOOL1, "bool1"},
    {CG_BOOL2, "bool2"},
    {CG_BOOL3, "bool3"},
    {CG_BOOL4, "bool4"},
    {CG_BOOL1x1, "bool1x1"},
    {CG_BOOL1x2, "bool1x2"},
    {CG_BOOL1x3, "bool1x3"},
    {CG_BOOL1x4, "bool1x4"},
    {CG_BOOL2x1, "bool2x1"},
    {CG_BOOL2x2, "bool2x2"},
    {CG_BOOL2x3, "bool2x3"},
    {CG_BOOL2x4, "bool2x4"},
    {CG_BOOL3x1, "bool3x1"},
    {CG_BOOL3x2, "bool3x2"},
    {CG_BOOL3x3, "bool3x3"},
    {CG_BOOL3x4, "bool3x4"},
    {CG_BOOL4x1, "bool4x1"},
    {CG_BOOL4x2, "bool4x2"},
    {CG_BOOL4x3, "bool4x3"},
    {CG_BOOL4x4, "bool4x4"},
    {CG_STRING, "string"},
    {CG_PROGRAM_TYPE, "program"},
    {CG_TEXTURE, "texture"},
    {CG_SAMPLER1DARRAY, "sampler1DARRAY"},
    {CG_SAMPLER2DARRAY, "sampler2DARRAY"},
    {CG_SAMPLERCUBEARRAY, "samplerCUBEARRAY"},
    {CG_VERTEXSHADER_TYPE, "vertexshader"},
    {CG_PIXELSHADER_TYPE, "pixelshader"},
    {CG_SAMPLER, "sampler"},
    {CG_SAMPLERBUF, "samplerBUF"},
    {CG_DOUBLE, "double"},
    {CG_DOUBLE1, "double1"},
    {CG_DOUBLE2, "double2"},
    {CG_DOUBLE3, "double3"},
    {CG_DOUBLE4, "double4"},
    {CG_DOUBLE1x1, "double1x1"},
    {CG_DOUBLE1x2, "double1x2"},
    {CG_DOUBLE1x3, "double1x3"},
    {CG_DOUBLE1x4, "double1x4"},
    {CG_DOUBLE2x1, "double2x1"},
    {CG_DOUBLE2x2, "double2x2"},
    {CG_DOUBLE2x3, "double2x3"},
    {CG_DOUBLE2x4, "double2x4"},
    {CG_DOUBLE3x1, "double3x1"},
    {CG_DOUBLE3x2, "double3x2"},
    {CG_DOUBLE3x3, "double3x3"},
    {CG_DOUBLE3x4, "double3x4"},
    {CG_DOUBLE4x1, "double4x1"},
    {CG_DOUBLE4x2, "double4x2"},
    {CG_DOUBLE4x3, "double4x3"},
    {CG_DOUBLE4x4, "double4x4"},
    {CG_CHAR, "char"},
    {CG_CHAR1, "char1"},
    {CG_CHAR2, "char2"},
    {CG_CHAR3, "char3"},
    {CG_CHAR4, "char4"},
    {CG_CHAR1x1, "char1x1"},
    {CG_CHAR1x2, "char1x2"},
    {CG_CHAR1x3, "char1x3"},
    {CG_CHAR1x4, "char1x4"},
    {CG_CHAR2x1, "char2x1"},
    {CG_CHAR2x2, "char2x2"},
    {CG_CHAR2x3, "char2x3"},
    {CG_CHAR2x4, "char2x4"},
    {CG_CHAR3x1, "char3x1"},
    {CG_CHAR3x2, "char3x2"},
    {CG_CHAR3x3, "char3x3"},
    {CG_CHAR3x4, "char3x4"},
    {CG_CHAR4x1, "char4x1"},
    {CG_CHAR4x2, "char4x2"},
    {CG_CHAR4x3, "char4x3"},
    {CG_CHAR4x4, "char4x4"},
    {CG_UCHAR, "uchar"},
    {CG_UCHAR1, "uchar1"},
    {CG_UCHAR2, "uchar2"},
    {CG_UCHAR3, "uchar3"},
    {CG_UCHAR4, "uchar4"},
    {CG_UCHAR1x1, "uchar1x1"},
    {CG_UCHAR1x2, "uchar1x2"},
    {CG_UCHAR1x3, "uchar1x3"},
    {CG_UCHAR1x4, "uchar1x4"},
    {CG_UCHAR2x1, "uchar2x1"},
    {CG_UCHAR2x2, "uchar2x2"},
    {CG_UCHAR2x3, "uchar2x3"},
    {CG_UCHAR2x4, "uchar2x4"},
    {CG_UCHAR3x1, "uchar3x1"},
    {CG_UCHAR3x2, "uchar3x2"},
    {CG_UCHAR3x3, "uchar3x3"},
    {CG_UCHAR3x4, "uchar3x4"},
    {CG_UCHAR4x1, "uchar4x1"},
    {CG_UCHAR4x2, "uchar4x2"},
    {CG_UCHAR4x3, "uchar4x3"},
    {CG_UCHAR4x4, "uchar4x4"},
    {CG_SHORT, "short"},
    {CG_SHORT1, "short1"},
    {CG_SHORT2, "short2"},
    {CG_SHORT3, "short3"},
    {CG_SHORT4, "short4"},
    {CG_SHORT1x1, "short1x1"},
    {CG_SHORT1x2, "short1x2"},
    {CG_SHORT1x3, "short1x3"},
    {CG_SHORT1x4, "short1x4"},
    {CG_SHORT2x1, "short2x1"},
    {CG_SHORT2x2, "short2x2"},
    {CG_SHORT2x3, "short2x3"},
    {CG_SHORT2x4, "short2x4"},
    {CG_SHORT3x1, "short3x1"},
    {CG_SHORT3x2, "short3x2"},
    {CG_SHORT3x3, "short3x3"},
    {CG_SHORT3x4, "short3x4"},
    {CG_SHORT4x1, "short4x1"},
    {CG_SHORT4x2, "short4x2"},
    {CG_SHORT4x3, "short4x3"},
    {CG_SHORT4x4, "short4x4"},
    {CG_USHORT, "ushort"},
    {CG_USHORT1, "ushort1"},
    {CG_USHORT2, "ushort2"},
    {CG_USHORT3, "ushort3"},
    {CG_USHORT4, "ushort4"},
    {CG_USHORT1x1, "ushort1x1"},
    {CG_USHORT1x2, "ushort1x2"},
    {CG_USHORT1x3, "ushort1x3"},
    {CG_USHORT1x4, "ushort1x4"},
    {CG_USHORT2x1, "ushort2x1"},
    {CG_USHORT2x2, "ushort2x2"},
    {CG_USHORT2x3, "ushort2x3"},
    {CG_USHORT2x4, "ushort2x4"},
    {CG_USHORT3x1, "ushort3x1"},
    {CG_USHORT3x2, "ushort3x2"},
    {CG_USHORT3x3, "ushort3x3"},
    {CG_USHORT3x4, "ushort3x4"},
    {CG_USHORT4x1, "ushort4x1"},
    {CG_USHORT4x2, "ushort4x2"},
    {CG_USHORT4x3, "ushort4x3"},
    {CG_USHORT4x4, "ushort4x4"},
    {CG_UINT, "uint"},
    {CG_UINT1, "uint1"},
    {CG_UINT2, "uint2"},
    {CG_UINT3, "uint3"},
    {CG_UINT4, "uint4"},
    {CG_UINT1x1, "uint1x1"},
    {CG_UINT1x2, "uint1x2"},
    {CG_UINT1x3, "uint1x3"},
    {CG_UINT1x4, "uint1x4"},
    {CG_UINT2x1, "uint2x1"},
    {CG_UINT2x2, "uint2x2"},
    {CG_UINT2x3, "uint2x3"},
    {CG_UINT2x4, "uint2x4"},
    {CG_UINT3x1, "uint3x1"},
    {CG_UINT3x2, "uint3x2"},
    {CG_UINT3x3, "uint3x3"},
    {CG_UINT3x4, "uint3x4"},
    {CG_UINT4x1, "uint4x1"},
    {CG_UINT4x2, "uint4x2"},
    {CG_UINT4x3, "uint4x3"},
    {CG_UINT4x4, "uint4x4"},
    {CG_LONG, "long"},
    {CG_LONG1, "long1"},
    {CG_LONG2, "long2"},
    {CG_LONG3, "long3"},
    {CG_LONG4, "long4"},
    {CG_LONG1x1, "long1x1"},
    {CG_LONG1x2, "long1x2"},
    {CG_LONG1x3, "long1x3"},
    {CG_LONG1x4, "long1x4"},
    {CG_LONG2x1, "long2x1"},
    {CG_LONG2x2, "long2x2"},
    {CG_LONG2x3, "long2x3"},
    {CG_LONG2x4, "long2x4"},
    {CG_LONG3x1, "long3x1"},
    {CG_LONG3x2, "long3x2"},
    {CG_LONG3x3, "long3x3"},
    {CG_LONG3x4, "long3x4"},
    {CG_LONG4x1, "long4x1"},
    {CG_LONG4x2, "long4x2"},
    {CG_LONG4x3, "long4x3"},
    {CG_LONG4x4, "long4x4"},
    {CG_ULONG, "ulong"},
    {CG_ULONG1, "ulong1"},
    {CG_ULONG2, "ulong2"},
    {CG_ULONG3, "ulong3"},
    {CG_ULONG4, "ulong4"},
    {CG_ULONG1x1, "ulong1x1"},
    {CG_ULONG1x2, "ulong1x2"},
    {CG_ULONG1x3, "ulong1x3"},
    {CG_ULONG1x4, "ulong1x4"},
    {CG_ULONG2x1, "ulong2x1"},
    {CG_ULONG2x2, "ulong2x2"},
    {CG_ULONG2x3, "ulong2x3"},
    {CG_ULONG2x4, "ulong2x4"},
    {CG_ULONG3x1, "ulong3x1"},
    {CG_ULONG3x2, "ulong3x2"},
    {CG_ULONG3x3, "ulong3x3"},
    {CG_ULONG3x4, "ulong3x4"},
    {CG_ULONG4x1, "ulong4x1"},
    {CG_ULONG4x2, "ulong4x2"},
    {CG_ULONG4x3, "ulong4x3"},
    {CG_ULONG4x4, "ulong4x4"},
    {CG_SAMPLER1DSHADOW, "shadow1D"},
    {CG_SAMPLER2DSHADOW, "shadow2D"},
    {CG_SAMPLERRECTSHADOW, "shadowRECT"},
    {CG_SAMPLERRBUF, "samplerRBUF"},
    {CG_SAMPLER2DMS, "sampler2DMS"},
    {CG_SAMPLER2DMSARRAY, "sampler2DMSARRAY"},
    {CG_BUFFER, "buffer"},
    {CG_UNIFORMBUFFER, "uniformbuffer"},
    {CG_ADDRESS, "address"},
};

// Names that cgGetType takes besides the ones above, for another type.
constexpr TypeName TYPE_ALIASES[] = {
    {CG_SAMPLER2D, "sampler"},
};

// The scalar types that come as vectors and matrices too: "float", "float3", "float3x4".
constexpr const char* NUMERIC_BASES[] = {"half",   "float", "fixed", "int",   "bool",
                                         "double", "char",  "uchar", "short", "ushort",
                                         "long",   "ulong", "uint"};

// What cgGetTypeClass, cgGetTypeBase, cgGetTypeSizes and cgGetMatrixSize answer for a type. `rows`
// and `columns` are a matrix's; a vector has one row, a scalar one column as well.
struct Shape {
    CGparameterclass kind;
    CGtype base;
    int rows;
    int columns;
    bool matrix;
};

// The types that are neither numeric nor samplers, but have a class or a size.
struct SpecialShape {
    CGtype type;
    CGparameterclass kind;
    CGtype base;
    int columns;
};

constexpr SpecialShape SPECIAL_SHAPES[] = {
    {CG_STRUCT, CG_PARAMETERCLASS_STRUCT, CG_STRUCT, 0},
    {CG_ARRAY, CG_PARAMETERCLASS_ARRAY, CG_ARRAY, 0},
    {CG_STRING, CG_PARAMETERCLASS_OBJECT, CG_STRING, 1},
    {CG_PROGRAM_TYPE, CG_PARAMETERCLASS_OBJECT, CG_PROGRAM_TYPE, 0},
    {CG_TEXTURE, CG_PARAMETERCLASS_OBJECT, CG_TEXTURE, 0},
    {CG_VERTEXSHADER_TYPE, CG_PARAMETERCLASS_OBJECT, CG_VERTEXSHADER_TYPE, 0},
    {CG_PIXELSHADER_TYPE, CG_PARAMETERCLASS_OBJECT, CG_PIXELSHADER_TYPE, 0},
    {CG_BUFFER, CG_PARAMETERCLASS_BUFFER, CG_BUFFER, 0},
    {CG_UNIFORMBUFFER, CG_PARAMETERCLASS_BUFFER, CG_BUFFER, 0},
    // An address is a pair of unsigned ints.
    {CG_ADDRESS, CG_PARAMETERCLASS_VECTOR, CG_UINT, 2},
};

#define ENUM_NAME(e) \
    { e, #e }

struct EnumName {
    CGenum value;
    const char* name;
};

// Every enumerant of CGenum, named as in cg.h.
constexpr EnumName ENUM_NAMES[] = {
    ENUM_NAME(CG_UNKNOWN),
    ENUM_NAME(CG_IN),
    ENUM_NAME(CG_OUT),
    ENUM_NAME(CG_INOUT),
    ENUM_NAME(CG_MIXED),
    ENUM_NAME(CG_VARYING),
    ENUM_NAME(CG_UNIFORM),
    ENUM_NAME(CG_CONSTANT),
    ENUM_NAME(CG_PROGRAM_SOURCE),
    ENUM_NAME(CG_PROGRAM_ENTRY),
    ENUM_NAME(CG_COMPILED_PROGRAM),
    ENUM_NAME(CG_PROGRAM_PROFILE),
    ENUM_NAME(CG_GLOBAL),
    ENUM_NAME(CG_PROGRAM),
    ENUM_NAME(CG_DEFAULT),
    ENUM_NAME(CG_ERROR),
    ENUM_NAME(CG_SOURCE),
    ENUM_NAME(CG_OBJECT),
    ENUM_NAME(CG_COMPILE_MANUAL),
    ENUM_NAME(CG_COMPILE_IMMEDIATE),
    ENUM_NAME(CG_COMPILE_LAZY),
    ENUM_NAME(CG_CURRENT),
    ENUM_NAME(CG_LITERAL),
    ENUM_NAME(CG_VERSION),
    ENUM_NAME(CG_ROW_MAJOR),
    ENUM_NAME(CG_COLUMN_MAJOR),
    ENUM_NAME(CG_FRAGMENT),
    ENUM_NAME(CG_VERTEX),
    ENUM_NAME(CG_POINT),
    ENUM_NAME(CG_LINE),
    ENUM_NAME(CG_LINE_ADJ),
    ENUM_NAME(CG_TRIANGLE),
    ENUM_NAME(CG_TRIANGLE_ADJ),
    ENUM_NAME(CG_POINT_OUT),
    ENUM_NAME(CG_LINE_OUT),
    ENUM_NAME(CG_TRIANGLE_OUT),
    ENUM_NAME(CG_IMMEDIATE_PARAMETER_SETTING),
    ENUM_NAME(CG_DEFERRED_PARAMETER_SETTING),
    ENUM_NAME(CG_NO_LOCKS_POLICY),
    ENUM_NAME(CG_THREAD_SAFE_POLICY),
    ENUM_NAME(CG_FORCE_UPPER_CASE_POLICY),
    ENUM_NAME(CG_UNCHANGED_CASE_POLICY),
    ENUM_NAME(CG_IS_OPENGL_PROFILE),
    ENUM_NAME(CG_IS_DIRECT3D_PROFILE),
    ENUM_NAME(CG_IS_DIRECT3D_8_PROFILE),
    ENUM_NAME(CG_IS_DIRECT3D_9_PROFILE),
    ENUM_NAME(CG_IS_DIRECT3D_10_PROFILE),
    ENUM_NAME(CG_IS_VERTEX_PROFILE),
    ENUM_NAME(CG_IS_FRAGMENT_PROFILE),
    ENUM_NAME(CG_IS_GEOMETRY_PROFILE),
    ENUM_NAME(CG_IS_TRANSLATION_PROFILE),
    ENUM_NAME(CG_IS_HLSL_PROFILE),
    ENUM_NAME(CG_IS_GLSL_PROFILE),
    ENUM_NAME(CG_IS_TESSELLATION_CONTROL_PROFILE),
    ENUM_NAME(CG_IS_TESSELLATION_EVALUATION_PROFILE),
    ENUM_NAME(CG_PATCH),
    ENUM_NAME(CG_IS_DIRECT3D_11_PROFILE),
};

#undef ENUM_NAME

const char* nameOf(CGtype type) {
    for (const TypeName& t : TYPE_NAMES) {
        if (t.type == type) {
            return t.name;
        }
    }
    return nullptr;
}

// "float3x4" as the scalar type float, 3 rows and 4 columns; false for a name of no numeric type.
bool parseNumeric(const char* name, Shape& shape) {
    std::size_t letters = 0;
    while (std::isalpha(static_cast<unsigned char>(name[letters])) != 0) {
        ++letters;
    }
    const std::string base(name, letters);
    bool numeric = false;
    for (const char* b : NUMERIC_BASES) {
        numeric = numeric || base == b;
    }
    if (!numeric) {
        return false;
    }
    shape.base = cgGetType(base.c_str());
    const char* size = name + letters;
    if (*size == '\0') {
        shape = Shape{CG_PARAMETERCLASS_SCALAR, shape.base, 1, 1, false};
    } else if (size[1] == '\0') {
        shape = Shape{CG_PARAMETERCLASS_VECTOR, shape.base, 1, size[0] - '0', false};
    } else {
        shape = Shape{CG_PARAMETERCLASS_MATRIX, shape.base, size[0] - '0', size[2] - '0', true};
    }
    return true;
}

Shape shapeOf(CGtype type) {
    const char* name = nameOf(type);
    Shape shape{CG_PARAMETERCLASS_UNKNOWN, type, 0, 0, false};
    if (name == nullptr || type == CG_UNKNOWN_TYPE || parseNumeric(name, shape)) {
        return shape;
    }
    if (std::strncmp(name, "sampler", 7) == 0 || std::strncmp(name, "shadow", 6) == 0) {
        shape.kind = CG_PARAMETERCLASS_SAMPLER;
        return shape;
    }
    for (const SpecialShape& special : SPECIAL_SHAPES) {
        if (special.type == type) {
            const int rows = special.columns > 0 ? 1 : 0;
            return Shape{special.kind, special.base, rows, special.columns, false};
        }
    }
    return shape;
}

// The type a parameter's base type, rows and columns are read from: an array's element's, as
// NVIDIA's runtime answers.
CGtype shapedType(const CgParameterState& p) {
    return p.type == CG_ARRAY && p.firstMember != nullptr ? p.firstMember->type : p.type;
}

}  // namespace

namespace {

constexpr int FIRST_USER_TYPE = 8193;
// Every user type's name, by its number less FIRST_USER_TYPE; kept for the process, as the
// numbers are.
std::vector<std::string> userTypeNames;

}  // namespace

int cgrt::userType(CgContextState& context, const std::string& name) {
    for (const auto& [known, type] : context.userTypes) {
        if (known == name) {
            return type;
        }
    }
    userTypeNames.push_back(name);
    const int type = FIRST_USER_TYPE + static_cast<int>(userTypeNames.size()) - 1;
    context.userTypes.emplace_back(name, type);
    return type;
}

extern "C" {

// "" for a value that is no type.
const char* cgGetTypeString(CGtype type) {
    const int number = static_cast<int>(type);
    if (number >= FIRST_USER_TYPE &&
        static_cast<std::size_t>(number - FIRST_USER_TYPE) < userTypeNames.size()) {
        return userTypeNames[static_cast<std::size_t>(number - FIRST_USER_TYPE)].c_str();
    }
    const char* name = nameOf(type);
    return name != nullptr ? name : "";
}

// Names are matched exactly: "FLOAT4" is no type.
CGtype cgGetType(const char* typeString) {
    if (typeString == nullptr) {
        return CG_UNKNOWN_TYPE;
    }
    for (const TypeName& t : TYPE_ALIASES) {
        if (std::strcmp(t.name, typeString) == 0) {
            return t.type;
        }
    }
    for (const TypeName& t : TYPE_NAMES) {
        if (std::strcmp(t.name, typeString) == 0) {
            return t.type;
        }
    }
    return CG_UNKNOWN_TYPE;
}

CGtype cgGetTypeBase(CGtype type) {
    return static_cast<int>(type) >= FIRST_USER_TYPE ? type : shapeOf(type).base;
}

CGparameterclass cgGetTypeClass(CGtype type) {
    return shapeOf(type).kind;
}

// Writes a value's rows and columns (a vector has one row; what is no type has none) and says
// whether it is a matrix.
CGbool cgGetTypeSizes(CGtype type, int* nrows, int* ncols) {
    const Shape shape = shapeOf(type);
    if (nrows != nullptr) {
        *nrows = shape.rows;
    }
    if (ncols != nullptr) {
        *ncols = shape.columns;
    }
    return shape.matrix ? CG_TRUE : CG_FALSE;
}

// As cgGetTypeSizes, but rows are 0 for anything but a matrix.
void cgGetMatrixSize(CGtype type, int* nrows, int* ncols) {
    const Shape shape = shapeOf(type);
    if (nrows != nullptr) {
        *nrows = shape.matrix ? shape.rows : 0;
    }
    if (ncols != nullptr) {
        *ncols = shape.columns;
    }
}

const char* cgGetParameterClassString(CGparameterclass parameterClass) {
    static const char* const NAMES[] = {"unknown", "scalar",  "vector", "matrix", "struct",
                                        "array",   "sampler", "object", "buffer"};
    const auto index = static_cast<std::size_t>(parameterClass);
    return index < std::size(NAMES) ? NAMES[index] : NAMES[0];
}

CGparameterclass cgGetParameterClass(CGparameter param) {
    return cgrt::valid(param) != nullptr ? cgGetTypeClass(param->type) : CG_PARAMETERCLASS_UNKNOWN;
}

CGtype cgGetParameterBaseType(CGparameter param) {
    if (cgrt::valid(param) == nullptr) {
        return CG_UNKNOWN_TYPE;
    }
    return param->userType != 0 ? static_cast<CGtype>(param->userType)
                                : cgGetTypeBase(shapedType(*param));
}

int cgGetParameterRows(CGparameter param) {
    return cgrt::valid(param) != nullptr ? shapeOf(shapedType(*param)).rows : 0;
}

int cgGetParameterColumns(CGparameter param) {
    return cgrt::valid(param) != nullptr ? shapeOf(shapedType(*param)).columns : 0;
}

CGcontext cgGetParameterContext(CGparameter param) {
    return cgrt::valid(param) != nullptr ? param->program->context : nullptr;
}

// Only an array's element has an index, and no parameter here is one.
int cgGetParameterIndex(CGparameter param) {
    if (cgrt::valid(param) != nullptr) {
        cgrt::raise(CG_ARRAY_PARAM_ERROR);
    }
    return -1;
}

// null for a value that is no enumerant.
const char* cgGetEnumString(CGenum value) {
    for (const EnumName& e : ENUM_NAMES) {
        if (e.value == value) {
            return e.name;
        }
    }
    return nullptr;
}

// CG_UNKNOWN for a name that is no enumerant's (and for null, where NVIDIA's runtime crashes).
CGenum cgGetEnum(const char* enumString) {
    if (enumString != nullptr) {
        for (const EnumName& e : ENUM_NAMES) {
            if (std::strcmp(e.name, enumString) == 0) {
                return e.value;
            }
        }
    }
    return CG_UNKNOWN;
}

}  // extern "C"
