// Makes the desktop icon from the About box's logo: the ornament's disc at
// the top of the logo, cut out round on a transparent ground and scaled to
// the sizes asked for. A build step of the Linux package.
//
// Usage: logo_icon LOGO.bmp OUT_FOLDER SIZE...   (writes OUT_FOLDER/SIZE.png)
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Where the disc lies in the logo (see scripts/make-logo.sh).
constexpr int kDiscX = 0;
constexpr int kDiscY = 8;
constexpr int kDiscSide = 75;

// The disc with an alpha channel: opaque inside the circle, transparent
// outside, one pixel of smooth edge.
GdkPixbuf* RoundDisc(GdkPixbuf* logo) {
  GdkPixbuf* square = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, kDiscSide, kDiscSide);
  GdkPixbuf* opaque = gdk_pixbuf_add_alpha(logo, FALSE, 0, 0, 0);
  gdk_pixbuf_copy_area(opaque, kDiscX, kDiscY, kDiscSide, kDiscSide, square, 0, 0);
  g_object_unref(opaque);
  const int stride = gdk_pixbuf_get_rowstride(square);
  guchar* pixels = gdk_pixbuf_get_pixels(square);
  const double centre = kDiscSide / 2.0;
  for (int y = 0; y < kDiscSide; ++y) {
    for (int x = 0; x < kDiscSide; ++x) {
      const double distance = std::hypot(x + 0.5 - centre, y + 0.5 - centre);
      const double cover = std::clamp(centre - distance, 0.0, 1.0);
      pixels[y * stride + x * 4 + 3] = static_cast<guchar>(std::lround(cover * 255));
    }
  }
  return square;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s LOGO.bmp OUT_FOLDER SIZE...\n", argv[0]);
    return 2;
  }
  GError* error = nullptr;
  GdkPixbuf* logo = gdk_pixbuf_new_from_file(argv[1], &error);
  if (logo == nullptr) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error->message);
    return 1;
  }
  if (gdk_pixbuf_get_width(logo) < kDiscX + kDiscSide ||
      gdk_pixbuf_get_height(logo) < kDiscY + kDiscSide) {
    std::fprintf(stderr, "%s: the logo is smaller than its disc\n", argv[1]);
    return 1;
  }
  GdkPixbuf* disc = RoundDisc(logo);
  int status = 0;
  for (int i = 3; i < argc; ++i) {
    const int side = std::atoi(argv[i]);
    if (side <= 0) {
      std::fprintf(stderr, "not a size: %s\n", argv[i]);
      status = 2;
      break;
    }
    GdkPixbuf* icon = gdk_pixbuf_scale_simple(disc, side, side, GDK_INTERP_HYPER);
    const std::string out = std::string(argv[2]) + "/" + argv[i] + ".png";
    if (!gdk_pixbuf_save(icon, out.c_str(), "png", &error, nullptr)) {
      std::fprintf(stderr, "%s: %s\n", out.c_str(), error->message);
      g_clear_error(&error);
      status = 1;
    }
    g_object_unref(icon);
  }
  g_object_unref(disc);
  g_object_unref(logo);
  return status;
}
