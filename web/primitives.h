// GL primitives as WebGL draws them through Emscripten's GL emulation: the web layer's drawing part.
#pragma once

// Backing-store pixels per CSS pixel (the browser's device pixel ratio): viewports, line widths and
// point sizes are scaled by it, so the viewers keep drawing in CSS pixels.
void layerSetPixelRatio(float ratio);

// Draws the polygons that wait to be drawn together (also declared in layer.h).
extern "C" void layerFlush(void);

// Off while the journal plays its frames: primitives are taken and dropped, nothing is drawn.
void layerSetDrawing(bool drawing);

// The vertices waiting to be drawn together: memory that holds nothing between two frames, which
// the journal's checkpoints leave out (a frame always ends drawing them).
const void* layerBatchBegin();
const void* layerBatchEnd();
