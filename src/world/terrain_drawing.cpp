#include "world/terrain_drawing.h"

#include "game_state.h"
#include "world/terrain_grid.h"
#include "world/view_volume.h"

// glMultiDrawArrays (OpenGL 1.4) is declared only with the prototypes on.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>

#include <cmath>

float waterWaveTime = 0.0f;

namespace {

constexpr int GroundReach = 60;   // cells either side of the centre
constexpr int WaterStep = 6;      // cells per water quad
constexpr float TextureStep = 0.2f;

void waterVertex(int dataX, int dataZ, int texX, int posX, int posZ, float slide)
{
    const int cell = cellIndex(dataX, dataZ);
    const Normal& n = normalGrid[cell];
    glNormal3f(n.x, n.y, n.z);
    glTexCoord2f(slide + float(texX) * TextureStep, float(dataZ) * TextureStep);
    glVertex3f(float(posX), waterLevel + 0.5f * std::cos(waterWaveTime + wavePhaseGrid[cell]),
               float(posZ));
}

// The ground window as vertex arrays: one strip per column of cells, two
// vertices per row, the values and order plain immediate-mode strips would
// send. Filled every frame (the grids may change under the player) into
// storage that lives as long as the program.
struct GroundVertex {
    float r, g, b;
    float nx, ny, nz;
    float s, t;
    float x, y, z;
};

constexpr int WindowSide = 2 * GroundReach;
constexpr int StripVertices = 2 * WindowSide;
constexpr int WindowVertices = WindowSide * StripVertices;

GroundVertex GroundWindow[WindowVertices];
ViewVolume TerrainView;

// Positions stay unwrapped so the window is continuous; the data comes from
// the wrapped cell.
void setGroundVertex(GroundVertex& out, int dataX, int dataZ, int texX, int posX, int posZ)
{
    const int cell = cellIndex(dataX, dataZ);
    const Normal& n = normalGrid[cell];
    out = {redGrid[cell], greenGrid[cell], blueGrid[cell], n.x, n.y, n.z,
           float(texX) * TextureStep, float(dataZ) * TextureStep, float(posX), heightGrid[cell], float(posZ)};
}

void fillGroundWindow(int cx, int cz)
{
    GroundVertex* out = GroundWindow;
    for (int i = cx - GroundReach; i < cx + GroundReach; ++i) {
        int i1 = i + 1, noRow = 0;
        wrapCell(i1, noRow);
        for (int j = cz - GroundReach; j < cz + GroundReach; ++j) {
            int iw = i, jw = j;
            wrapCell(iw, jw);
            setGroundVertex(*out++, i1, jw, iw + 1, i + 1, j);
            setGroundVertex(*out++, iw, jw, iw, i, j);
        }
    }
}

// The box of the two triangles between rows `row` and `row + 1` of a strip.
Bounds quadBounds(const GroundVertex* strip, int row)
{
    const GroundVertex* q = strip + 2 * row;
    const float lowest = std::fmin(std::fmin(q[0].y, q[1].y), std::fmin(q[2].y, q[3].y));
    const float highest = std::fmax(std::fmax(q[0].y, q[1].y), std::fmax(q[2].y, q[3].y));
    return {{q[1].x, lowest, q[1].z}, {q[0].x, highest, q[3].z}};
}

Bounds stripBounds(const GroundVertex* strip)
{
    float lowest = strip[0].y;
    float highest = strip[0].y;
    for (int k = 1; k < StripVertices; ++k) {
        lowest = std::fmin(lowest, strip[k].y);
        highest = std::fmax(highest, strip[k].y);
    }
    return {{strip[1].x, lowest, strip[1].z}, {strip[0].x, highest, strip[StripVertices - 1].z}};
}

// The runs of each strip's quads that may be in view, gathered for one
// multi-draw. A run starts on a row, an even vertex, so its triangles keep
// the winding they have in the whole strip; a triangle wholly outside the
// view makes no fragment, so the picture is that of every whole strip.
constexpr int MostRuns = WindowSide * WindowSide / 2;
GLint RunFirst[MostRuns];
GLsizei RunCount[MostRuns];
int Runs = 0;

void addRun(int first, int count)
{
    RunFirst[Runs] = first;
    RunCount[Runs] = count;
    ++Runs;
}

void gatherVisibleRuns(int stripIndex)
{
    const int first = stripIndex * StripVertices;
    const GroundVertex* strip = GroundWindow + first;
    if (TerrainView.excludes(stripBounds(strip)))
        return;
    int runStart = -1;
    for (int row = 0; row < WindowSide - 1; ++row) {
        const bool visible = !TerrainView.excludes(quadBounds(strip, row));
        if (visible && runStart < 0)
            runStart = row;
        if (!visible && runStart >= 0) {
            addRun(first + 2 * runStart, 2 * (row - runStart + 1));
            runStart = -1;
        }
    }
    if (runStart >= 0)
        addRun(first + 2 * runStart, 2 * (WindowSide - runStart));
}

} // namespace

void drawTerrain(float centreX, float centreZ)
{
    const int cx = int(centreX);
    const int cz = int(centreZ);
    fillGroundWindow(cx, cz);
    TerrainView.capture();

    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    const GroundVertex* v = GroundWindow;
    glColorPointer(3, GL_FLOAT, sizeof(GroundVertex), &v->r);
    glNormalPointer(GL_FLOAT, sizeof(GroundVertex), &v->nx);
    glTexCoordPointer(2, GL_FLOAT, sizeof(GroundVertex), &v->s);
    glVertexPointer(3, GL_FLOAT, sizeof(GroundVertex), &v->x);
    Runs = 0;
    for (int strip = 0; strip < WindowSide; ++strip)
        gatherVisibleRuns(strip);
    glMultiDrawArrays(GL_TRIANGLE_STRIP, RunFirst, RunCount, Runs);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);

    // Immediate mode leaves the last vertex's colour, normal and texture
    // coordinate current (the colour also sets the tracked material); the
    // passes after the ground may start from them.
    const GroundVertex& last = GroundWindow[WindowVertices - 1];
    glColor3f(last.r, last.g, last.b);
    glNormal3f(last.nx, last.ny, last.nz);
    glTexCoord2f(last.s, last.t);
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
