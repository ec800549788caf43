#include "app/frame_loop.h"

#include "app/camera.h"
#include "app/frame_timer.h"
#include "app/loading_screen.h"
#include "app/overlay.h"
#include "app/sky.h"
#include "app/sound_system.h"
#include "app/world_build.h"
#include "assets/asset_tables.h"
#include "assets/image_files.h"
#include "characters/character_list.h"
#include "platform/backend.h"
#include "world/terrain_drawing.h"
#include "world/scenery.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <chrono>

int GamePhase = 0;
int WindowSize[2] = {1, 1};
float FrameDelta = 0.0f;
float TimeOfDay = 0.0f;
bool MeasureFramePhases = false;
double FramePhaseSeconds[FramePhaseCount] = {};

void initGlState()
{
    glClearColor(0.0f, 1.0f, 0.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);

    const float noAmbient[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, noAmbient);

    const float ambient[4] = {0.4f, 0.4f, 0.4f, 0.0f};
    const float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const float specular[4] = {0.9f, 0.9f, 0.9f, 0.0f};
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightfv(GL_LIGHT0, GL_POSITION, LightPosition);

    glEnable(GL_FOG);
    glFogfv(GL_FOG_COLOR, SkyColour);
    glFogf(GL_FOG_START, 0.0f);
    glFogf(GL_FOG_END, float(ViewDistance - 5));
    glFogf(GL_FOG_DENSITY, 0.08f);
    glFogi(GL_FOG_MODE, GL_LINEAR);

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);

    glGenTextures(TextureCount, TextureTable);

    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
}

void reshapeWindow(int width, int height)
{
    WindowSize[0] = width;
    WindowSize[1] = height;
    if (GamePhase != 3)
        return;
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(35.0, double(float(width) / float(height)), double(0.01f), 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void displayFrame()
{
    switch (GamePhase) {
    case 0:
    case 1:
        drawLoadingScreen();
        return;
    case 2:
        buildWorld();
        GamePhase = 3;
        reshapeWindow(WindowSize[0], WindowSize[1]);
        runFrame();
        return;
    default:
        runFrame();
        return;
    }
}

void runFrame()
{
    updateFrame();
    drawFrame();
}

namespace {

double PhaseStart = 0.0;

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void startPhases()
{
    if (MeasureFramePhases)
        PhaseStart = steadySeconds();
}

void endPhase(FramePhase phase)
{
    if (!MeasureFramePhases)
        return;
    glFinish();
    const double now = steadySeconds();
    FramePhaseSeconds[phase] = now - PhaseStart;
    PhaseStart = now;
}

bool playerLiesDying()
{
    if (Characters.main.empty())
        return false;
    const Character* player = Characters.player();
    return player->kind == DormantZombie || player->health < -5.0f;
}

} // namespace

void updateFrame()
{
    startPhases();
    FrameDelta = GameTimer.delta();
    if (playerLiesDying())
        FrameDelta *= 10.0f;
    GameTimer.tick();
    Sound.update();

    TimeOfDay += FrameDelta * 0.2f;
    if (TimeOfDay > 24.0f)
        TimeOfDay = 0.0f;
    updateSkyColour();

    GameCamera.follow();
    updateFog(FrameDelta);
    endPhase(PhaseCameraAndFog);

    Characters.gameTick(FrameDelta);
    endPhase(PhaseTick);
}

void drawFrame()
{
    startPhases();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glPushMatrix();
    GameCamera.applyRotation();

    if (CameraUnderwater)
        glClearColor(UnderwaterFogColour[0], UnderwaterFogColour[1], UnderwaterFogColour[2], 0.0f);
    else
        glClearColor(SkyColour[0], SkyColour[1], SkyColour[2], 0.0f);

    glLightfv(GL_LIGHT0, GL_POSITION, LightPosition);
    GameCamera.applyTranslation();

    const float centreX = CameraEye.x + 60.0f * CameraForward.x;
    const float centreZ = CameraEye.z + 60.0f * CameraForward.z;
    bindTexture(TextureSlot::Pyramid);
    drawTerrain(centreX, centreZ);
    // A software rasteriser starts on what it is handed while the rest of the
    // frame is prepared: the ground, then the scenery, are its largest parts.
    glFlush();
    endPhase(PhaseTerrain);
    Characters.drawAll();
    endPhase(PhaseCharacters);
    bindTexture(TextureSlot::Pyramid);
    drawWater(centreX, centreZ);
    endPhase(PhaseWater);
    drawScenery(CameraEye.x, CameraEye.z);
    glFlush();
    endPhase(PhaseScenery);
    Characters.drawBlended();
    endPhase(PhaseBlended);

    glPopMatrix();
    drawOverlay();
    glPopMatrix();
    endPhase(PhaseOverlay);

    swapFrameBuffers();
    requestRedisplay();
}

void releaseGame()
{
    Sound.release();
    Characters.clear();
    glDeleteTextures(TextureCount, TextureTable);
}
