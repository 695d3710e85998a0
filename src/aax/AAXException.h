#pragma once
// The exceptions the AAX layer throws internally.  None of them ever leaves a
// host-facing call: every such call catches and answers a result code.

#include <exception>
#include <string>

#include "aax/AAXResults.h"

namespace AAX::Exception {

class Any : public std::exception {
public:
    Any(std::string description, std::string function = {}, std::string line = {});
    const char* what() const noexcept override { return full.c_str(); }
    const std::string& Description() const { return description; }

private:
    std::string description;
    std::string function;
    std::string line;
    std::string full;  // description [" func:" function] [" line:" line]
};

class ResultError : public Any {
public:
    explicit ResultError(AAX_Result result, std::string function = {}, std::string line = {});
    AAX_Result Result() const { return result; }

    // "AAX_ERROR_NULL_OBJECT (-20004)"
    static std::string describe(AAX_Result result);

private:
    AAX_Result result;
};

}  // namespace AAX::Exception
