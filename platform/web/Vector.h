// Three-component vector helpers shared by the GLU and lighting stand-ins.
#pragma once

#include <cmath>

template <typename T>
T dot3(const T a[3], const T b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Leaves a zero vector as it is.
template <typename T>
void normalize3(T v[3]) {
    const T length = std::sqrt(dot3(v, v));
    if (length > T(0)) {
        v[0] /= length;
        v[1] /= length;
        v[2] /= length;
    }
}

template <typename T>
void cross3(const T a[3], const T b[3], T out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}
