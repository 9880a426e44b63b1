// platform/openal/openal.h — the sound device of the desktop and of the page (openal.cpp), behind
// the sound table of its back end (see plat::tsoundops).
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

// The sound table of a back end that plays through OpenAL (the desktop's device, or
// Emscripten's on Web Audio). Each call names al:: as it must: unqualified, it would find the
// member of the same name and call itself.
struct tsound final : plat::tsoundops {
    bool audio() override { return al::open(); }
    void loadsound(TSound& s) override { al::load(s); }
    void newvoice(TChannel& c) override { al::newvoice(c); }
    void cue(TChannel& c) override { al::cue(c); }
    void play(TChannel& c) override { al::play(c); }
    void pause(TChannel& c) override { al::pause(c); }
    void stop(TChannel& c) override { al::stop(c); }
    void volume(TChannel& c) override { al::volume(c); }
    void pan(TChannel& c) override { al::pan(c); }
    void rate(TChannel& c) override { al::rate(c); }
    bool finished(TChannel& c) override { return al::finished(c); }
    void silentrun() override { al::silentrun(); }
    void audioshutdown() override { al::shutdown(); }
};
}  // namespace al
