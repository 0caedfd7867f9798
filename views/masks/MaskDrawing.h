#pragma once

#include "engine/masks/MaskPolygon.h"

class QPainter;

// Draws a mask on a chart's canvas after the chart was drawn: a template as its hatched polygon in the
// mask's colour, a line mask as its polyline, with the mask's pen width. Nothing below two points.
void DrawMaskOnChart(QPainter &painter, const TMASK &mask, const TMaskView &view);
