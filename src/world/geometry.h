// Conventions shared by every subsystem.
//
// Axes: x is the terrain column, z the row, y the height. One cell is one
// world unit; the world spans 0..500 on x and z. Generation operators wrap
// with period 500; drawing, height queries and character positions wrap with
// period 499 (cell 499 is cell 0).
//
// Angles are radians for sin and cos, with a full turn written 6.28 and a
// quarter turn 1.57075 throughout (not 2 pi). GL rotations take degrees,
// converted with RadiansToDegrees = 360 / 6.28.
#pragma once

constexpr float FullTurn = 6.28f;
constexpr float HalfTurn = 3.1415927f;
constexpr float QuarterTurn = 1.57075f;
constexpr float TurnFraction = 0.15923566f;              // 1 / 6.28
constexpr float RadiansToDegrees = TurnFraction * 360.0f;

constexpr int WorldSize = 500;        // cells per side of every grid
constexpr int WrapPeriod = 499;       // period of drawing and character wrap
