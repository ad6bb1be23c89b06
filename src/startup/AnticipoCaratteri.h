#pragma once

// The system's fonts looked up on a thread of their own while the start-up reads the
// installation: finding them through fontconfig is the largest single wait before the first
// frame, and nothing before the home screen's search button needs a font. Qt's font database
// is shared and locked, so whoever needs a font first simply waits for the lookup to finish.

namespace hn::anticipo {

// After the application exists (Qt's font database belongs to it). Does nothing while a lookup
// runs.
void avviaCaratteri();

// Waits for the lookup to end; before the program ends, so no thread outlives the application.
void fermaCaratteri();

} // namespace hn::anticipo
