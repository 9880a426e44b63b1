// app/smooth.h — smooth motion: frames drawn at the display's own rate, each placing what moves
// between the world's last two steps by the share of the step that has passed since the last
// one. The world steps 60 times a second whatever the display shows; on a display that shows
// more, a frame drawn between two steps would otherwise show the last step again.
//
// Drawing only: before each frame step the positions of the moving objects are remembered here
// (never in the world, its dump or its digest); a frame moves them to where they are at its
// moment and puts them back before it is shown, so the world and the next step never see it.
// An object that came or went in the step, or that jumped further than anything flies in one
// step (a wrap-around, a new entry at an edge), is drawn where it is. The crosshair follows the
// pointer's latest position anyway: it is drawn where the last input event left it.
//
// The option "Smooth motion" turns it on or off; the player's choice is kept in the settings
// file. Until the player chooses, it follows the display: on where it shows more than 60 frames
// a second.
#pragma once

// The settings file's byte: 0 not chosen (the display decides), else 2 + 1 when on.
extern thread_local int smoothchoice;
inline constexpr int smoothchosen = 2;

// Follows the option: the default while not chosen, and the display painting every frame of
// its own while on. Called at every event.
void followsmooth();
// The player chose the option (its menu entry is already ticked or not).
void choosesmooth();
// On in this frame.
bool smoothing();

// A new world on this thread: nothing remembered, the display painting only when asked.
void smoothreset();
// Before a frame step while smoothing: where every moving object is now.
void smoothremember();
// Around a frame's drawing: every moving object the fraction `f` (0..1) of the way from where
// it was before the last step to where it is; then back where it is.
void smoothplace(float f);
void smoothrestore();
