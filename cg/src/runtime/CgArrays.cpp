// Array parameters, whose elements are parameters of their own ("w[1]"), and the values
// parameters start at. Errors as NVIDIA's Cg 3.1 gives them.
#include "CgState.h"

#include <algorithm>
#include <vector>

namespace {

// The array `param`, or null (CG_ARRAY_PARAM_ERROR for one that is valid and no array).
CgParameterState* array(CGparameter param) {
    CgParameterState* p = cgrt::valid(param);
    if (p != nullptr && p->type != CG_ARRAY) {
        cgrt::raise(CG_ARRAY_PARAM_ERROR);
        return nullptr;
    }
    return p;
}

}  // namespace

// The elements [offset, offset + count) of `param`, count 0 standing for all from offset on; empty
// with an error for a range that leaves the array.
std::vector<CgParameterState*> cgrt::arrayElements(CGparameter param, long offset, long count) {
    CgParameterState* a = array(param);
    if (a == nullptr) {
        return {};
    }
    const long size = a->arraySize;
    if (count == 0) {
        count = size - offset;
    }
    if (offset < 0 || count < 0 || offset > size || count > size - offset) {
        cgrt::raise(CG_OUT_OF_ARRAY_BOUNDS_ERROR);
        return {};
    }
    std::vector<CgParameterState*> out;
    CgParameterState* e = a->firstMember;
    for (long i = 0; e != nullptr && i < offset + count; ++i, e = e->next) {
        if (i >= offset) {
            out.push_back(e);
        }
    }
    return out;
}

namespace {

// What `param` starts at: a vector's components, a matrix's by rows (or by columns), an array's
// elements one after another.
std::vector<float> defaultsOf(const CgParameterState& p, bool byColumns) {
    if (p.type == CG_ARRAY) {
        std::vector<float> out;
        for (const CgParameterState* e = p.firstMember; e != nullptr; e = e->next) {
            const std::vector<float> more = defaultsOf(*e, byColumns);
            out.insert(out.end(), more.begin(), more.end());
        }
        return out;
    }
    if (p.kind == cgrt::UniformKind::Vector) {
        return std::vector<float>(p.defaults, p.defaults + p.components);
    }
    if (p.kind != cgrt::UniformKind::Matrix) {
        // A varying starts at no value of the program's: zeros, as NVIDIA's runtime reads it.
        return std::vector<float>(static_cast<std::size_t>(cgrt::varyingSize(p)), 0.0f);
    }
    std::vector<float> out(p.defaults, p.defaults + p.components);
    if (!byColumns) {
        const int rows = p.rows;
        const int columns = p.components / rows;
        for (int i = 0; i < p.components; ++i) {
            out[static_cast<std::size_t>(i)] = p.defaults[(i % columns) * rows + i / columns];
        }
    }
    return out;
}

// Copies the defaults into `values` and gives their number; 0 with CG_NOT_ENOUGH_DATA_ERROR
// when `count` has no room for them all.
template <typename T>
int getDefaults(CGparameter param, int count, T* values, bool byColumns) {
    if (cgrt::valid(param) == nullptr) {
        return 0;
    }
    const std::vector<float> defaults = defaultsOf(*param, byColumns);
    if (values == nullptr || count < static_cast<int>(defaults.size())) {
        cgrt::raise(CG_NOT_ENOUGH_DATA_ERROR);
        return 0;
    }
    for (std::size_t i = 0; i < defaults.size(); ++i) {
        values[i] = static_cast<T>(defaults[i]);
    }
    return static_cast<int>(defaults.size());
}

}  // namespace

extern "C" {

CGparameter cgGetArrayParameter(CGparameter aparam, int index) {
    CgParameterState* a = array(aparam);
    if (a == nullptr) {
        return nullptr;
    }
    if (index < 0 || index >= a->arraySize) {
        cgrt::raise(CG_OUT_OF_ARRAY_BOUNDS_ERROR);
        return nullptr;
    }
    CgParameterState* e = a->firstMember;
    for (int i = 0; i < index; ++i) {
        e = e->next;
    }
    return e;
}

int cgGetArrayDimension(CGparameter param) {
    const CgParameterState* p = cgrt::valid(param);
    return p != nullptr && p->type == CG_ARRAY ? 1 : 0;
}

CGtype cgGetArrayType(CGparameter param) {
    const CgParameterState* a = array(param);
    return a != nullptr && a->firstMember != nullptr ? a->firstMember->type : CG_UNKNOWN_TYPE;
}

int cgGetArraySize(CGparameter param, int dimension) {
    const CgParameterState* p = cgrt::valid(param);
    return p != nullptr && p->type == CG_ARRAY && dimension == 0 ? p->arraySize : 0;
}

int cgGetArrayTotalSize(CGparameter param) {
    return cgGetArraySize(param, 0);
}

// Each call below comes in float and double forms (and int for defaults), by rows and by columns,
// for elements of 1 to 4 components: the macros write them out.
#define CG_DEFAULT_CALLS(S, T)                                                      \
    int cgGetParameterDefaultValue##S##r(CGparameter param, int count, T* values) { \
        return getDefaults(param, count, values, false);                            \
    }                                                                               \
    int cgGetParameterDefaultValue##S##c(CGparameter param, int count, T* values) { \
        return getDefaults(param, count, values, true);                             \
    }

CG_DEFAULT_CALLS(f, float)
CG_DEFAULT_CALLS(d, double)
CG_DEFAULT_CALLS(i, int)

}  // extern "C"
