#pragma once

#include <functional>

// The system's exclamation sound.
void messageBeepExclamation();

// Tests count the sounds through a hook that replaces the bell; empty restores it.
void setBeepHook(std::function<void()> hook);
