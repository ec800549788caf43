// The bars drawn over the scene: health, power, the target's health, strength.
#pragma once

void drawOverlay();
