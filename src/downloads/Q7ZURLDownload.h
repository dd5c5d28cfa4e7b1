#pragma once
// A handle on one transfer of the web engine, as a download record holds it. The web host wraps
// the engine's own download object in it, so the records and their registry stay free of the
// engine.

class Q7ZURLDownload {
public:
    virtual ~Q7ZURLDownload() = default;

    // Stops the transfer; the engine reports the failure through its own events.
    virtual void cancel() = 0;
    // The engine object behind the handle: two handles on one transfer answer the same.
    virtual const void* identity() const = 0;

    bool isSameDownload(const Q7ZURLDownload* other) const { return other && identity() == other->identity(); }
};
