// Start and end of the wave-out device with the audio system (audioInit / audioShutdown).
#pragma once

namespace host {

// Starts the callback thread; the device then counts as present.
void waveOutDriverStart();
// Closes the streams left open (with a log line), delivers every message and ends the thread.
void waveOutDriverStop();

}  // namespace host
