#pragma once
// Turns an unexpected result code into AAX::Exception::ResultError, tracing it
// to the host first ("AAX_CheckedResult - throwing %s").  Only for code that
// runs inside a catch that turns the exception back into a result.

#include <set>

#include "aax/AAXResults.h"

class AAX_CheckedResult {
public:
    // Accepts only AAX_SUCCESS; checks `result` at once.
    AAX_CheckedResult(AAX_Result result = AAX_SUCCESS);
    AAX_CheckedResult& operator=(AAX_Result result);

    void AddAcceptedResult(AAX_Result result) { accepted.insert(result); }
    AAX_Result LastError() const { return lastError; }

private:
    void Check();

    AAX_Result current;
    AAX_Result lastError = AAX_SUCCESS;
    std::set<AAX_Result> accepted{AAX_SUCCESS};
};
