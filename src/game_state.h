// The running frame's program-wide values that the app writes and the world
// and the characters only read (or, for the player's power and keys, add to
// when an orb or a key is touched). Declared here, below every layer, so no
// lower layer includes the app; each is defined in the file that writes it.
#pragma once

// Written by the frame loop (app/frame_loop.cpp) at the start of each running frame.
extern float FrameDelta;   // this frame's time step in seconds, after scaling
extern float TimeOfDay;    // hours, 0..24

// Written by the camera (app/camera.cpp) as it follows the player.
struct CameraPoint {
    float x;
    float z;
};
extern CameraPoint CameraEye;      // eye position, x and z
extern CameraPoint CameraForward;  // unit horizontal direction from eye to target

// Written by the fog update (app/sky.cpp): how far characters think and draw.
extern int ViewDistance;

// Written by the game tick (app/game_tick.cpp); power orbs and keys add to them
// in the character update.
extern float PlayerPower;  // pays for changing shape and for healing
extern int KeysFound;      // keys picked up so far
