#pragma once

#include "Converter.h"

// Waits for real: the pacing of the windows.
class SleepingPacing final : public Pacing
{
public:
    void wait(std::chrono::milliseconds duration) override;
};

// Waits for nothing: the command line and the tests, which rely on the real
// completion of each print job instead.
class ImmediatePacing final : public Pacing
{
public:
    void wait(std::chrono::milliseconds) override {}
};
