#include "world/terrain_drawing.h"

#include "app/frame_loop.h"
#include "world/terrain_grid.h"

#include <GL/gl.h>

#include <cmath>

float waterWaveTime = 0.0f;

namespace {

constexpr int GroundReach = 60;   // cells either side of the centre
constexpr int WaterStep = 6;      // cells per water quad
constexpr float TextureStep = 0.2f;

// Positions stay unwrapped so the window is continuous; the data comes from
// the wrapped cell.
void groundVertex(int dataX, int dataZ, int texX, int posX, int posZ)
{
    const int cell = cellIndex(dataX, dataZ);
    const Normal& n = normalGrid[cell];
    glColor3f(redGrid[cell], greenGrid[cell], blueGrid[cell]);
    glNormal3f(n.x, n.y, n.z);
    glTexCoord2f(float(texX) * TextureStep, float(dataZ) * TextureStep);
    glVertex3f(float(posX), heightGrid[cell], float(posZ));
}

void waterVertex(int dataX, int dataZ, int texX, int posX, int posZ, float slide)
{
    const int cell = cellIndex(dataX, dataZ);
    const Normal& n = normalGrid[cell];
    glNormal3f(n.x, n.y, n.z);
    glTexCoord2f(slide + float(texX) * TextureStep, float(dataZ) * TextureStep);
    glVertex3f(float(posX), waterLevel + 0.5f * std::cos(waterWaveTime + wavePhaseGrid[cell]),
               float(posZ));
}

} // namespace

void drawTerrain(float centreX, float centreZ)
{
    const int cx = int(centreX);
    const int cz = int(centreZ);
    for (int i = cx - GroundReach; i < cx + GroundReach; ++i) {
        int i1 = i + 1, noRow = 0;
        wrapCell(i1, noRow);
        glBegin(GL_TRIANGLE_STRIP);
        for (int j = cz - GroundReach; j < cz + GroundReach; ++j) {
            int iw = i, jw = j;
            wrapCell(iw, jw);
            groundVertex(i1, jw, iw + 1, i + 1, j);
            groundVertex(iw, jw, iw, i, j);
        }
        glEnd();
    }
}

void drawWater(float centreX, float centreZ)
{
    glDisable(GL_CULL_FACE);
    waterWaveTime += FrameDelta * 0.4f;
    // Integer division rounds toward zero, so the mesh moves in steps of six.
    const int cx6 = int(centreX) / WaterStep * WaterStep;
    const int cz6 = int(centreZ) / WaterStep * WaterStep;
    glEnable(GL_BLEND);
    glColor4f(0.0f, 0.0f, 0.8f, 0.7f);
    const float slide = std::cos(waterWaveTime);
    for (int i = cx6 - GroundReach; i < cx6 + GroundReach; i += WaterStep) {
        int i6 = i + WaterStep, noRow = 0;
        wrapCell(i6, noRow);
        glBegin(GL_TRIANGLE_STRIP);
        for (int j = cz6 - GroundReach; j < cz6 + GroundReach; j += WaterStep) {
            int iw = i, jw = j;
            wrapCell(iw, jw);
            waterVertex(i6, jw, iw + WaterStep, i + WaterStep, j, slide);
            waterVertex(iw, jw, iw, i, j, slide);
        }
        glEnd();
    }
    glEnable(GL_CULL_FACE);
    glDisable(GL_BLEND);
}
