#pragma once

#include "engine/SideWindowHost.h"

// The difference view's frames as hosts of the sides' spreadsheet windows, through the window
// layer. install() puts the one instance in place for the process.
class ViewSideWindowHost final : public SideWindowHost
{
public:
    win::HWND embed(win::HWND window, win::HWND host) override;
    void fit(win::HWND window, win::HWND host) override;
    void giveBack(win::HWND window, win::HWND parent) override;

    static void install();
};
