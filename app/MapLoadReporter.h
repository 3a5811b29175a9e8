// Tells the log and the operator that a register map could not be loaded: a record of
// severity ERROR (code 1) and a message box.
#pragma once

#include "catalogues/RegisterMapLoader.h"

class CMapLoadReporter : public IMapLoadReporter {
public:
    void LogMapLoadError(const std::string& record) override;
    void ShowMapLoadError(const std::string& message) override;
};
