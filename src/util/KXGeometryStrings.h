#pragma once
// Points, sizes and rectangles as "[x, y]" and "[x, y, width, height]" text, for descriptions and
// for the annotation records that store geometry as text. Independent of the user's locale.

#include <string>
#include <string_view>

#include "platform/Geometry.h"

std::string KXStringFromCGPoint(kx::Point point);
std::string KXStringFromCGSize(kx::Size size);
std::string KXStringFromCGRect(const kx::Rect& rect);
// Read the forms the printers make: the numbers come back as single-precision values; a missing or
// unreadable number reads as 0.
kx::Point KXPointFromString(std::string_view text);
kx::Rect KXRectFromString(std::string_view text);
