#include "imageglobals.h"

#include "globals.h"

// Fallbacks: the camera layer's definitions take their place when it is linked.
__attribute__((weak)) int gImageW = 0;
__attribute__((weak)) int gImageH = 0;
__attribute__((weak)) int gImageLen = 0;
__attribute__((weak)) int gColorLen = 0;
__attribute__((weak)) int gisColor = 0;
float gShowAW = 1.0f;
float gShowAH = 1.0f;
int gisGrayHue = 0;
int gTempNum = 10;

void setImageGeometry(int width, int height, bool colour) {
    gImageW = width;
    gImageH = height;
    gisColor = colour ? 1 : 0;
    gImageLen = width * height;
    gColorLen = colour ? gImageLen * 4 : gImageLen;
    gShowAW = width > 0 ? float(gShowW) / float(width) : 1.0f;
    gShowAH = height > 0 ? float(gShowH) / float(height) : 1.0f;
}

void resetImageGlobals() {
    gImageW = gImageH = gImageLen = gColorLen = 0;
    gisColor = 0;
    gShowAW = gShowAH = 1.0f;
    gisGrayHue = 0;
    gTempNum = 10;
}
