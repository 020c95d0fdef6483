// Windows: where gaugeplot2d's listing (standard output) goes in a program built without a console.
#pragma once

namespace gaugeplot_windows {

// Called first thing in main. Standard output already redirected to a file or a pipe stays as it
// is; started from a console, the listing goes to that console; otherwise it goes to a console
// window of its own, opened by the first listing. That window belongs to a second copy of this
// program started for it with an argument of its own, so closing it cannot end this one; in that
// copy this call shows the listing it is given and never returns.
void routeStandardOutput(int argc, char** argv);

}  // namespace gaugeplot_windows
