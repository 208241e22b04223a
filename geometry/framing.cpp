#include "geometry/framing.h"

#include <cmath>

namespace framing {

double distance(float radius, const Matrix4& projection, double margin) {
    const double r = radius;
    const double s = std::fmax(std::fabs(static_cast<double>(projection[0])),
                               std::fabs(static_cast<double>(projection[5])));
    if (!(r > 0.0) || !std::isfinite(r) || !(s > 0.0) || !std::isfinite(s) ||
        !(margin >= 0.0 && margin < 1.0)) {
        return 0.0;
    }
    const double t = (1.0 - margin) / s;
    const double d = r * std::sqrt(1.0 + 1.0 / (t * t));
    return std::isfinite(d) ? d : 0.0;
}

bool frameSphere(const Vec3& centre, float radius, const Vec3& direction, const Vec3& up,
                 const Matrix4& projection, FramedView& view, double margin) {
    const double d = distance(radius, projection, margin);
    const double x = direction.x;
    const double y = direction.y;
    const double z = direction.z;
    const double len = std::sqrt(x * x + y * y + z * z);
    if (d == 0.0 || !(len > 0.0) || !std::isfinite(len)) {
        return false;
    }
    const double k = d / len;
    view.eye = Vec3{static_cast<float>(centre.x + x * k), static_cast<float>(centre.y + y * k),
                    static_cast<float>(centre.z + z * k)};
    view.target = centre;
    view.up = up;
    view.distance = d;
    return true;
}

} // namespace framing
