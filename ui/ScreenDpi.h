#pragma once

// The screen's resolution for the twips conversions (core/Twips.h): installs a provider that asks
// the primary screen for its logical dots per inch, so that window geometry stored in twips keeps
// its physical size on any screen. Needs a running QGuiApplication.
namespace ScreenDpi {

void install();
// The primary screen's logical resolution, rounded; 96 without a screen.
int screenDpi();

} // namespace ScreenDpi
