// Start-up timing: when the environment variable ONDELLE_REPORT_SHOWN is
// set, the program writes the line "shown" to standard output and ends as
// soon as its first window has been painted and put on screen. The start-up
// benchmark measures from exec to that line. Unset, nothing happens.
#pragma once

namespace BPrivate {

// Called by a window's widget each time it paints; acts on the first call.
void ReportFirstPaint();

} // namespace BPrivate
