// Putting the player somewhere chosen once the world is built, for the runs
// that show a fixed scene: thornwick-capture's --place and the browser
// build's place in the URL. Owns nothing; moves the player of Characters.
#pragma once

struct PlayerPlacement {
    float x = 0.0f;
    float z = 0.0f;
    float heading = 0.0f;
};

// "X,Z[,HEADING]" with X and Z within the world (0..499) and the heading in
// radians; false for anything else.
bool parsePlacement(const char* text, PlayerPlacement& out);

// The player stands on the ground at (x, z), facing the heading; nothing
// happens while the world has no player.
void placePlayer(const PlayerPlacement& placement);
