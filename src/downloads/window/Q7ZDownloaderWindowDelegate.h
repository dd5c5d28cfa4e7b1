#pragma once
// What the downloads window asks of its owner.

class Q7ZDownloaderWindow;

class Q7ZDownloaderWindowDelegate {
public:
    virtual ~Q7ZDownloaderWindowDelegate() = default;

    // The user asked to close the window (its close button or Escape). The window never closes
    // itself: the delegate hides it and drops it, after this call has returned.
    virtual void downloaderWindowWillClose(Q7ZDownloaderWindow& window) = 0;
};
