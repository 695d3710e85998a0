#include "host/ProgramBoundary.h"

#include <exception>
#include <new>

int runWithinBoundary(const char* program, const std::function<int()>& body, std::ostream& errors) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        errors << program << ": out of memory\n";
    } catch (const std::exception& failure) {
        errors << program << ": " << failure.what() << "\n";
    } catch (...) {
        errors << program << ": stopped by an unexpected error\n";
    }
    errors.flush();
    return 1;
}
