#pragma once
// A seal's drawing: what a spec puts on a surface, worked out from the spec,
// the faces the surface measures with and its screen metrics alone. The
// automatic sizes (a name or sign size of 0) are chosen here and never
// written back into the spec.
//
// A NEW SEAL FORM is its own drawing function, chosen by Shape in drawSeal
// (seal/SealDrawing.cpp); its parts (band, curved name, code, middle line,
// lower lines) are the functions of seal/SealForm.h.
#include "seal/DrawingModel.h"
#include "seal/SealSpec.h"
#include "seal/Surface.h"

namespace plomet {

// Clears the surface, gives it the spec's size and draws the seal on it; the
// surface then holds the picture. Takes the spec's aging for the picture.
void drawSeal(const SealSpec& spec, Surface& s);

// The seal's drawing model, drawn on a surface of its own with the screen
// metrics given (twips a pixel, 15 at 96 dpi).
DrawingModel sealModel(const SealSpec& spec, float twipsPerPixelX = 15.0f, float twipsPerPixelY = 15.0f);

// The sizes drawSeal draws with when the spec's are 0: a FontSize of 0 is 16
// for a name of under 6 characters, else 12; a sign size of 0 is 24.
float drawnFontSize(const SealSpec& spec);
int drawnSignSize(const SealSpec& spec);

} // namespace plomet
