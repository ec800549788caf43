// The loading picture shown once before the world is built.
#pragma once

void drawLoadingScreen();
