#pragma once

namespace sky {

// How the windows reach the X server; called before the application object
// is made.
void prepareDisplayConnection();

// The names, style and font every program of the player shares; called
// once the application object exists.
void setUpApplication();

// Starts the threads the toolkit draws large areas with, which it would
// otherwise start at the first drawing of a window: a thread cannot start
// while another thread is opening a library (the dynamic linker holds the
// threads' storage meanwhile), and opening the media player's takes a tenth
// of a second. Call it before such an opening.
void startDrawingThreads();

} // namespace sky
