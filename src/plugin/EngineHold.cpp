#include "plugin/EngineHold.h"

#include "platform/Threads.h"

bool EngineHold::acquire(int32_t tries) {
    holders.fetch_add(1);
    for (int32_t i = 0; audioBusy.load(); ++i) {
        if (i >= tries) {
            holders.fetch_sub(1);
            return false;
        }
        platform::sleepOneMillisecond();
    }
    return true;
}

bool EngineHold::enterBlock() {
    if (holders.load() > 0) return false;
    audioBusy.store(true);
    if (holders.load() > 0) {
        audioBusy.store(false);
        return false;
    }
    return true;
}
