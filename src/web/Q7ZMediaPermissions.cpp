#include "web/Q7ZMediaPermissions.h"

#include <algorithm>

#include "platform/Bundle.h"

void Q7ZMediaPermissions::attach(WebKitWebView* view) {
    WebKitSettings* settings = webkit_web_view_get_settings(view);
    webkit_settings_set_enable_media_stream(settings, TRUE);
    webkit_settings_set_enable_webrtc(settings, TRUE);
    g_signal_connect(view, "permission-request", G_CALLBACK(&Q7ZMediaPermissions::on_view_permissionRequest), this);
}

const char* Q7ZMediaPermissions::messageKeyOf(WebKitUserMediaPermissionRequest* request) {
    if (webkit_user_media_permission_is_for_display_device(request)) return "MediaAskScreen";
    const bool audio = webkit_user_media_permission_is_for_audio_device(request);
    const bool video = webkit_user_media_permission_is_for_video_device(request);
    if (audio && video) return "MediaAskCameraAndMicrophone";
    return video ? "MediaAskCamera" : "MediaAskMicrophone";
}

bool Q7ZMediaPermissions::allows(const std::string& host, const char* messageKey) {
    const auto key = std::make_pair(host, std::string(messageKey));
    if (const auto answer = m_answers.find(key); answer != m_answers.end()) return answer->second;
    const int choice = m_dialogs.showAlert(localizedFormat(messageKey, host), AlertStyle::Warning,
                                           {localizedString("Allow"), localizedString("DontAllow")},
                                           localizedFormat("MediaAnswerHolds", localizedString("m753")));
    return m_answers[key] = choice == 0;
}

// The devices' names only to a host the user let use one of them.
bool Q7ZMediaPermissions::allowsDeviceNames(const std::string& host) const {
    return std::ranges::any_of(m_answers,
                               [&host](const auto& answer) { return answer.first.first == host && answer.second; });
}

gboolean Q7ZMediaPermissions::on_view_permissionRequest(WebKitWebView* view, WebKitPermissionRequest* request,
                                                        gpointer self) {
    auto& permissions = *static_cast<Q7ZMediaPermissions*>(self);
    const bool media = WEBKIT_IS_USER_MEDIA_PERMISSION_REQUEST(request);
    if (!media && !WEBKIT_IS_DEVICE_INFO_PERMISSION_REQUEST(request)) return FALSE;
    const char* uri = webkit_web_view_get_uri(view);
    const auto host = Q7ZOrganisationPages::hostOf(uri ? uri : "");
    bool allowed = false;
    if (!permissions.m_pages.isOrganisationHost(host))
        g_debug("%s may not use the camera, the microphone or the screen", uri ? uri : "a blank page");
    else if (media) allowed = permissions.allows(*host, messageKeyOf(WEBKIT_USER_MEDIA_PERMISSION_REQUEST(request)));
    else allowed = permissions.allowsDeviceNames(*host);
    if (allowed) webkit_permission_request_allow(request);
    else webkit_permission_request_deny(request);
    return TRUE;
}
