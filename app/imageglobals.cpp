#include "imageglobals.h"

#include "globals.h"

int gImageW = 0;
int gImageH = 0;
int gImageLen = 0;
int gColorLen = 0;
float gShowAW = 1.0f;
float gShowAH = 1.0f;
int gisColor = 0;
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
    gShowAW = gShowAH = 1.0f;
    gisColor = 0;
    gisGrayHue = 0;
    gTempNum = 10;
}
