#pragma once
// Calls: the camera, the microphone and screen sharing for the organisation's pages. The first
// request of a kind from a host asks the user in a dialog naming the host and the devices; the
// answer holds for that host and kind until the program ends. Other pages are refused without
// asking. The views get the engine's media stream and WebRTC. Main thread only.

#include <map>
#include <string>
#include <utility>

#include <webkit2/webkit2.h>

#include "platform/desktop/Dialogs.h"
#include "web/policy/Q7ZOrganisationPages.h"

class Q7ZMediaPermissions {
public:
    Q7ZMediaPermissions(Dialogs& dialogs, const Q7ZOrganisationPages& pages) : m_dialogs(dialogs), m_pages(pages) {}
    Q7ZMediaPermissions(const Q7ZMediaPermissions&) = delete;
    Q7ZMediaPermissions& operator=(const Q7ZMediaPermissions&) = delete;

    // Connect before the view's other permission handlers: this one answers media requests.
    void attach(WebKitWebView* view);

private:
    // What a request asks for, as the dialog's message key names it.
    static const char* messageKeyOf(WebKitUserMediaPermissionRequest* request);
    bool allows(const std::string& host, const char* messageKey);
    bool allowsDeviceNames(const std::string& host) const;
    static gboolean on_view_permissionRequest(WebKitWebView* view, WebKitPermissionRequest* request, gpointer self);

    Dialogs& m_dialogs;
    const Q7ZOrganisationPages& m_pages;
    std::map<std::pair<std::string, std::string>, bool> m_answers;  // by host and message key
};
