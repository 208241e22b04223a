#include "device/render_device.h"

#include <cmath>

namespace {

// d turned by the upper 3x3 of m as a row vector (no translation).
Vec3 turnDirection(const Matrix4& m, const Vec3& d) {
    const double x = d.x;
    const double y = d.y;
    const double z = d.z;
    return Vec3{static_cast<float>(x * m[0] + y * m[4] + z * m[8]),
                static_cast<float>(x * m[1] + y * m[5] + z * m[9]),
                static_cast<float>(x * m[2] + y * m[6] + z * m[10])};
}

Color3 product(const Color3& a, const Color3& b) {
    return Color3{colorProduct(a.r, b.r), colorProduct(a.g, b.g), colorProduct(a.b, b.b)};
}

// The inverse of a rotation plus translation: the transposed 3x3, and the
// translation carried back through it with its sign flipped.
void invertRigid(Matrix4& inverse, const Matrix4& w) {
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            inverse.at(row, column) = w.at(column, row);
        }
        inverse.at(row, 3) = 0.0f;
    }
    const double tx = w[12];
    const double ty = w[13];
    const double tz = w[14];
    inverse[12] = static_cast<float>(-(tx * w[0] + ty * w[1] + tz * w[2]));
    inverse[13] = static_cast<float>(-(tx * w[4] + ty * w[5] + tz * w[6]));
    inverse[14] = static_cast<float>(-(tx * w[8] + ty * w[9] + tz * w[10]));
    inverse[15] = 1.0f;
}

// True when the upper 3x3 is orthonormal (rows of unit length at right
// angles, within 1e-3 to allow for rounding that accumulates over many
// frames of small turns): a rotation, as the program builds, or a mirror.
// Its transpose is its inverse.
bool isOrthonormal(const Matrix4& w) {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const double product = static_cast<double>(w.at(i, 0)) * w.at(j, 0) +
                                   static_cast<double>(w.at(i, 1)) * w.at(j, 1) +
                                   static_cast<double>(w.at(i, 2)) * w.at(j, 2);
            if (!(std::fabs(product - (i == j ? 1.0 : 0.0)) < 1e-3)) {
                return false;
            }
        }
    }
    return true;
}

// The inverse of any invertible affine matrix (scaling and shear included):
// the 3x3 inverted through its cofactors, the translation carried back
// through it. False, with `inverse` untouched, when the 3x3 is singular or
// not finite.
bool invertAffine(Matrix4& inverse, const Matrix4& w) {
    auto a = [&w](int row, int column) { return static_cast<double>(w.at(row, column)); };
    double cofactor[3][3];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const int r0 = (i + 1) % 3;
            const int r1 = (i + 2) % 3;
            const int c0 = (j + 1) % 3;
            const int c1 = (j + 2) % 3;
            cofactor[i][j] = a(r0, c0) * a(r1, c1) - a(r0, c1) * a(r1, c0);
        }
    }
    const double determinant =
        a(0, 0) * cofactor[0][0] + a(0, 1) * cofactor[0][1] + a(0, 2) * cofactor[0][2];
    if (determinant == 0.0 || !std::isfinite(determinant)) {
        return false;
    }
    Matrix4 result;
    identity(result);
    double m[3][3];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            m[i][j] = cofactor[j][i] / determinant; // adjugate over determinant
            result.at(i, j) = static_cast<float>(m[i][j]);
        }
    }
    for (int j = 0; j < 3; ++j) {
        result.at(3, j) =
            static_cast<float>(-(a(3, 0) * m[0][j] + a(3, 1) * m[1][j] + a(3, 2) * m[2][j]));
    }
    for (float entry : result.m) {
        if (!std::isfinite(entry)) {
            return false;
        }
    }
    inverse = result;
    return true;
}

// The eye position in world space of a view matrix built by lookAt: the
// fourth row is -(eye . axis) for each axis column, so the eye is that row
// carried back through the transposed axes.
Vec3 eyeOfView(const Matrix4& m) {
    return Vec3{
        static_cast<float>(-(static_cast<double>(m[0]) * m[12] + static_cast<double>(m[1]) * m[13] +
                             static_cast<double>(m[2]) * m[14])),
        static_cast<float>(-(static_cast<double>(m[4]) * m[12] + static_cast<double>(m[5]) * m[13] +
                             static_cast<double>(m[6]) * m[14])),
        static_cast<float>(-(static_cast<double>(m[8]) * m[12] + static_cast<double>(m[9]) * m[13] +
                             static_cast<double>(m[10]) * m[14]))};
}

bool finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// v scaled to unit length through the reciprocal of its length; false when
// the length is 0 or not finite, which leaves no usable direction.
bool scaleToUnit(Vec3& v) {
    const float len = length(v);
    if (!(len > 0.0f) || !std::isfinite(len)) {
        return false;
    }
    const double k = 1.0 / static_cast<double>(len);
    v = Vec3{static_cast<float>(v.x * k), static_cast<float>(v.y * k), static_cast<float>(v.z * k)};
    return finite(v);
}

} // namespace

void RenderDevice::setWorldMatrix(const Matrix4& world) {
    worldMatrix = world;
    // A rotation plus translation is inverted by transposing, with the
    // exact roundings the drawing path is tuned to. Any other invertible
    // matrix gets a true inverse, so culling against the model-space eye
    // stays right under scaling or shear (lightDirInObject is then turned
    // but, as always, not normalized again). A singular matrix has no
    // inverse: the model-space values of the last usable world stay.
    if (isOrthonormal(worldMatrix)) {
        invertRigid(inverseWorldMatrix, worldMatrix);
    } else if (!invertAffine(inverseWorldMatrix, worldMatrix)) {
        return;
    }
    const Vec3 eye = eyeOfView(viewMatrix);
    transformPoint(eyeInObject, inverseWorldMatrix, eye);
    if ((lightFlags & LightKind::Directional) != 0) {
        lightDirInObject = turnDirection(inverseWorldMatrix, directionalLight->direction);
    }
    if ((lightFlags & LightKind::Point) != 0) {
        transformPoint(pointPosInObject, inverseWorldMatrix, pointLight->position);
    }
    if ((lightFlags & LightKind::Spot) != 0) {
        transformPoint(spotPosInObject, inverseWorldMatrix, spotLight->position);
        spotDirInObject = turnDirection(inverseWorldMatrix, spotLight->direction);
    }
}

void RenderDevice::lookAt(const Vec3& eye, const Vec3& target, const Vec3& up) {
    // Guard: an eye on the target, or an up vector along the view
    // direction, leaves no camera frame. The previous view then stays, so
    // the view matrix and eyeInObject remain finite.
    Vec3 z{target.x - eye.x, target.y - eye.y, target.z - eye.z};
    if (!scaleToUnit(z)) {
        return;
    }
    const double e = dot(up, z);
    Vec3 y{static_cast<float>(up.x - e * z.x), static_cast<float>(up.y - e * z.y),
           static_cast<float>(up.z - e * z.z)};
    if (!scaleToUnit(y)) {
        return;
    }
    Vec3 x;
    cross(x, y, z);

    Matrix4 view;
    view[0] = x.x;
    view[1] = y.x;
    view[2] = z.x;
    view[3] = 0.0f;
    view[4] = x.y;
    view[5] = y.y;
    view[6] = z.y;
    view[7] = 0.0f;
    view[8] = x.z;
    view[9] = y.z;
    view[10] = z.z;
    view[11] = 0.0f;
    view[12] = -dot(eye, x);
    view[13] = -dot(eye, y);
    view[14] = -dot(eye, z);
    view[15] = 1.0f;
    for (float entry : view.m) {
        if (!std::isfinite(entry)) {
            return;
        }
    }
    viewMatrix = view;
    transformPoint(eyeInObject, inverseWorldMatrix, eye);
}

void RenderDevice::setProjection(const Matrix4& projection) {
    projectionMatrix = projection;
    const double p10 = projection[10];
    const double p14 = projection[14];
    nearPlane = static_cast<float>(-p14 / p10);
    farPlane = static_cast<float>(-p14 / (p10 - 1.0));
}

void RenderDevice::setLight(std::uint32_t kinds, Light* light) {
    // Guard: a slot is never filled with nothing, so every bit in
    // lightFlags always comes with a light to read.
    if (light == nullptr) {
        return;
    }
    if ((kinds & LightKind::Ambient) != 0) {
        ambientLight = light;
        ambientLightColor = light->color;
        if (material != nullptr) {
            ambientProduct = product(light->color, material->ambient);
        }
    }
    if ((kinds & LightKind::Directional) != 0) {
        directionalLight = light;
        directionalLightColor = light->color;
        lightDirInObject = turnDirection(inverseWorldMatrix, light->direction);
        if (material != nullptr) {
            diffuseProduct = product(material->diffuse, light->color);
        }
    }
    if ((kinds & LightKind::Point) != 0) {
        pointLight = light;
        transformPoint(pointPosInObject, inverseWorldMatrix, light->position);
        if (material != nullptr) {
            pointProduct = product(light->color, material->diffuse);
        }
    }
    if ((kinds & LightKind::Spot) != 0) {
        spotLight = light;
        transformPoint(spotPosInObject, inverseWorldMatrix, light->position);
        spotDirInObject = turnDirection(inverseWorldMatrix, light->direction);
    }
    lightFlags |=
        kinds & (LightKind::Ambient | LightKind::Directional | LightKind::Point | LightKind::Spot);
}

void RenderDevice::setMaterial(Material* newMaterial) {
    material = newMaterial;
    if (material == nullptr) {
        return;
    }
    if ((lightFlags & LightKind::Ambient) != 0) {
        ambientProduct = product(ambientLight->color, material->ambient);
    }
    if ((lightFlags & LightKind::Directional) != 0) {
        diffuseProduct = product(directionalLight->color, material->diffuse);
    }
    if ((lightFlags & LightKind::Point) != 0) {
        pointProduct = product(pointLight->color, material->diffuse);
    }
}

void RenderDevice::setModelColors(bool on) {
    modelColors = on;
}
