#include "plugin/ProgramLoader.h"

#include <system_error>

ProgramLoader::ProgramLoader(LoadFunction function) : load(std::move(function)) {}

ProgramLoader::~ProgramLoader() { stop(); }

bool ProgramLoader::start() {
    if (running.load()) return true;
    try {
        worker = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        return false;
    }
    running.store(true);
    return true;
}

void ProgramLoader::stop() {
    if (!worker.joinable()) return;
    stopping.store(true);
    requestCount.fetch_add(1);
    requestCount.notify_one();
    worker.join();
    running.store(false);
    servedCount.store(requestCount.load());
}

void ProgramLoader::request(int32_t program) {
    if (!running.load()) return;
    requested.store(program);
    requestCount.fetch_add(1);
    requestCount.notify_one();
}

// Busy is derived, never stored: a request is waiting (its count is not yet
// served) or being applied.  The worker raises `applying` before it marks a
// count served, so there is no moment between the two in which a pending
// request reads as idle.
bool ProgramLoader::isBusy() const {
    return applying.load() || requestCount.load() != servedCount.load();
}

void ProgramLoader::run() {
    for (;;) {
        const uint32_t seen = requestCount.load();
        if (stopping.load()) return;
        if (seen == servedCount.load()) {
            requestCount.wait(seen);
            continue;
        }
        applying.store(true);
        servedCount.store(seen);
        const int32_t program = requested.load();
        if (program >= 0 && load) load(program);
        applying.store(false);
    }
}
