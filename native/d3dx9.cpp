// The native build's D3DX: the three functions the module calls, from their documented
// behaviour.
#include "native/d3d9.h"

#include <utility>

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    // Computed into a temporary: the module passes its output as its first input.
    D3DXMATRIX product;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            product.m[r][c] = a->m[r][0] * b->m[0][c] + a->m[r][1] * b->m[1][c] +
                              a->m[r][2] * b->m[2][c] + a->m[r][3] * b->m[3][c];
        }
    }
    *out = product;
    return out;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    const float x = v->x, y = v->y, z = v->z;
    D3DXVECTOR4 r;
    r.x = x * m->m[0][0] + y * m->m[1][0] + z * m->m[2][0] + m->m[3][0];
    r.y = x * m->m[0][1] + y * m->m[1][1] + z * m->m[2][1] + m->m[3][1];
    r.z = x * m->m[0][2] + y * m->m[1][2] + z * m->m[2][2] + m->m[3][2];
    r.w = x * m->m[0][3] + y * m->m[1][3] + z * m->m[2][3] + m->m[3][3];
    *out = r;
    return out;
}

// Gauss-Jordan elimination, pivoting only past a zero, so that the camera matrices the tests
// use invert exactly. A singular matrix leaves the output untouched and returns null, as
// the real function does. The module asks for no determinant.
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, FLOAT*, const D3DXMATRIX* in) {
    D3DXMATRIX a = *in, inverse = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    float det = 1.0f;
    for (int c = 0; c < 4 && det != 0.0f; ++c) {
        int pivot = c;
        while (pivot < 3 && a.m[pivot][c] == 0.0f) {
            ++pivot;
        }
        if (pivot != c) {
            std::swap(a.m[pivot], a.m[c]);
            std::swap(inverse.m[pivot], inverse.m[c]);
            det = -det;
        }
        const float p = a.m[c][c];
        det *= p;
        for (int k = 0; k < 4 && p != 0.0f; ++k) {
            a.m[c][k] /= p;
            inverse.m[c][k] /= p;
        }
        for (int r = 0; r < 4 && p != 0.0f; ++r) {
            const float f = r == c ? 0.0f : a.m[r][c];
            for (int k = 0; k < 4 && f != 0.0f; ++k) {
                a.m[r][k] -= f * a.m[c][k];
                inverse.m[r][k] -= f * inverse.m[c][k];
            }
        }
    }
    if (det == 0.0f) {
        return nullptr;
    }
    *out = inverse;
    return out;
}
