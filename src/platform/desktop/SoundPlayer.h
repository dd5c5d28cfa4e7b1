#pragma once
// One notification sound, played with a GStreamer playbin. play() always starts from the
// beginning, also while the sound is still playing. The pipeline's messages are handled on
// the main context.

#include <string>

#include <gst/gst.h>

class SoundPlayer {
public:
    enum class State { Empty, Stopped, Playing, Finished, Failed };

    // audioSink: a GStreamer element factory name for the output ("fakesink" plays into
    // nothing); empty means the playbin's own choice.
    explicit SoundPlayer(const std::string& audioSink = "");
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Loads a sound file; false (and nothing loaded) when the file does not exist.
    bool load(const std::string& path);
    bool isLoaded() const { return m_playbin != nullptr; }
    const std::string& path() const { return m_path; }

    void play();
    void stop();
    bool isPlaying() const { return m_state == State::Playing; }
    State state() const { return m_state; }

private:
    static gboolean onBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    void unload();

    std::string m_audioSink;
    std::string m_path;
    GstElement* m_playbin = nullptr;  // owned; released in unload()
    guint m_busWatchId = 0;
    State m_state = State::Empty;
};
