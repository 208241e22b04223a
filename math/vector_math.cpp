#include "math/vector_math.h"

#include "math/trig.h"

#include <cmath>

void identity(Matrix4& m) {
    for (float& e : m.m) {
        e = 0.0f;
    }
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void multiply(Matrix4& out, const Matrix4& a, const Matrix4& b) {
    float product[16];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double sum = static_cast<double>(a.at(i, 0)) * b.at(0, j) +
                         static_cast<double>(a.at(i, 1)) * b.at(1, j) +
                         static_cast<double>(a.at(i, 2)) * b.at(2, j) +
                         static_cast<double>(a.at(i, 3)) * b.at(3, j);
            product[4 * i + j] = static_cast<float>(sum);
        }
    }
    for (int k = 0; k < 16; ++k) {
        out[k] = product[k];
    }
}

Vec3& transformPoint(Vec3& out, const Matrix4& m, const Vec3& v) {
    const double x = v.x;
    const double y = v.y;
    const double z = v.z;
    const double xp = x * m[0] + y * m[4] + z * m[8] + m[12];
    const double yp = x * m[1] + y * m[5] + z * m[9] + m[13];
    const double zp = x * m[2] + y * m[6] + z * m[10] + m[14];
    const double w = x * m[3] + y * m[7] + z * m[11] + m[15];
    if (w == 0.0) {
        out = Vec3{};
        return out;
    }
    const double r = 1.0 / w;
    out.x = static_cast<float>(xp * r);
    out.y = static_cast<float>(yp * r);
    out.z = static_cast<float>(zp * r);
    return out;
}

void rotationX(Matrix4& m, float theta) {
    const float c = cosine(theta);
    const float s = sine(theta);
    identity(m);
    m[5] = c;
    m[6] = s;
    m[9] = -s;
    m[10] = c;
}

void rotationY(Matrix4& m, float theta) {
    const float c = cosine(theta);
    const float s = sine(theta);
    identity(m);
    m[0] = c;
    m[2] = -s;
    m[8] = s;
    m[10] = c;
}

float length(const Vec3& v) {
    const double x = v.x;
    const double y = v.y;
    const double z = v.z;
    return static_cast<float>(std::sqrt(x * x + y * y + z * z));
}

Vec3& cross(Vec3& out, const Vec3& a, const Vec3& b) {
    const double ax = a.x, ay = a.y, az = a.z;
    const double bx = b.x, by = b.y, bz = b.z;
    out.x = static_cast<float>(ay * bz - az * by);
    out.y = static_cast<float>(az * bx - ax * bz);
    out.z = static_cast<float>(ax * by - ay * bx);
    return out;
}

Vec3& normalize(Vec3& out, Vec3& v) {
    const double x = v.x;
    const double y = v.y;
    const double z = v.z;
    const double squared = x * x + y * y + z * z;
    if (squared == 0.0) {
        v = Vec3{};
        out = v;
        return out;
    }
    const double k = 1.0 / std::sqrt(squared);
    v.x = static_cast<float>(x * k);
    v.y = static_cast<float>(y * k);
    v.z = static_cast<float>(z * k);
    out = v;
    return out;
}

void perspective(Matrix4& m, float angleX, float angleY, float aspect, float zNear, float zFar) {
    const float q =
        static_cast<float>(static_cast<double>(zFar) / (static_cast<double>(zFar) - zNear));
    const float cosX = cosine(angleX);
    const float sinX = sine(angleX);
    const float cosY = cosine(angleY);
    const float sinY = sine(angleY);
    identity(m);
    m[10] = q;
    m[11] = 1.0f;
    m[15] = 0.0f;
    m[0] = static_cast<float>(static_cast<double>(aspect) * cosX / sinX);
    m[5] = static_cast<float>(static_cast<double>(cosY) / sinY);
    m[14] = static_cast<float>(-(static_cast<double>(q) * zNear));
}

Matrix4& axisAngleRotation(Matrix4& m, Vec3& axis, float theta) {
    Vec3 unit;
    normalize(unit, axis);
    const double x = unit.x;
    const double y = unit.y;
    const double z = unit.z;
    // Sine and cosine are 32-bit values, widened for the products below.
    const double c = cosine(theta);
    const double s = sine(theta);
    const double t = 1.0 - c;

    m[0] = static_cast<float>(t * x * x + c);
    m[1] = static_cast<float>(t * x * y - s * z);
    m[2] = static_cast<float>(t * x * z + s * y);
    m[3] = 0.0f;
    m[4] = static_cast<float>(t * x * y + s * z);
    m[5] = static_cast<float>(t * y * y + c);
    m[6] = static_cast<float>(t * y * z - s * x);
    m[7] = 0.0f;
    m[8] = static_cast<float>(t * x * z - s * y);
    m[9] = static_cast<float>(t * y * z + s * x);
    m[10] = static_cast<float>(t * z * z + c);
    m[11] = 0.0f;
    m[12] = 0.0f;
    m[13] = 0.0f;
    m[14] = 0.0f;
    m[15] = 1.0f;
    return m;
}
