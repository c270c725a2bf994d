#pragma once
// Wakes a blanked screen for an incoming call: asks the desktop's screen saver,
// the org.freedesktop.ScreenSaver service on the session bus, to act as if the
// user had touched the mouse. Without a session bus or such a service nothing
// happens.
class TScreenWaker {
public:
    // True when a screen-saver service was there to ask. Never waits for its answer.
    static bool WakeScreen();
};
