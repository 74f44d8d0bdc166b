// Matrices of the host and its current transformation with the push/pop stack.
#include <cmath>
#include <vector>

#include "host/geometry/geometry.h"
#include "host/state/parts.h"

namespace qlhost {

Matrix Matrix::Identity() {
    Matrix r{};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1;
    return r;
}

Matrix Matrix::Translation(double dx, double dy, double dz) {
    Matrix r = Identity();
    r.m[3] = dx;
    r.m[7] = dy;
    r.m[11] = dz;
    return r;
}

Matrix Matrix::Rotation(double angle) {
    Matrix r = Identity();
    double c = std::cos(angle), s = std::sin(angle);
    r.m[0] = c;
    r.m[1] = -s;
    r.m[4] = s;
    r.m[5] = c;
    return r;
}

Matrix Matrix::Scaling(double sx, double sy, double sz) {
    Matrix r = Identity();
    r.m[0] = sx;
    r.m[5] = sy;
    r.m[10] = sz;
    return r;
}

Matrix Matrix::FromHost(const double* hostMatrix) {
    Matrix r{};
    for (int i = 0; i < 16; ++i) r.m[i] = hostMatrix[i];
    return r;
}

Matrix Matrix::FromSymbol(const double* matrix12) {
    Matrix r = Identity();
    for (int i = 0; i < 12; ++i) r.m[i] = matrix12[i];
    return r;
}

double Matrix::Det2() const { return m[0] * m[5] - m[1] * m[4]; }

bool Matrix::Inverse(Matrix& out) const {
    // Gauss-Jordan elimination with partial pivoting on [m | I].
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c) a[r][c] = c < 4 ? m[r * 4 + c] : (c - 4 == r ? 1.0 : 0.0);
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        if (std::fabs(a[pivot][col]) < 1e-300) return false;
        for (int c = 0; c < 8; ++c) std::swap(a[col][c], a[pivot][c]);
        double d = a[col][col];
        for (int c = 0; c < 8; ++c) a[col][c] /= d;
        for (int r = 0; r < 4; ++r) {
            if (r == col) continue;
            double f = a[r][col];
            for (int c = 0; c < 8; ++c) a[r][c] -= f * a[col][c];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out.m[r * 4 + c] = a[r][c + 4];
    return true;
}

Matrix Then(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += b.m[i * 4 + k] * a.m[k * 4 + j];
            r.m[i * 4 + j] = s;
        }
    return r;
}

namespace {
struct MatrixState {
    Matrix current = Matrix::Identity();
    std::vector<Matrix> stack;
};
MatrixState& State() { return Part<MatrixState>(); }
}  // namespace

Matrix& CurrentMatrix() { return State().current; }

void ResetMatrixStack() {
    State().current = Matrix::Identity();
    State().stack.clear();
}

void PushMatrix() { State().stack.push_back(State().current); }

bool PopMatrix() {
    if (State().stack.empty()) return false;
    State().current = State().stack.back();
    State().stack.pop_back();
    return true;
}

}  // namespace qlhost
