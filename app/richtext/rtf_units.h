#pragma once
// Length units of RTF and of QTextDocument. RTF measures paragraph lengths
// and picture goals in twips (1/1440 inch) and font sizes in half points;
// QTextDocument measures block margins and image sizes in pixels of 96 per
// inch and font sizes in points. Reader and writer convert with these only.
#include <cmath>

namespace fendra {

constexpr double kTwipsPerPixel = 1440.0 / 96.0;
constexpr double kPointsPerPixel = 72.0 / 96.0;
// Lengths beyond this many twips (about 35 inches) are clamped when read.
constexpr int kMaxRtfLengthTwips = 50000;
constexpr int kMaxRtfHalfPoints = 3276;

inline double TwipsToPixels(int twips) { return twips / kTwipsPerPixel; }
inline int PixelsToTwips(double pixels) { return int(std::lround(pixels * kTwipsPerPixel)); }
inline int PointsToHalfPoints(double points) { return int(std::lround(points * 2.0)); }

}  // namespace fendra
