#pragma once

#include <functional>

// A pause of `ms` milliseconds on the calling thread, as the classic Sleep.
void Sleep(int ms);

// Tests watch the pauses (and may skip them); an empty function restores the real pause.
using PauseHook = std::function<void(int ms)>;
void setPauseHook(PauseHook hook);
