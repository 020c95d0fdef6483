// gaugeplot2d drawing and listing: the centre point, the polygon outlines, and "Print Values".
#pragma once

namespace gaugeplot2d {

// The centre point, then every polygon's outline and vertex points, the one being drawn too.
void drawPolygons();
// Writes the listing of the finished polygons' edges to standard output, and flushes it.
void printValues();
void printPolygon(int polygon);

}  // namespace gaugeplot2d
