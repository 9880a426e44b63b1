// Sound: Ogg Vorbis decoded whole at load, the channels' state. A back end with a sound
// device plays them (one voice per channel); without one (headless, or no sound hardware)
// channels keep their state and run on a clock instead.
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/backend.h"
#include "platform/internal.h"

using namespace plat;

namespace {
std::vector<std::unique_ptr<TSound>> sounds;   // shared by the worlds of all threads
std::mutex soundlock;
thread_local std::vector<std::unique_ptr<TChannel>> channels;
std::vector<TSound*> waiting;             // loaded, their decoding still to come, oldest first

// The sound's samples decoded and handed to the device, now that they are needed. A file
// whose headers were whole but whose audio is not plays as silence (decodeogg refuses it).
void decodenow(TSound& snd) {
    std::string bytes = std::move(snd.waiting);
    snd.waiting.clear();
    std::erase(waiting, &snd);
    long frames = snd.frames;
    if (!decodeogg(bytes, snd)) {
        tostderr("Can't decode " + snd.path);
        snd.samples.clear();
        snd.frames = frames;
        return;
    }
    if (ops.sound->audio()) ops.sound->loadsound(snd);
}

void ready(const TSound* snd) {
    if (snd && !snd->waiting.empty()) {
        std::lock_guard<std::mutex> lock(soundlock);
        if (!snd->waiting.empty()) decodenow(*const_cast<TSound*>(snd));
    }
}

}  // namespace

bool (*plat::soundslater)(const std::string& bytes, TSound& snd) = nullptr;

bool plat::decodewaiting() {
    std::lock_guard<std::mutex> lock(soundlock);
    if (waiting.empty()) return false;
    decodenow(*waiting.front());
    return true;
}

void SetAudioDriver(const std::string& name) {
    (void)name;                           // each back end has one sound device
    ops.sound->audio();
}

TSound* LoadSound(const std::string& file, int flags) {
    std::string bytes;
    if (!readfile(file, bytes)) return nullptr;
    auto snd = std::make_unique<TSound>();
    snd->loop = (flags & 1) != 0;
    snd->path = file;
    if (soundslater) {
        // its digest is that of the decoded sound: the same rate and number of samples
        if (!soundslater(bytes, *snd)) return nullptr;
        notesound(bytes, *snd);
        snd->waiting = std::move(bytes);
        std::lock_guard<std::mutex> lock(soundlock);
        waiting.push_back(snd.get());
        sounds.push_back(std::move(snd));
        return sounds.back().get();
    }
    if (!decodeogg(bytes, *snd)) return nullptr;
    notesound(bytes, *snd);
    if (ops.sound->audio()) ops.sound->loadsound(*snd);
    std::lock_guard<std::mutex> lock(soundlock);
    sounds.push_back(std::move(snd));
    return sounds.back().get();
}

double SoundLength(const TSound* s) {
    return s && s->rate > 0 ? static_cast<double>(s->frames) / s->rate : 0;
}
bool SoundLoops(const TSound* s) { return s && s->loop; }
const int16_t* SoundSamples(const TSound* s, int& count) {
    ready(s);
    count = s ? static_cast<int>(s->samples.size()) : 0;
    return s ? s->samples.data() : nullptr;
}
int SoundRate(const TSound* s) { return s ? s->rate : 0; }

void plat::releasechannels() { channels.clear(); }

void plat::givevoices() {
    for (auto& c : channels) {
        if (c->voice) continue;
        ops.sound->newvoice(*c);
        ops.sound->volume(*c);
        ops.sound->pan(*c);
        ops.sound->rate(*c);
    }
}

TChannel* AllocChannel() {
    auto c = std::make_unique<TChannel>();
    if (ops.sound->audio()) ops.sound->newvoice(*c);
    channels.push_back(std::move(c));
    return channels.back().get();
}

void CueSound(const TSound* sound, TChannel* c) {
    if (!c) return;
    ready(sound);
    ops.sound->silentrun();
    c->sound = sound;
    c->position = 0;
    c->paused = true;
    c->playing = sound != nullptr;
    ops.sound->cue(*c);
}

void ResumeChannel(TChannel* c) {
    if (!c) return;
    ops.sound->silentrun();
    c->paused = false;
    if (c->playing) ops.sound->play(*c);
}

void PauseChannel(TChannel* c) {
    if (!c) return;
    ops.sound->silentrun();
    c->paused = true;
    ops.sound->pause(*c);
}

void StopChannel(TChannel* c) {
    if (!c) return;
    c->playing = false;
    c->paused = true;
    c->position = 0;
    ops.sound->stop(*c);
}

void SetChannelVolume(TChannel* c, float volume) {
    if (!c) return;
    c->volume = volume;
    ops.sound->volume(*c);
}

void SetChannelPan(TChannel* c, float pan) {
    if (!c) return;
    c->pan = pan;
    ops.sound->pan(*c);
}

void SetChannelRate(TChannel* c, float rate) {
    if (!c) return;
    ops.sound->silentrun();
    c->rate = rate;
    ops.sound->rate(*c);
}

void SetChannelDepth(TChannel* c, float depth) {
    if (c) c->depth = depth;              // kept, but no sound device uses it
}

int ChannelPlaying(TChannel* c) {
    if (!c) return 0;
    ops.sound->silentrun();
    if (c->playing && !c->paused && ops.sound->finished(*c)) c->playing = false;
    return c->playing && !c->paused ? 1 : 0;
}

void AdvanceAudio(double seconds) {
    if (!(seconds > 0)) return;
    for (auto& c : channels) {
        if (!c->playing || c->paused || !c->sound || c->voice) continue;
        double len = SoundLength(c->sound);
        c->position += seconds * (c->rate > 0 ? c->rate : 0);
        if (c->sound->loop) {
            if (len > 0) c->position = std::fmod(c->position, len);
        } else if (c->position >= len) {
            c->position = len;
            c->playing = false;
        }
    }
}

void plat::audioshutdown() { ops.sound->audioshutdown(); }
