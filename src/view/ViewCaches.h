#pragma once

#include "view/DiscRangeCheck.h"
#include "view/ViewGuideCircles.h"
#include "view/ViewPictureCache.h"
#include "view/ViewTextLayer.h"

// What the screen keeps between redraws: the background at the view's resolution, the pixels of
// the guide circles, the text items' finished pixels and which items leave the ring. Each is
// rebuilt when what it shows changes.
struct ViewCaches {
    ViewPictureCache picture;
    ViewGuideCircles circles;
    ViewTextLayer text;
    DiscRangeCache range;
};
