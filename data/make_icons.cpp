// Draws the program's SVG icon at the usual sizes of the hicolor theme:
//   make_icons ICON.svg OUT/hicolor NAME SIZE...
// writes OUT/hicolor/scalable/apps/NAME.svg and OUT/hicolor/SxS/apps/NAME.png.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gio/gio.h>

#include <cstdlib>
#include <iostream>
#include <string>

namespace {
bool Fail(GError* error) {
  std::cerr << "make_icons: " << (error ? error->message : "failed") << "\n";
  if (error) g_error_free(error);
  return false;
}

bool CopyFile(const std::string& from, const std::string& to) {
  GFile* source = g_file_new_for_path(from.c_str());
  GFile* dest = g_file_new_for_path(to.c_str());
  GError* error = nullptr;
  const bool ok = g_file_copy(source, dest, G_FILE_COPY_OVERWRITE, nullptr, nullptr, nullptr, &error);
  g_object_unref(source);
  g_object_unref(dest);
  return ok || Fail(error);
}

bool DrawPng(const std::string& svg, int size, const std::string& to) {
  GError* error = nullptr;
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file_at_scale(svg.c_str(), size, size, TRUE, &error);
  if (!pixbuf) return Fail(error);
  const bool ok = gdk_pixbuf_save(pixbuf, to.c_str(), "png", &error, nullptr);
  g_object_unref(pixbuf);
  return ok || Fail(error);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::cerr << "usage: make_icons ICON.svg OUT NAME SIZE...\n";
    return 2;
  }
  const std::string svg = argv[1], out = argv[2], name = argv[3];
  const std::string scalable = out + "/scalable/apps";
  g_mkdir_with_parents(scalable.c_str(), 0755);
  if (!CopyFile(svg, scalable + "/" + name + ".svg")) return 1;
  for (int i = 4; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    const std::string dir = out + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
    g_mkdir_with_parents(dir.c_str(), 0755);
    std::string png = dir;
    png.append("/").append(name).append(".png");
    if (!DrawPng(svg, size, png)) return 1;
  }
  return 0;
}
