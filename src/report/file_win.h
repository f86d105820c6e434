// The export's files on Windows.
#pragma once

#include "export.h"

class WindowsOutputFiles final : public OutputFiles {
public:
    std::unique_ptr<OutputFile> Create(const std::string& name, unsigned& errorCode) override;
};
