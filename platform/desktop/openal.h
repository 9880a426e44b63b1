// platform/desktop/openal.h — the desktop's sound device (platform/desktop/openal.cpp), behind
// the sound operations of its back end (see tbackendops).
#pragma once

struct TChannel;
struct TSound;

namespace al {
bool open();                              // false: no device, the game is silent
void load(TSound& s);
void newvoice(TChannel& c);
void cue(TChannel& c);
void play(TChannel& c);
void pause(TChannel& c);
void stop(TChannel& c);
void volume(TChannel& c);
void pan(TChannel& c);
void rate(TChannel& c);
bool finished(TChannel& c);
void silentrun();
void shutdown();
}  // namespace al
