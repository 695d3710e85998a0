#pragma once
// Owns an effect's parameters: in registration order (the parameter index)
// and by identifier.  Each parameter gets the host's automation delegate when
// it is added.  Not locked: used from the host thread that calls the effect.

#include <map>
#include <string>
#include <vector>

#include "aax/AAX_IParameter.h"

class AAX_IAutomationDelegate;

class AAX_CParameterManager {
public:
    AAX_CParameterManager() = default;
    ~AAX_CParameterManager();
    AAX_CParameterManager(const AAX_CParameterManager&) = delete;
    AAX_CParameterManager& operator=(const AAX_CParameterManager&) = delete;

    // Parameters added earlier keep the delegate they had.
    void Initialize(AAX_IAutomationDelegate* delegate) { automationDelegate = delegate; }
    int32_t NumParameters() const { return int32_t(parameters.size()); }
    // Takes ownership, unless the pointer is null or the identifier is taken
    // (then the caller keeps the object).  Answers whether it was taken.
    bool AddParameter(AAX_IParameter* parameter);
    AAX_IParameter* GetParameterByID(const char* identifier) const;
    int32_t GetParameterIndex(const char* identifier) const;  // -1 when absent
    AAX_IParameter* GetParameter(int32_t index) const;        // null out of range
    void RemoveAllParameters();

private:
    AAX_IAutomationDelegate* automationDelegate = nullptr;
    std::vector<AAX_IParameter*> parameters;
    std::map<std::string, AAX_IParameter*> parametersMap;
};
