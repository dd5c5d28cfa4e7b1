#pragma once
// A python-dbusmock service, from one of its templates (e.g. "notification_daemon") or a bare
// object given its methods by the test, run on the private session bus for the life of this
// object and killed afterwards. The test reads the calls the service received and makes it emit
// signals through the mock's control interface.

#include <string>
#include <vector>

#include "platform/GObjectPtr.h"

class DbusMock {
public:
    // Starts `python3 -m dbusmock <arguments>` (e.g. {"--template", "notification_daemon"}, or
    // {name, path, interface}) and waits (bounded) until it owns busName; a mock that does not
    // start fails the test.
    DbusMock(const std::vector<std::string>& arguments, std::string busName, std::string objectPath);
    ~DbusMock();
    DbusMock(const DbusMock&) = delete;
    DbusMock& operator=(const DbusMock&) = delete;

    // The argument tuples of every call of method so far, oldest first.
    std::vector<GVariantPtr> methodCalls(const std::string& method);
    // Adds a method whose Python code runs on each call (dbusmock's AddMethod).
    bool addMethod(const std::string& interfaceName, const std::string& method, const std::string& inSignature,
                   const std::string& code);
    // Adds a property (dbusmock's AddProperty), then changes it as the service would, with
    // PropertiesChanged (the standard Set); value is floating.
    bool addProperty(const std::string& interfaceName, const std::string& name, GVariant* value);
    bool setProperty(const std::string& interfaceName, const std::string& name, GVariant* value);
    // Emits interfaceName.signal with the arguments, each boxed in a variant: a floating "av"
    // (e.g. g_variant_new_parsed("[<uint32 1>, <'default'>]")) matching signature.
    bool emitSignal(const std::string& interfaceName, const std::string& signal, const std::string& signature,
                    GVariant* arguments);

private:
    std::string m_busName;
    std::string m_objectPath;
    GObjectPtr<GDBusConnection> m_connection;
    GObjectPtr<GSubprocess> m_process;
};
