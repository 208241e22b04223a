#include "math/vector_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

Matrix4 fromValues(std::initializer_list<float> values) {
    Matrix4 m;
    int i = 0;
    for (float v : values) {
        m[i++] = v;
    }
    return m;
}

void expectMatrixNear(const Matrix4& actual, const Matrix4& expected, float tolerance) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "entry " << i;
    }
}

void expectVecNear(const Vec3& actual, const Vec3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

bool isFinite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

const Matrix4 kA = fromValues({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
const Matrix4 kB = fromValues({2, 0, 1, 0, 0, 3, 0, 1, 1, 0, 2, 0, 4, 5, 6, 1});

TEST(Multiply, ProductIsRowTimesColumnWithLeftOperandActingFirst) {
    Matrix4 out;
    multiply(out, kA, kB);
    // Row 0 of A times the columns of B.
    EXPECT_FLOAT_EQ(out.at(0, 0), 1 * 2 + 2 * 0 + 3 * 1 + 4 * 4);
    EXPECT_FLOAT_EQ(out.at(0, 1), 1 * 0 + 2 * 3 + 3 * 0 + 4 * 5);
    EXPECT_FLOAT_EQ(out.at(3, 3), 13 * 0 + 14 * 1 + 15 * 0 + 16 * 1);

    // p x A x B equals (p x A) x B: a translation then a rotation.
    Matrix4 translate;
    identity(translate);
    translate[12] = 10.0f;
    Matrix4 turn;
    rotationY(turn, 1.5707964f);
    Matrix4 both;
    multiply(both, translate, turn);
    Vec3 p{0, 0, 0};
    Vec3 viaProduct;
    transformPoint(viaProduct, both, p);
    Vec3 stepwise;
    transformPoint(stepwise, translate, p);
    transformPoint(stepwise, turn, stepwise);
    expectVecNear(viaProduct, stepwise, 1e-5f);
    expectVecNear(viaProduct, {0, 0, -10}, 1e-5f);
}

TEST(Multiply, OutputMayAliasEitherInput) {
    Matrix4 expected;
    multiply(expected, kA, kB);

    Matrix4 a = kA;
    multiply(a, a, kB);
    expectMatrixNear(a, expected, 0.0f);

    Matrix4 b = kB;
    multiply(b, kA, b);
    expectMatrixNear(b, expected, 0.0f);

    Matrix4 square;
    multiply(square, kA, kA);
    Matrix4 self = kA;
    multiply(self, self, self);
    expectMatrixNear(self, square, 0.0f);
}

TEST(TransformPoint, IdentityAndAliasing) {
    Matrix4 id;
    identity(id);
    Vec3 p{1.5f, -2.25f, 7.0f};
    Vec3 out;
    transformPoint(out, id, p);
    expectVecNear(out, p, 0.0f);

    Matrix4 m = kB;
    m[3] = 0.0f;
    m[7] = 0.0f;
    m[11] = 0.0f;
    m[15] = 2.0f;
    Vec3 separate;
    transformPoint(separate, m, p);
    Vec3 inPlace = p;
    EXPECT_EQ(&transformPoint(inPlace, m, inPlace), &inPlace);
    expectVecNear(inPlace, separate, 0.0f);
    // w = 2 divides every component.
    EXPECT_FLOAT_EQ(separate.x, (1.5f * 2 + 7.0f * 1 + 4) / 2);
}

TEST(TransformPoint, ZeroWGivesTheZeroVectorInsteadOfInfinities) {
    Matrix4 projection;
    perspective(projection, 0.7853981f, 0.7853981f, 1.0f, 1.0f, 1000.0f);
    Vec3 onEyePlane{10.0f, 20.0f, 0.0f};
    Vec3 out;
    transformPoint(out, projection, onEyePlane);
    EXPECT_TRUE(isFinite(out));
    expectVecNear(out, {0, 0, 0}, 0.0f);
}

TEST(Perspective, DemoProjectionEntriesAndDepthRange) {
    Matrix4 m;
    perspective(m, 0.7853981f, 0.7853981f, 1.0f, 1.0f, 1000.0f);
    EXPECT_FLOAT_EQ(m[0], 1.0000001f);
    EXPECT_FLOAT_EQ(m[5], 1.0000001f);
    EXPECT_FLOAT_EQ(m[10], 1.001001f);
    EXPECT_FLOAT_EQ(m[11], 1.0f);
    EXPECT_FLOAT_EQ(m[14], -1.001001f);
    EXPECT_EQ(m[15], 0.0f);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13}) {
        EXPECT_EQ(m[i], 0.0f) << "entry " << i;
    }

    Vec3 nearPoint;
    transformPoint(nearPoint, m, Vec3{0, 0, 1});
    EXPECT_NEAR(nearPoint.z, 0.0f, 1e-6f);
    Vec3 farPoint;
    transformPoint(farPoint, m, Vec3{0, 0, 1000});
    EXPECT_NEAR(farPoint.z, 1.0f, 1e-6f);
    // A point on the 45-degree edge of the field projects to x = 1.
    Vec3 edge;
    transformPoint(edge, m, Vec3{50, -50, 50});
    EXPECT_NEAR(edge.x, 1.0f, 1e-6f);
    EXPECT_NEAR(edge.y, -1.0f, 1e-6f);
}

struct RotationCase {
    const char* name;
    void (*build)(Matrix4&, float);
    float angle;
    Vec3 in;
    Vec3 expected;
};

class AxisRotation : public ::testing::TestWithParam<RotationCase> {};

TEST_P(AxisRotation, MapsPointsAsTheRowVectorConventionSays) {
    const RotationCase& c = GetParam();
    Matrix4 m;
    c.build(m, c.angle);
    Vec3 out;
    transformPoint(out, m, c.in);
    expectVecNear(out, c.expected, 1e-6f);
}

INSTANTIATE_TEST_SUITE_P(
    Rotations, AxisRotation,
    ::testing::Values(RotationCase{"XQuarterTurnTakesYToZ", rotationX, 1.5707964f, {0, 1, 0}, {0, 0, 1}},
                      RotationCase{"XQuarterTurnTakesZToMinusY", rotationX, 1.5707964f, {0, 0, 1}, {0, -1, 0}},
                      RotationCase{"YQuarterTurnTakesXToMinusZ", rotationY, 1.5707964f, {1, 0, 0}, {0, 0, -1}},
                      RotationCase{"YQuarterTurnTakesZToX", rotationY, 1.5707964f, {0, 0, 1}, {1, 0, 0}},
                      RotationCase{"YKeepsTheAxis", rotationY, 0.7f, {0, 3, 0}, {0, 3, 0}}),
    [](const ::testing::TestParamInfo<RotationCase>& info) { return info.param.name; });

TEST(VectorOps, LengthDotCross) {
    EXPECT_FLOAT_EQ(length(Vec3{3, 4, 12}), 13.0f);
    EXPECT_FLOAT_EQ(dot(Vec3{1, 2, 3}, Vec3{4, -5, 6}), 12.0f);

    Vec3 out;
    expectVecNear(cross(out, Vec3{1, 0, 0}, Vec3{0, 1, 0}), {0, 0, 1}, 0.0f);
    expectVecNear(cross(out, Vec3{0, 1, 0}, Vec3{1, 0, 0}), {0, 0, -1}, 0.0f);

    // Output aliasing either input reads both inputs first.
    Vec3 a{1, 2, 3};
    const Vec3 b{4, 5, 6};
    Vec3 expected;
    cross(expected, a, b);
    cross(a, a, b);
    expectVecNear(a, expected, 0.0f);
    Vec3 c{4, 5, 6};
    cross(c, Vec3{1, 2, 3}, c);
    expectVecNear(c, expected, 0.0f);
}

TEST(Normalize, WritesTheUnitVectorIntoBothOutputAndInput) {
    Vec3 v{0, 3, 4};
    Vec3 out;
    EXPECT_EQ(&normalize(out, v), &out);
    expectVecNear(out, {0, 0.6f, 0.8f}, 1e-7f);
    expectVecNear(v, {0, 0.6f, 0.8f}, 1e-7f);

    Vec3 light{0, 1, -1};
    Vec3 scratch;
    normalize(scratch, light);
    EXPECT_FLOAT_EQ(light.y, 0.70710677f);
    EXPECT_FLOAT_EQ(light.z, -0.70710677f);
}

TEST(Normalize, ZeroVectorStaysZero) {
    Vec3 v{0, 0, 0};
    Vec3 out{9, 9, 9};
    normalize(out, v);
    expectVecNear(out, {0, 0, 0}, 0.0f);
    expectVecNear(v, {0, 0, 0}, 0.0f);
}

TEST(AxisAngleRotation, ZeroAngleIsIdentityAndXAxisIsRotationXOfMinusTheta) {
    Matrix4 id;
    identity(id);
    Vec3 axis{0.3f, -0.5f, 0.8f};
    Matrix4 m;
    EXPECT_EQ(&axisAngleRotation(m, axis, 0.0f), &m);
    expectMatrixNear(m, id, 1e-7f);

    for (float theta : {0.25f, 1.0f, -2.0f}) {
        Vec3 xAxis{1, 0, 0};
        axisAngleRotation(m, xAxis, theta);
        Matrix4 rx;
        rotationX(rx, -theta);
        expectMatrixNear(m, rx, 1e-6f);
    }
}

TEST(AxisAngleRotation, NormalizesTheCallersAxis) {
    Vec3 axis{0, 2, 0};
    Matrix4 m;
    axisAngleRotation(m, axis, 0.5f);
    expectVecNear(axis, {0, 1, 0}, 0.0f);
    Matrix4 ry;
    rotationY(ry, -0.5f);
    expectMatrixNear(m, ry, 1e-6f);
}

TEST(AxisAngleRotation, ZeroAxisStaysFinite) {
    Vec3 axis{0, 0, 0};
    Matrix4 m;
    axisAngleRotation(m, axis, 0.3f);
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(std::isfinite(m[i])) << "entry " << i;
    }
}

} // namespace
