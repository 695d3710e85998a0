#include "aax/AAXException.h"

#include <cstdio>

namespace AAX::Exception {

Any::Any(std::string description_, std::string function_, std::string line_)
    : description(std::move(description_)), function(std::move(function_)), line(std::move(line_)) {
    full = description;
    if (!function.empty()) full += " func:" + function;
    if (!line.empty()) full += " line:" + line;
}

ResultError::ResultError(AAX_Result result_, std::string function_, std::string line_)
    : Any(describe(result_), std::move(function_), std::move(line_)), result(result_) {}

std::string ResultError::describe(AAX_Result result) {
    char number[16];
    std::snprintf(number, sizeof(number), "%ld", static_cast<long>(result));
    return std::string(resultToString(result)) + " (" + number + ")";
}

}  // namespace AAX::Exception
