#include "platform/Sound.h"

#include <gst/gst.h>

#include "core/app/SharedRoutines.h"

namespace {

// One player, reused: a new sound replaces one still playing.
GstElement* Player() {
  static GstElement* player = [] {
    if (!gst_is_initialized()) gst_init(nullptr, nullptr);
    GstElement* p = gst_element_factory_make("playbin", "skelvornax-sound");
    if (p) {
      // Sounds only: no video window, ever.
      GstElement* fakevideo = gst_element_factory_make("fakesink", nullptr);
      if (fakevideo) g_object_set(p, "video-sink", fakevideo, nullptr);
      GstBus* bus = gst_element_get_bus(p);
      gst_bus_add_watch(
          bus,
          [](GstBus*, GstMessage* msg, gpointer data) -> gboolean {
            if (GST_MESSAGE_TYPE(msg) == GST_MESSAGE_EOS || GST_MESSAGE_TYPE(msg) == GST_MESSAGE_ERROR)
              gst_element_set_state(static_cast<GstElement*>(data), GST_STATE_NULL);
            return TRUE;
          },
          p);
      gst_object_unref(bus);
    }
    return p;
  }();
  return player;
}

}  // namespace

void PlaySound(const std::string& path) {
  if (FileTest(path) != 0) return;
  GstElement* player = Player();
  if (!player) return;
  gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
  if (!uri) return;
  gst_element_set_state(player, GST_STATE_NULL);
  g_object_set(player, "uri", uri, nullptr);
  g_free(uri);
  gst_element_set_state(player, GST_STATE_PLAYING);
}
