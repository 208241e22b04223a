#include "scene/rigid_rotation.h"

#include <algorithm>
#include <cmath>

namespace {

struct Row {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

Row rowOf(const Matrix4& m, int i) {
    return Row{m.at(i, 0), m.at(i, 1), m.at(i, 2)};
}

double dotRows(const Row& a, const Row& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// a - (a . unit) unit: what is left of a at right angles to a unit row.
Row withoutComponent(const Row& a, const Row& unit) {
    const double d = dotRows(a, unit);
    return Row{a.x - d * unit.x, a.y - d * unit.y, a.z - d * unit.z};
}

// Scales a row to unit length; false when it has no usable direction.
bool makeUnit(Row& r) {
    const double len = std::sqrt(dotRows(r, r));
    if (!(len > 1e-6) || !std::isfinite(len)) {
        return false;
    }
    r = Row{r.x / len, r.y / len, r.z / len};
    return true;
}

} // namespace

double rotationDrift(const Matrix4& rotation) {
    double drift = 0.0;
    for (int i = 0; i < 3; ++i) {
        const Row a = rowOf(rotation, i);
        for (int j = i; j < 3; ++j) {
            const Row b = rowOf(rotation, j);
            const double deviation =
                i == j ? std::fabs(std::sqrt(dotRows(a, a)) - 1.0) : std::fabs(dotRows(a, b));
            if (std::isnan(deviation)) {
                return deviation;
            }
            drift = std::max(drift, deviation);
        }
    }
    return drift;
}

bool restoreRigidRotation(Matrix4& rotation) {
    if (!(rotationDrift(rotation) > kRotationDriftTolerance)) {
        return false;
    }
    Row r0 = rowOf(rotation, 0);
    Row r1 = rowOf(rotation, 1);
    Row r2 = rowOf(rotation, 2);
    if (!makeUnit(r0)) {
        return false;
    }
    r1 = withoutComponent(r1, r0);
    if (!makeUnit(r1)) {
        return false;
    }
    r2 = withoutComponent(withoutComponent(r2, r0), r1);
    if (!makeUnit(r2)) {
        return false;
    }
    const Row rows[3] = {r0, r1, r2};
    for (int i = 0; i < 3; ++i) {
        rotation.at(i, 0) = static_cast<float>(rows[i].x);
        rotation.at(i, 1) = static_cast<float>(rows[i].y);
        rotation.at(i, 2) = static_cast<float>(rows[i].z);
    }
    return true;
}
