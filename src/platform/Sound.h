#pragma once

#include <string>

// Plays a wave file without waiting. No sound device or no file: silence.
void PlaySound(const std::string& path);
