// The shared plane-to-pixel mapping: each named rounding on the cases where
// the roundings part ways, worked out by hand from 270.5 + p * 541 / 6.
#include <gtest/gtest.h>

#include "tests/support/plane_pixels.h"

namespace {

struct RoundCase {
  const char* what;
  double p;
  int floor, toward_zero, nearest;
};
const RoundCase kRound[] = {
    {"the centre, drawn at 270.5: the half goes up", 0.0, 270, 270, 271},
    {"a tenth: 279.52", 0.1, 279, 279, 280},
    {"just left of the square: -0.90", -3.01, -1, 0, -1},
    {"further left: -1.80", -3.02, -2, -1, -2},
    {"the square's right edge: 541", 3.0, 541, 541, 541},
};

TEST(PixelOfPlane, EachRoundingTurnsTheDrawnPositionIntoAWholePixel) {
  for (const RoundCase& c : kRound) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.floor, pixel_of_plane_floor(c.p));
    EXPECT_EQ(c.toward_zero, pixel_of_plane_toward_zero(c.p));
    EXPECT_EQ(c.nearest, pixel_of_plane_nearest(c.p));
  }
}

// Rows from the top: an image row is one less than a mouse row for the
// same drawn row, and the 3D window (540 high) is one row shorter.
TEST(RowOfPlane, ImageRowsAndMouseRowsDifferByOne) {
  EXPECT_EQ(270, image_row_of_plane_floor(0.0));            // 541 - 1 - 270
  EXPECT_EQ(269, image_row_of_plane_floor(0.0, 540));       // 540 - 1 - 270
  EXPECT_EQ(270, image_row_of_plane_toward_zero(0.0));
  EXPECT_EQ(271, mouse_row_of_plane_toward_zero(0.0));      // 541 - 270
  EXPECT_EQ(270, mouse_row_of_plane_nearest(0.0));          // 541 - 271
  EXPECT_EQ(600 - 300, mouse_row_of_plane_toward_zero(0.0, 600));
}

// What the view makes of a click: the pixel's column (x - 270) * 6 / 541,
// its row from the bottom as 541 - y_top; a drawn point clicked at its
// truncated pixel reads back within a pixel of where it was.
TEST(PlaneOfPixel, AClickReadsBackTheColumnAndTheRowFromTheBottom) {
  EXPECT_EQ(0.0, plane_of_pixel(270));
  EXPECT_EQ(0.0, plane_of_mouse_row(271));
  EXPECT_DOUBLE_EQ(-1620.0 / 541, plane_of_pixel(0));
  EXPECT_DOUBLE_EQ(1626.0 / 541, plane_of_mouse_row(0));
  EXPECT_DOUBLE_EQ(-1614.0 / 541, plane_of_mouse_row(540));
  EXPECT_EQ(0.0, plane_of_pixel(300, 600));
  for (double p = -2.99; p < 3; p += 0.37) {
    EXPECT_NEAR(p, plane_of_pixel(pixel_of_plane_toward_zero(p)), plane_length_of_pixels(1)) << p;
    EXPECT_NEAR(p, plane_of_mouse_row(mouse_row_of_plane_toward_zero(p)), plane_length_of_pixels(1)) << p;
  }
}

// Zoomed, the centre sits in the view's middle and lengths grow by the scale.
TEST(PixelOfZoomedPlane, TheCentreInTheMiddleAndLengthsScaled) {
  EXPECT_EQ(pixel_of_plane(0.7), pixel_of_zoomed_plane(0.7, 0.0, 1.0));
  EXPECT_DOUBLE_EQ(270.5, pixel_of_zoomed_plane(-1.25, -1.25, 8.0));
  EXPECT_DOUBLE_EQ(270.5 + 541.0, pixel_of_zoomed_plane(-1.0, -1.25, 24.0));  // a quarter, 24 times
}

TEST(PlaneLength, PixelsAndPlaneUnitsAreInverse) {
  EXPECT_DOUBLE_EQ(541.0, pixels_of_plane_length(6.0));
  EXPECT_DOUBLE_EQ(6.0, plane_length_of_pixels(541));
  EXPECT_DOUBLE_EQ(1.5, plane_length_of_pixels(pixels_of_plane_length(1.5)));
}

TEST(Hundredths, RoundHalvesUpAsTheProgramDoes) {
  EXPECT_EQ(150, hundredths(1.5));
  EXPECT_EQ(-150, hundredths(-1.5));
  EXPECT_EQ(1, hundredths(0.005));     // 0.5 up
  EXPECT_EQ(0, hundredths(-0.005));    // -0.5 up, to 0
  EXPECT_EQ(-111, hundredths(-1.114));
}

}  // namespace
