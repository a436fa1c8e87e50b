#pragma once
// Automatic region generation: wraps everything that differs between the master templates of step 0
// and step 1 into one convex polygon and makes it the first (defect) region of `step` in the view's
// working store and masks. The main window calls it (AutogenerationRegion) for a step without regions.
struct CammerViewData;

// True when a region was made. Nothing changes when the templates show no difference that survives
// the smoothing. *drawingTool (optional) is reset to 0; the view's selected region to -1; the view is
// repainted.
bool AutogenerationRegion(CammerViewData* view, int step, int* drawingTool = nullptr);
