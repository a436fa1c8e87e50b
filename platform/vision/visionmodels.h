#pragma once
// The three matching models of the detection engine.
#include "findshape.h"
#include "graymatch.h"
#include "surf.h"
