// The frame loop: GL start-up state, the reshape callback and the display
// callback's phase machine, which shows the loading screen once, builds the
// world once and then runs one game frame per call.
#pragma once

#include "game_state.h" // FrameDelta, TimeOfDay

extern int GamePhase;          // 0 or 1: loading screen due; 2: build; 3: running
extern int WindowSize[2];      // width, height as last reported by reshape

void initGlState();
void reshapeWindow(int width, int height);
void displayFrame();

// One running frame (the body of phase 3).
void runFrame();

// The two halves of a running frame, for the capture tool's timings:
// everything up to and including the game tick, then the drawing.
void updateFrame();
void drawFrame();

// Per-phase timing of running frames, for the benchmarks. While enabled each
// phase ends with glFinish, so the GL work is counted where it was issued.
enum FramePhase {
    PhaseCameraAndFog, PhaseTick, PhaseTerrain, PhaseCharacters, PhaseWater, PhaseScenery,
    PhaseBlended, PhaseOverlay, FramePhaseCount
};
extern bool MeasureFramePhases;
extern double FramePhaseSeconds[FramePhaseCount];

// Releases what must go while the GL context and audio device still exist:
// the sound system first, then the characters, then the texture names.
void releaseGame();
