#include "feedback.h"

int FeedbackResult::vertexCount() const
{
    int n = 0;
    for (const auto& polygon : polygons)
        n += int(polygon.size());
    return n;
}

namespace {

constexpr int VertexFloats = 11;

FeedbackVertex readVertex(const float* f)
{
    return {f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10]};
}

} // namespace

FeedbackResult captureFeedback(const std::function<void()>& draw, int bufferFloats)
{
    std::vector<float> buffer(static_cast<size_t>(bufferFloats));
    glFeedbackBuffer(bufferFloats, GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const int used = glRenderMode(GL_RENDER);

    FeedbackResult result;
    if (used < 0) {
        result.overflowed = true;
        return result;
    }
    int i = 0;
    while (i < used) {
        const int token = int(buffer[size_t(i++)]);
        switch (token) {
        case GL_PASS_THROUGH_TOKEN:
            result.passThrough.push_back(buffer[size_t(i++)]);
            break;
        case GL_POLYGON_TOKEN: {
            const int n = int(buffer[size_t(i++)]);
            std::vector<FeedbackVertex> polygon;
            for (int k = 0; k < n; ++k, i += VertexFloats)
                polygon.push_back(readVertex(&buffer[size_t(i)]));
            result.polygons.push_back(polygon);
            break;
        }
        case GL_POINT_TOKEN:
        case GL_BITMAP_TOKEN:
        case GL_DRAW_PIXEL_TOKEN:
        case GL_COPY_PIXEL_TOKEN:
            i += VertexFloats;
            break;
        case GL_LINE_TOKEN:
        case GL_LINE_RESET_TOKEN:
            i += 2 * VertexFloats;
            break;
        default:
            result.overflowed = true;   // unknown token: stop decoding
            return result;
        }
    }
    return result;
}

void setWorldOrtho(float range)
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-range, range, -range, range, -range, range);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

WorldPoint toWorld(const FeedbackVertex& v, float range)
{
    // Window depth is 0.5 - z / (2 range) for this orthographic box.
    return {v.x / 800.0f * 2.0f * range - range, v.y / 600.0f * 2.0f * range - range,
            (0.5f - v.z) * 2.0f * range};
}
