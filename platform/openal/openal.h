// platform/openal/openal.h — the sound device of the desktop and of the page (openal.cpp), behind
// the sound table of its back end (see plat::tsoundops).
#pragma once

#include "platform/backend.h"

struct TChannel;
struct TSound;

namespace al {
// The sound table of a back end that plays through OpenAL (the desktop's device, or
// Emscripten's on Web Audio). `audio` opens the default device once; without one the game is
// silent and says nothing.
struct tsound final : plat::tsoundops {
    bool audio() override;
    void loadsound(TSound& s) override;
    void newvoice(TChannel& c) override;
    void cue(TChannel& c) override;
    void play(TChannel& c) override;
    void pause(TChannel& c) override;
    void stop(TChannel& c) override;
    void volume(TChannel& c) override;
    void pan(TChannel& c) override;
    void rate(TChannel& c) override;
    bool finished(TChannel& c) override;
    void silentrun() override;
    void audioshutdown() override;
};
}  // namespace al
