#include "app/overlay.h"

void drawOverlay() {}
