#pragma once
// An invisible player of one sound file at a time, over Qt Multimedia.
//
// Open takes FileName; Play starts it and, when Notify was set for that Play, runs OnNotify once
// the playback has ended. Notify is used up by the Play it applies to. A playback always ends:
// when the sound cannot be played (no audio device, a file Qt cannot decode, a backend that
// stalls) the player stays silent for the sound's length (or a second when the length cannot be
// found out) and then ends as if it had played, so a caller that plays again at every end never
// waits forever and never spins. OnNotify always runs from the message loop, never from inside
// Play. Stop and Close end a playback without a notification. No call waits for the backend,
// which works on a thread of its own.
//
// It does not show buttons or track positions; the program only sounds an alarm with it.

#include <memory>
#include <string>

#include "platform/forms/Control.h"

enum TMPDeviceTypes { dtAutoSelect };

class TMediaPlayer : public TControl {
public:
    explicit TMediaPlayer(TComponent* owner);
    ~TMediaPlayer() override;

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName) { fileName_ = fileName; }

    // dtAutoSelect: the kind of sound is taken from the file.
    TMPDeviceTypes DeviceType() const { return deviceType_; }
    void SetDeviceType(TMPDeviceTypes type) { deviceType_ = type; }
    // A Play after the end starts from the beginning; without it, it ends at once.
    bool AutoRewind() const { return autoRewind_; }
    void SetAutoRewind(bool autoRewind) { autoRewind_ = autoRewind; }
    // Play returns only when the playback has ended.
    bool Wait() const { return wait_; }
    void SetWait(bool wait) { wait_ = wait; }
    // The next Play runs OnNotify at its end.
    bool Notify() const { return notify_; }
    void SetNotify(bool notify) { notify_ = notify; }

    // Opens FileName (closing what was open); false, with the player left closed, when the file
    // cannot be read.
    bool Open();
    bool IsOpen() const;
    void Play();
    bool Playing() const;
    // Halts the playback where it is; the next Play goes on from there.
    void Stop();
    // Ends the playback and lets go of the file.
    void Close();

    // The length of the open sound in milliseconds, -1 while it is not known.
    int Length() const;

    TNotifyEvent OnNotify;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    std::string fileName_;
    TMPDeviceTypes deviceType_ = dtAutoSelect;
    bool autoRewind_ = true;
    bool wait_ = false;
    bool notify_ = false;
};
