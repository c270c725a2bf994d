#pragma once
// The main window's part in saving and applying the settings.

class IMainWindowSettings {
public:
    struct TBounds {
        int Left = 0;
        int Top = 0;
        int Width = 800;
        int Height = 600;
        int WindowState = 2;   // 0 normal, 1 minimised, 2 maximised
    };

    virtual ~IMainWindowSettings() = default;

    // The main window's current position, size and state, saved with the settings.
    virtual TBounds Bounds() const = 0;
};
