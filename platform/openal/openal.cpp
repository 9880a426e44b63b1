// The sound device of the desktop and of the page (Emscripten's OpenAL on Web Audio): OpenAL,
// one source per channel, the decoded sample in a buffer. Without a device (no sound hardware,
// or ALSOFT_DRIVERS=null finding none) the game is silent and says nothing: channels then
// advance with the real clock, so that sounds still end.
#include "platform/openal/openal.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/internal.h"

namespace {
ALCdevice* device = nullptr;
ALCcontext* context = nullptr;
bool tried = false;
int64_t lastadvance = 0;                  // silent: when the channels last ran on
std::vector<TSound*> held;                // sounds whose samples the device holds
std::vector<TChannel*> voiced;            // channels with a source

void sendpan(const TChannel& c) {
    if (!c.voice) return;
    double a = c.pan * 90.0 * 0.017453292519943295;
    alSource3f(c.voice, AL_POSITION, static_cast<float>(std::sin(a)), 0.0f, static_cast<float>(-std::cos(a)));
}
}  // namespace

namespace al {

// Opens the default device once; failing that the game is silent and says nothing.
bool tsound::audio() {
    if (!tried) {
        tried = true;
        setenv("ALSOFT_LOGLEVEL", "0", 0);
        device = alcOpenDevice(nullptr);
        if (device) {
            context = alcCreateContext(device, nullptr);
            if (!context || !alcMakeContextCurrent(context)) {
                if (context) alcDestroyContext(context);
                alcCloseDevice(device);
                context = nullptr;
                device = nullptr;
            }
        }
        lastadvance = monotonicns();
    }
    return context != nullptr;
}

void tsound::loadsound(TSound& s) {
    alGetError();
    alGenBuffers(1, &s.buffer);
    alBufferData(s.buffer, AL_FORMAT_MONO16, s.samples.data(), static_cast<ALsizei>(s.samples.size() * 2), s.rate);
    if (alGetError() != AL_NO_ERROR) {
        s.buffer = 0;
        return;
    }
    std::vector<int16_t>().swap(s.samples);   // the device keeps its own copy
    held.push_back(&s);
}

void tsound::newvoice(TChannel& c) {
    alGetError();
    alGenSources(1, &c.voice);
    if (alGetError() != AL_NO_ERROR) c.voice = 0;
    if (!c.voice) return;
    alSourcei(c.voice, AL_SOURCE_RELATIVE, AL_TRUE);
    sendpan(c);
    voiced.push_back(&c);
}

void tsound::cue(TChannel& c) {
    if (!c.voice) return;
    alSourceStop(c.voice);
    alSourcei(c.voice, AL_BUFFER, c.sound && c.sound->buffer ? static_cast<ALint>(c.sound->buffer) : 0);
    alSourcei(c.voice, AL_LOOPING, c.sound && c.sound->loop ? AL_TRUE : AL_FALSE);
}

void tsound::play(TChannel& c) {
    if (c.voice) alSourcePlay(c.voice);
}
void tsound::pause(TChannel& c) {
    if (c.voice) alSourcePause(c.voice);
}
void tsound::stop(TChannel& c) {
    if (c.voice) alSourceStop(c.voice);
}
void tsound::volume(TChannel& c) {
    if (c.voice) alSourcef(c.voice, AL_GAIN, c.volume > 0 ? c.volume : 0.0f);
}
void tsound::pan(TChannel& c) { sendpan(c); }
void tsound::rate(TChannel& c) {
    if (c.voice) alSourcef(c.voice, AL_PITCH, c.rate > 1e-4f ? c.rate : 1e-4f);
}

bool tsound::finished(TChannel& c) {
    if (!c.voice) return false;
    ALint st = AL_STOPPED;
    alGetSourcei(c.voice, AL_SOURCE_STATE, &st);
    return st == AL_STOPPED;
}

void tsound::silentrun() {
    if (context) return;
    int64_t now = monotonicns();
    if (lastadvance == 0) lastadvance = now;
    double s = static_cast<double>(now - lastadvance) / 1e9;
    lastadvance = now;
    if (s > 0) AdvanceAudio(s);
}

void tsound::audioshutdown() {
    if (!context) return;
    for (TChannel* c : voiced) {
        alSourceStop(c->voice);
        alDeleteSources(1, &c->voice);
        c->voice = 0;
    }
    for (TSound* s : held) {
        alDeleteBuffers(1, &s->buffer);
        s->buffer = 0;
    }
    voiced.clear();
    held.clear();
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
    context = nullptr;
    device = nullptr;
}

}  // namespace al
