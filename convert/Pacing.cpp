#include "Pacing.h"

#include <thread>

void SleepingPacing::wait(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}
