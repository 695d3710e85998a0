#pragma once
// Message boxes answer at once and say nothing, so that a harness never
// waits on a dialog nobody will see.

#include "platform/Dialogs.h"

inline void quietMessages() {
    static const bool installed = [] {
        platform::setMessageHandler([](const platform::MessageRequest& request) {
            return platform::safeAnswer(request.kind);
        });
        return true;
    }();
    (void)installed;
}
