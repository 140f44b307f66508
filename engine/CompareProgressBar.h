#pragma once

// The progress bar a comparison moves: something with a visible flag and a value from 0 to 100.
// The main window gives its own; tests give a fake.
class CompareProgressBar
{
public:
    virtual ~CompareProgressBar() = default;
    virtual void setVisible(bool visible) = 0;
    virtual void setValue(int percent) = 0;
};
