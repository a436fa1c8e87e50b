#pragma once
// Geometry and format of the working camera image, shared by the camera layer, the detection engine
// and the views. Set once by the main window's initialisation after camera detection.
// gImageW, gImageH, gImageLen, gColorLen and gisColor belong to the camera layer (camera/cameraglobals);
// they are declared here, with weak fallback definitions, so that the detection engine and its tests
// use them without the camera layer.
#include <cstdint>

extern int gImageW;    // working image width in pixels
extern int gImageH;    // working image height in pixels
extern int gImageLen;  // gImageW * gImageH
extern int gColorLen;  // bytes of one frame buffer: gImageLen * 4 with colour processing, else gImageLen
extern float gShowAW;  // gShowW / gImageW: screen pixels per image pixel, horizontally
extern float gShowAH;  // gShowH / gImageH: the same vertically
extern int gisColor;    // colour cameras (32-bit frames) instead of monochrome
extern int gisGrayHue;  // colour images are inspected as grey (non-zero) or as hue (0)
extern int gTempNum;    // template slots per camera and step (max_mold_num)

// Sets gImageW/H and derives gImageLen, gColorLen, gShowAW and gShowAH from them and gShowW/H.
void setImageGeometry(int width, int height, bool colour);
// Back to the state before start-up, for tests in one binary.
void resetImageGlobals();
