#include "world/view_volume.h"

#include <GL/gl.h>

#include <cmath>

void ViewVolume::capture()
{
    float projection[16];
    float modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    double clip[16];   // projection x modelview, column-major
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += double(projection[k * 4 + row]) * double(modelview[col * 4 + k]);
            clip[col * 4 + row] = sum;
        }
    for (int axis = 0; axis < 3; ++axis)
        for (int side = 0; side < 2; ++side) {
            const double sign = side == 0 ? 1.0 : -1.0;
            double plane[4];
            for (int col = 0; col < 4; ++col)
                plane[col] = clip[col * 4 + 3] + sign * clip[col * 4 + axis];
            const double length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
            float* out = planes[axis * 2 + side];
            for (int col = 0; col < 4; ++col)
                out[col] = float(length > 0.0 ? plane[col] / length : plane[col]);
        }
}

bool ViewVolume::excludes(const Bounds& box) const
{
    constexpr float Margin = 0.05f;
    for (const auto& p : planes) {
        // The corner farthest along the plane's inward normal.
        const float x = p[0] >= 0.0f ? box.hi[0] : box.lo[0];
        const float y = p[1] >= 0.0f ? box.hi[1] : box.lo[1];
        const float z = p[2] >= 0.0f ? box.hi[2] : box.lo[2];
        if (p[0] * x + p[1] * y + p[2] * z + p[3] < -Margin)
            return true;
    }
    return false;
}
