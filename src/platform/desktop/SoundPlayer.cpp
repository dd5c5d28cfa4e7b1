#include "platform/desktop/SoundPlayer.h"

#include <memory>

#include <glib.h>
#include "platform/GObjectPtr.h"

namespace {

void initGstreamerOnce() {
    static const bool initialised = [] {
        gst_init(nullptr, nullptr);
        return true;
    }();
    (void)initialised;
}

std::string fileUri(const std::string& path) {
    GCharPtr uri(g_filename_to_uri(path.c_str(), nullptr, nullptr));
    return uri ? uri.get() : std::string();
}

}  // namespace

SoundPlayer::SoundPlayer(const std::string& audioSink) : m_audioSink(audioSink) { initGstreamerOnce(); }

SoundPlayer::~SoundPlayer() { unload(); }

bool SoundPlayer::load(const std::string& path) {
    unload();
    if (path.empty() || !g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR)) return false;
    const std::string uri = fileUri(path);
    GstElement* playbin = uri.empty() ? nullptr : gst_element_factory_make("playbin", nullptr);
    if (!playbin) return false;
    if (!m_audioSink.empty()) {
        // The playbin takes the floating reference.
        if (GstElement* sink = gst_element_factory_make(m_audioSink.c_str(), nullptr)) {
            g_object_set(playbin, "audio-sink", sink, nullptr);
        }
    }
    g_object_set(playbin, "uri", uri.c_str(), nullptr);
    m_playbin = GST_ELEMENT(gst_object_ref_sink(playbin));
    GstBus* bus = gst_element_get_bus(m_playbin);
    m_busWatchId = gst_bus_add_watch(bus, &SoundPlayer::onBusMessage, this);
    gst_object_unref(bus);
    m_path = path;
    m_state = State::Stopped;
    return true;
}

void SoundPlayer::unload() {
    if (m_busWatchId) g_source_remove(m_busWatchId);
    m_busWatchId = 0;
    if (m_playbin) {
        gst_element_set_state(m_playbin, GST_STATE_NULL);
        gst_object_unref(m_playbin);
    }
    m_playbin = nullptr;
    m_path.clear();
    m_state = State::Empty;
}

void SoundPlayer::play() {
    if (!m_playbin) return;
    GstState current = GST_STATE_NULL;
    gst_element_get_state(m_playbin, &current, nullptr, 0);
    // A prerolled pipeline (paused, playing or at its end) rewinds by a flushing seek; one that
    // never prerolled starts at the beginning anyway.
    if (current >= GST_STATE_PAUSED) {
        gst_element_seek_simple(m_playbin, GST_FORMAT_TIME, GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT),
                                0);
    }
    const GstStateChangeReturn result = gst_element_set_state(m_playbin, GST_STATE_PLAYING);
    m_state = result == GST_STATE_CHANGE_FAILURE ? State::Failed : State::Playing;
}

void SoundPlayer::stop() {
    if (!m_playbin) return;
    // Paused rather than reset, so the next play() rewinds with a seek instead of a fresh preroll.
    gst_element_set_state(m_playbin, GST_STATE_PAUSED);
    if (m_state == State::Playing) m_state = State::Stopped;
}

gboolean SoundPlayer::onBusMessage(GstBus*, GstMessage* message, gpointer data) {
    auto* self = static_cast<SoundPlayer*>(data);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS: self->m_state = State::Finished; break;
    case GST_MESSAGE_ERROR:
        self->m_state = State::Failed;
        gst_element_set_state(self->m_playbin, GST_STATE_READY);
        break;
    default: break;
    }
    return G_SOURCE_CONTINUE;
}
