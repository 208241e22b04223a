// Transforms, lights and material: the model-space eye and light, the
// colour products, the planes read back from the projection, and the
// camera guard. No frame is needed.
#include "device/render_device.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

constexpr float kPi = 3.14159265f;

void expectNear(const Vec3& got, const Vec3& want, float tolerance = 1e-5f) {
    EXPECT_NEAR(got.x, want.x, tolerance);
    EXPECT_NEAR(got.y, want.y, tolerance);
    EXPECT_NEAR(got.z, want.z, tolerance);
}

void expectEqual(const Matrix4& got, const Matrix4& want) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(got[i], want[i]) << "entry " << i;
    }
}

bool allFinite(const Matrix4& m) {
    for (float e : m.m) {
        if (!std::isfinite(e)) {
            return false;
        }
    }
    return true;
}

Matrix4 identityMatrix() {
    Matrix4 m;
    identity(m);
    return m;
}

TEST(DeviceDefaults, ConstructedUnboundWithDefaultTransforms) {
    const RenderDevice device;
    EXPECT_FALSE(device.bound);
    EXPECT_EQ(device.window, nullptr);
    EXPECT_FALSE(device.hasFrame());
    EXPECT_EQ(device.width, 0);
    EXPECT_EQ(device.renderMode, RenderMode::Flat);
    EXPECT_EQ(device.primitiveMode, PrimitiveMode::FaceList);
    EXPECT_EQ(device.lightFlags, 0u);
    EXPECT_EQ(device.material, nullptr);
    expectEqual(device.worldMatrix, identityMatrix());
    expectEqual(device.viewMatrix, identityMatrix());
    expectEqual(device.inverseWorldMatrix, identityMatrix());
    Matrix4 projection;
    perspective(projection, 0.7853981f, 0.7853981f, 1.0f, 1.0f, 1000.0f);
    expectEqual(device.projectionMatrix, projection);
    EXPECT_EQ(device.nearPlane, 1.0f);
    EXPECT_EQ(device.farPlane, 1000.0f);
    EXPECT_EQ(device.diffuseProduct.g, 0.0f);
    EXPECT_EQ(device.eyeInObject.z, 0.0f);
}

TEST(LookAt, DemoCameraGivesTranslatedIdentity) {
    RenderDevice device;
    device.lookAt(Vec3{0, 0, -200}, Vec3{0, 0, 0}, Vec3{0, 1, 0});
    Matrix4 expected = identityMatrix();
    expected[14] = 200.0f;
    expectEqual(device.viewMatrix, expected);
    EXPECT_EQ(device.eyeInObject.x, 0.0f);
    EXPECT_EQ(device.eyeInObject.y, 0.0f);
    EXPECT_EQ(device.eyeInObject.z, -200.0f);
}

TEST(LookAt, UpIsStraightenedAndNotChanged) {
    RenderDevice straight;
    straight.lookAt(Vec3{0, 0, -200}, Vec3{0, 0, 0}, Vec3{0, 1, 0});
    RenderDevice slanted;
    const Vec3 up{0, 1, 1};
    slanted.lookAt(Vec3{0, 0, -200}, Vec3{0, 0, 0}, up);
    expectEqual(slanted.viewMatrix, straight.viewMatrix);
    EXPECT_EQ(up.z, 1.0f);
}

TEST(LookAt, AxesAreOrthonormalAndRightHanded) {
    RenderDevice device;
    device.lookAt(Vec3{30, -40, 12}, Vec3{-5, 7, 90}, Vec3{0.2f, 1, 0.1f});
    const Matrix4& m = device.viewMatrix;
    const Vec3 x{m[0], m[4], m[8]};
    const Vec3 y{m[1], m[5], m[9]};
    const Vec3 z{m[2], m[6], m[10]};
    EXPECT_NEAR(dot(x, x), 1.0f, 1e-6f);
    EXPECT_NEAR(dot(y, y), 1.0f, 1e-6f);
    EXPECT_NEAR(dot(z, z), 1.0f, 1e-6f);
    EXPECT_NEAR(dot(x, y), 0.0f, 1e-6f);
    EXPECT_NEAR(dot(y, z), 0.0f, 1e-6f);
    Vec3 yz;
    cross(yz, y, z);
    expectNear(yz, x, 1e-6f);
    // The eye maps to the view-space origin, the target onto +z.
    Vec3 eye;
    transformPoint(eye, m, Vec3{30, -40, 12});
    expectNear(eye, Vec3{0, 0, 0}, 1e-4f);
    Vec3 target;
    transformPoint(target, m, Vec3{-5, 7, 90});
    EXPECT_NEAR(target.x, 0.0f, 1e-4f);
    EXPECT_NEAR(target.y, 0.0f, 1e-4f);
    EXPECT_GT(target.z, 0.0f);
}

struct GuardCase {
    std::string name;
    Vec3 eye;
    Vec3 target;
    Vec3 up;
};

class LookAtGuard : public ::testing::TestWithParam<GuardCase> {};

TEST_P(LookAtGuard, KeepsThePreviousViewWhenThereIsNoCameraFrame) {
    RenderDevice device;
    Matrix4 world;
    rotationY(world, 0.5f);
    device.setWorldMatrix(world);
    device.lookAt(Vec3{0, 0, -200}, Vec3{0, 0, 0}, Vec3{0, 1, 0});
    const Matrix4 view = device.viewMatrix;
    const Vec3 eye = device.eyeInObject;
    device.lookAt(GetParam().eye, GetParam().target, GetParam().up);
    expectEqual(device.viewMatrix, view);
    EXPECT_EQ(device.eyeInObject.x, eye.x);
    EXPECT_EQ(device.eyeInObject.z, eye.z);
    EXPECT_TRUE(allFinite(device.viewMatrix));
}

INSTANTIATE_TEST_SUITE_P(
    Cameras, LookAtGuard,
    ::testing::Values(GuardCase{"eyeOnTarget", {5, 5, 5}, {5, 5, 5}, {0, 1, 0}},
                      GuardCase{"upAlongView", {0, 0, -200}, {0, 0, 0}, {0, 0, 3}},
                      GuardCase{"upAgainstView", {0, 10, 0}, {0, 0, 0}, {0, 1, 0}},
                      GuardCase{"noUp", {0, 0, -200}, {0, 0, 0}, {0, 0, 0}},
                      GuardCase{"nanEye", {NAN, 0, 0}, {0, 0, 0}, {0, 1, 0}},
                      GuardCase{"infiniteTarget", {0, 0, 0}, {INFINITY, 0, 1}, {0, 1, 0}}),
    [](const auto& info) { return info.param.name; });

TEST(SetWorldMatrix, RotationInvertsAndTurnsTheEyeBack) {
    for (float theta : {0.03f, 1.0f, -2.5f, kPi}) {
        RenderDevice device;
        device.lookAt(Vec3{0, 0, -200}, Vec3{0, 0, 0}, Vec3{0, 1, 0});
        Matrix4 world;
        rotationY(world, theta);
        device.setWorldMatrix(world);
        Matrix4 inverse;
        rotationY(inverse, -theta);
        for (int i = 0; i < 16; ++i) {
            EXPECT_NEAR(device.inverseWorldMatrix[i], inverse[i], 1e-6f) << theta << " " << i;
        }
        // The eye (0, 0, -200) turned by -theta about y.
        expectNear(device.eyeInObject,
                   Vec3{200.0f * std::sin(theta), 0.0f, -200.0f * std::cos(theta)}, 1e-3f);
    }
}

// worldMatrix x inverseWorldMatrix is the identity, and eyeInObject carried
// back through the world matrix is the world eye again.
void expectInverseAndEyeBack(const RenderDevice& device, const Vec3& eye) {
    Matrix4 product;
    multiply(product, device.worldMatrix, device.inverseWorldMatrix);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(product[i], identityMatrix()[i], 1e-5f) << i;
    }
    Vec3 back;
    transformPoint(back, device.worldMatrix, device.eyeInObject);
    expectNear(back, eye, 1e-3f);
}

TEST(SetWorldMatrix, RotationWithTranslationCarriesTheEyeBack) {
    RenderDevice device;
    const Vec3 eye{12, -30, -150};
    device.lookAt(eye, Vec3{1, 2, 3}, Vec3{0, 1, 0});
    Matrix4 a;
    Matrix4 b;
    rotationX(a, 0.7f);
    rotationY(b, -1.3f);
    Matrix4 world;
    multiply(world, a, b);
    world[12] = 40.0f;
    world[13] = -7.0f;
    world[14] = 25.0f;
    device.setWorldMatrix(world);
    expectInverseAndEyeBack(device, eye);
}

struct NonRigidCase {
    std::string name;
    Matrix4 world;
};

Matrix4 affine(std::initializer_list<float> upper, Vec3 translation) {
    Matrix4 m = identityMatrix();
    int i = 0;
    for (float v : upper) {
        m.at(i / 3, i % 3) = v;
        ++i;
    }
    m[12] = translation.x;
    m[13] = translation.y;
    m[14] = translation.z;
    return m;
}

class NonRigidWorld : public ::testing::TestWithParam<NonRigidCase> {};

TEST_P(NonRigidWorld, GetsATrueInverseAndTheRightEye) {
    RenderDevice device;
    const Vec3 eye{10, 20, -150};
    device.lookAt(eye, Vec3{0, 0, 0}, Vec3{0, 1, 0});
    device.setWorldMatrix(GetParam().world);
    expectInverseAndEyeBack(device, eye);
}

INSTANTIATE_TEST_SUITE_P(
    Worlds, NonRigidWorld,
    ::testing::Values(NonRigidCase{"uniformScale", affine({2, 0, 0, 0, 2, 0, 0, 0, 2}, {5, 0, 1})},
                      NonRigidCase{"stretch", affine({1, 0, 0, 0, 3, 0, 0, 0, 0.5f}, {0, -4, 9})},
                      NonRigidCase{"shear", affine({1, 0, 0, 0.5f, 1, 0, 0, 0, 1}, {1, 2, 3})},
                      NonRigidCase{"mirror", affine({-1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0})}),
    [](const auto& info) { return info.param.name; });

TEST(SetWorldMatrix, SingularWorldKeepsTheLastModelSpaceValues) {
    RenderDevice device;
    device.lookAt(Vec3{0, 0, -200}, Vec3{0, 0, 0}, Vec3{0, 1, 0});
    Matrix4 turn;
    rotationY(turn, 0.4f);
    device.setWorldMatrix(turn);
    const Matrix4 inverse = device.inverseWorldMatrix;
    const Vec3 eye = device.eyeInObject;
    device.setWorldMatrix(affine({1, 0, 0, 0, 0, 0, 0, 0, 1}, {0, 0, 0})); // flattens y
    expectEqual(device.inverseWorldMatrix, inverse);
    expectNear(device.eyeInObject, eye, 0.0f);
    EXPECT_TRUE(allFinite(device.inverseWorldMatrix));
}

TEST(DirectionalLight, TurnsIntoModelSpaceWithTheWorld) {
    RenderDevice device;
    Light light;
    light.direction = Vec3{0, 0.7071068f, -0.7071068f};
    device.setLight(LightKind::Directional, &light);
    EXPECT_EQ(device.lightDirInObject.x, light.direction.x);
    EXPECT_EQ(device.lightDirInObject.y, light.direction.y);
    EXPECT_EQ(device.lightDirInObject.z, light.direction.z);
    Matrix4 world;
    rotationY(world, kPi);
    device.setWorldMatrix(world);
    expectNear(device.lightDirInObject, Vec3{0, 0.7071068f, 0.7071068f}, 1e-6f);
    // The device borrows the light: a new direction shows at the next
    // setWorldMatrix.
    light.direction = Vec3{1, 0, 0};
    device.setWorldMatrix(identityMatrix());
    expectNear(device.lightDirInObject, Vec3{1, 0, 0}, 0.0f);
}

TEST(PointAndSpotLights, FollowTheWorldMatrix) {
    RenderDevice device;
    Light point;
    point.position = Vec3{10, 0, 0};
    Light spot;
    spot.position = Vec3{0, 5, 0};
    spot.direction = Vec3{0, 0, 1};
    device.setLight(LightKind::Point, &point);
    device.setLight(LightKind::Spot, &spot);
    EXPECT_EQ(device.lightFlags, LightKind::Point | LightKind::Spot);
    Matrix4 world = identityMatrix();
    world[12] = 3.0f; // the model moved 3 to +x: the lights sit 3 further -x in it
    device.setWorldMatrix(world);
    expectNear(device.pointPosInObject, Vec3{7, 0, 0}, 0.0f);
    expectNear(device.spotPosInObject, Vec3{-3, 5, 0}, 0.0f);
    expectNear(device.spotDirInObject, Vec3{0, 0, 1}, 0.0f);
}

struct ProductCase {
    std::string name;
    bool materialFirst;
};

class ColourProducts : public ::testing::TestWithParam<ProductCase> {};

TEST_P(ColourProducts, AppearWhenLightAndMaterialAreBothSet) {
    RenderDevice device;
    Light ambient;
    ambient.color = Color3{0.1f, 0.1f, 0.1f};
    Light white;
    white.color = Color3{1, 1, 1};
    Light point;
    point.color = Color3{0.5f, 0.5f, 0.25f};
    Material material;
    material.ambient = Color3{1, 1, 1};
    material.diffuse = Color3{0.2f, 0.95f, 0.2f};
    if (GetParam().materialFirst) {
        device.setMaterial(&material);
    }
    device.setLight(LightKind::Ambient, &ambient);
    device.setLight(LightKind::Directional, &white);
    device.setLight(LightKind::Point, &point);
    if (!GetParam().materialFirst) {
        EXPECT_EQ(device.diffuseProduct.g, 0.0f) << "no material yet";
        device.setMaterial(&material);
    }
    EXPECT_EQ(device.ambientProduct.r, 0.1f);
    EXPECT_EQ(device.ambientProduct.b, 0.1f);
    EXPECT_EQ(device.diffuseProduct.r, 0.2f);
    EXPECT_EQ(device.diffuseProduct.g, 0.95f);
    EXPECT_EQ(device.diffuseProduct.b, 0.2f);
    EXPECT_EQ(device.pointProduct.r, 0.1f);
    EXPECT_EQ(device.pointProduct.g, 0.475f);
    EXPECT_EQ(device.pointProduct.b, 0.05f);
}

INSTANTIATE_TEST_SUITE_P(Orders, ColourProducts,
                         ::testing::Values(ProductCase{"lightsFirst", false},
                                           ProductCase{"materialFirst", true}),
                         [](const auto& info) { return info.param.name; });

TEST(SetLight, SeveralKindsFillEverySlotWithTheSameLight) {
    RenderDevice device;
    Light light;
    device.setLight(LightKind::Ambient | LightKind::Directional, &light);
    EXPECT_EQ(device.ambientLight, &light);
    EXPECT_EQ(device.directionalLight, &light);
    EXPECT_EQ(device.pointLight, nullptr);
    EXPECT_EQ(device.lightFlags, LightKind::Ambient | LightKind::Directional);
    // Bits accumulate; a later light for a kind replaces the slot's.
    Light other;
    device.setLight(LightKind::Directional, &other);
    EXPECT_EQ(device.directionalLight, &other);
    EXPECT_EQ(device.ambientLight, &light);
    EXPECT_EQ(device.lightFlags, LightKind::Ambient | LightKind::Directional);
}

TEST(SetLight, ColourEditsReachTheProductsOnlyThroughANewCall) {
    RenderDevice device;
    Light ambient;
    ambient.color = Color3{0.1f, 0.1f, 0.1f};
    Material material;
    material.ambient = Color3{1, 1, 1};
    device.setLight(LightKind::Ambient, &ambient);
    device.setMaterial(&material);
    ambient.color = Color3{0.5f, 0.5f, 0.5f};
    EXPECT_EQ(device.ambientProduct.r, 0.1f);
    device.setLight(LightKind::Ambient, &ambient);
    EXPECT_EQ(device.ambientProduct.r, 0.5f);
    material.ambient = Color3{0.5f, 0.5f, 0.5f};
    device.setMaterial(&material);
    EXPECT_EQ(device.ambientProduct.r, 0.25f);
}

TEST(SetLight, MissingLightOrMaterialIsIgnored) {
    RenderDevice device;
    device.setLight(LightKind::Directional | LightKind::Ambient, nullptr);
    EXPECT_EQ(device.lightFlags, 0u);
    EXPECT_EQ(device.directionalLight, nullptr);
    device.setWorldMatrix(identityMatrix()); // reads no light
    Light light;
    light.color = Color3{1, 1, 1};
    Material material;
    material.diffuse = Color3{0.5f, 0.5f, 0.5f};
    device.setLight(LightKind::Directional, &light);
    device.setMaterial(&material);
    device.setMaterial(nullptr);
    EXPECT_EQ(device.material, nullptr);
    EXPECT_EQ(device.diffuseProduct.r, 0.5f) << "products keep their last values";
    light.color = Color3{0.2f, 0.2f, 0.2f};
    device.setLight(LightKind::Directional, &light);
    EXPECT_EQ(device.diffuseProduct.r, 0.5f) << "no material to multiply with";
}

TEST(SetProjection, ReadsNearAndFarBack) {
    struct Case {
        float zNear;
        float zFar;
    };
    for (const Case& c : {Case{1, 1000}, Case{0.5f, 200}, Case{10, 5000}}) {
        RenderDevice device;
        Matrix4 p;
        perspective(p, 0.7853981f, 0.7853981f, 1.0f, c.zNear, c.zFar);
        device.setProjection(p);
        expectEqual(device.projectionMatrix, p);
        EXPECT_NEAR(device.nearPlane, c.zNear, c.zNear * 1e-5f);
        EXPECT_NEAR(device.farPlane, c.zFar, c.zFar * 1e-5f);
    }
    RenderDevice demo;
    Matrix4 p;
    perspective(p, 0.7853981f, 0.7853981f, 1.0f, 1.0f, 1000.0f);
    demo.setProjection(p);
    EXPECT_EQ(demo.nearPlane, 1.0f);
    EXPECT_GT(demo.farPlane, 1000.0f) << "1000.0006 after float rounding";
    EXPECT_LT(demo.farPlane, 1000.001f);
}

} // namespace
