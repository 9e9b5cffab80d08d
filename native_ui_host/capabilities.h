#pragma once
// The capability record a host hands to the native UI host provider, and the
// seven service flags the provider keeps from it.

#include <cstdint>
#include <string>

// The seven host services, in the order the provider keeps and tests them.
struct native_ui_host_capability_flags {
    bool accessibility = false;
    bool text_input = false;
    bool clipboard = false;
    bool display_topology = false;
    bool session_lifecycle = false;
    bool virtual_keyboard = false;
    bool delayed_clipboard = false;
};

// What the host declares about itself. Only a record with the schema
// "quon.native-ui-host-capabilities.v1", version 1 and a provider name lets
// the provider initialise.
struct native_ui_host_capabilities {
    std::string schema;
    std::int32_t version = 0;
    std::string provider;
    bool accessibility = false;
    bool text_input = false;
    bool clipboard = false;
    bool display_topology = false;
    bool session_lifecycle = false;
    bool virtual_keyboard = false;
    bool delayed_clipboard = false;
};
