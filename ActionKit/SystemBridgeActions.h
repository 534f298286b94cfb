#pragma once

#include <string_view>

#include "ActionKit/CGSBridge.h"
#include "Platform/Platform.h"

namespace tactora {

// The actions that reach the system directly rather than through plain key presses: Dock
// notifications (Mission Control, App Exposé, Show Desktop), moving one space left or right, and
// closing the focused window. None of them logs or reports failure: a missing entry point does
// nothing, and closing falls back to Command-W.

// Sends `name` to the Dock; the Dock's entry point is looked up once per platform.
void sendDockNotification(std::string_view name);
void sendDockNotification(platform::Platform& platform, std::string_view name);

// Replays the key combination the user has bound to the system's move-one-space command (right
// or left), enabling that hot key first if it is off. Blocks 20 ms between key down and key up.
void switchSpace(bool right);
void switchSpace(platform::Platform& platform, const CGSBridge& bridge, bool right);

// Presses the focused window's close button through Accessibility; Command-W when any step fails.
void closeFocusedWindow();
void closeFocusedWindow(platform::Platform& platform);

// Command-W from the shared source, no marker.
void pressCommandW(platform::Platform& platform);

}  // namespace tactora
