#include "scene/demo_view.h"

#include "scene/rigid_rotation.h"
#include "scene/scene_values.h"

namespace demo {

void aimCamera(RenderDevice& device) {
    Matrix4 world;
    identity(world);
    device.setWorldMatrix(world);
    device.lookAt(kEye, kTarget, kUp);
    device.setProjection(projection());
}

void installLighting(RenderDevice& device, Light& ambient, Light& directional, Material& material) {
    directional.direction = kLightDirection;
    directional.color = kLightColor;
    Vec3 unitDirection;
    normalize(unitDirection, directional.direction); // also writes the unit vector back
    ambient.color = kAmbientColor;
    material.ambient = kMaterialAmbient;
    material.diffuse = kMaterialDiffuse;
    device.setLight(LightKind::Ambient, &ambient);
    device.setLight(LightKind::Directional, &directional);
    device.setMaterial(&material);
}

void setUpView(RenderDevice& device, Light& ambient, Light& directional, Material& material) {
    aimCamera(device);
    installLighting(device, ambient, directional, material);
    device.primitiveMode = PrimitiveMode::FaceList;
}

void spinStep(Matrix4& rotation) {
    Matrix4 step;
    rotationY(step, kSpinPerFrame);
    multiply(rotation, rotation, step);
    restoreRigidRotation(rotation);
}

} // namespace demo
