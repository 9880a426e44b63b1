// platform/desktop/openal.h — the desktop's sound device (platform/desktop/openal.cpp), behind
// the sound operations of its back end (see tbackendops).
#pragma once

#include "platform/backend.h"

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

// The sound operations of a back end that plays through OpenAL (the desktop's device, or
// Emscripten's on Web Audio): back ends derive from this and add the rest.
struct tsoundops : plat::tbackendops {
    bool audio() override { return open(); }
    void loadsound(TSound& s) override { load(s); }
    void newvoice(TChannel& c) override { newvoice(c); }
    void cue(TChannel& c) override { cue(c); }
    void play(TChannel& c) override { play(c); }
    void pause(TChannel& c) override { pause(c); }
    void stop(TChannel& c) override { stop(c); }
    void volume(TChannel& c) override { volume(c); }
    void pan(TChannel& c) override { pan(c); }
    void rate(TChannel& c) override { rate(c); }
    bool finished(TChannel& c) override { return finished(c); }
    void silentrun() override { silentrun(); }
    void audioshutdown() override { shutdown(); }
};
}  // namespace al
