#pragma once
// The speaker volume control and the mixer set-up of the platform.
// Volumes are whole percents 0..100.
#include <cstdint>
#include <vector>

class TAudioMixer {
public:
    virtual ~TAudioMixer() = default;
    // False when there is no mixer (no sound server): every call then does nothing.
    virtual bool Available() const = 0;
    // The speaker volume read back; 0 without a mixer.
    virtual int Volume() = 0;
    // Values outside 0..100 are ignored.
    virtual void SetVolume(int volume) = 0;
    // The speaker's channel volumes in the server's own units, and setting them
    // back unchanged: what the 0..100 scale would round, this keeps exactly.
    virtual std::vector<uint32_t> RawVolume() = 0;
    virtual void SetRawVolume(const std::vector<uint32_t> &channels) = 0;
    virtual bool Muted() = 0;
    virtual void SetMuted(bool muted) = 0;
    // Unmutes the outputs and the capture master and prefers the line input over
    // the microphone as the capture source; errors stop it silently.
    virtual void AdjustAudio() = 0;
};
