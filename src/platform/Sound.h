#pragma once
#include <QString>

class AppContext;

// Plays one of the program's WAV cues without waiting; a cue that cannot be found
// or played gives the system beep, never a message.
void PlayWav(AppContext &ctx, const QString &fileName);
