#pragma once
// Owning pointers for the C handles of GLib, GIO and GStreamer that have no C++ wrapper here.

#include <memory>

#include <gio/gio.h>

struct GObjectUnref {
    void operator()(gpointer object) const {
        if (object) g_object_unref(object);
    }
};

struct GVariantUnref {
    void operator()(GVariant* variant) const {
        if (variant) g_variant_unref(variant);
    }
};

struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};

struct GErrorFree {
    void operator()(GError* error) const {
        if (error) g_error_free(error);
    }
};

struct GDateTimeUnref {
    void operator()(GDateTime* time) const {
        if (time) g_date_time_unref(time);
    }
};

struct GUriUnref {
    void operator()(GUri* uri) const {
        if (uri) g_uri_unref(uri);
    }
};

template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;
using GVariantPtr = std::unique_ptr<GVariant, GVariantUnref>;
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;
using GCharPtr = std::unique_ptr<gchar, GFree>;
using GDateTimePtr = std::unique_ptr<GDateTime, GDateTimeUnref>;
using GUriPtr = std::unique_ptr<GUri, GUriUnref>;

// Takes a new reference on a borrowed object.
template <class T>
GObjectPtr<T> retainObject(T* object) {
    return GObjectPtr<T>(object ? static_cast<T*>(g_object_ref(object)) : nullptr);
}
