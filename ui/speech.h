// Audio prompts: a sentence spoken by the system's speech object on a short
// thread of its own, or two beeps when there is no speech object.
#pragma once

#include <string>

namespace vemtrix::ui {

enum class SpeechOutcome { Spoke, Beeped };

// Starts SpeakThread on a new thread and returns after a short pause; an
// empty text starts nothing. Never waits for the speech itself.
void Speak(const std::string& text);

// Speaks text and returns when it has been spoken (or the engine gave up).
SpeechOutcome SpeakThread(const std::string& text);

}  // namespace vemtrix::ui
