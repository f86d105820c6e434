// A main form for the start-up sequence: it logs the steps in the order they ran and keeps
// the options the switches turned on.
#pragma once

#include <stdexcept>
#include <string>

#include "app/startup.h"

class FakeStartupHost final : public StartupHost {
public:
    std::string log;  // the steps in the order they ran
    bool localOnly = false, megabytes = false, shortExport = false;
    std::string folder = "C:\\Logs";
    bool failLoading = false;

    void LoadSettings() override
    {
        log += "load;";
        if (failLoading) throw std::runtime_error("settings");
    }
    void ShowDailyLogPath() override { log += "status;"; }
    void SetLocalOnly() override { localOnly = true; }
    void SetMegabytes() override { megabytes = true; }
    void SetShortExport() override { shortExport = true; }
    std::string DailyLogFolder() const override { return folder; }
    std::string ComputerName() override { return "PC1"; }
    LocalDate Today() override { return {2026, 3, 4}; }
    void FillDriveGrid() override { log += "fill;"; }
    std::string Export1Click() override
    {
        log += "dialog;";
        return dialogFile;
    }
    std::string dialogFile;  // what the user chose; empty: cancelled
    void ExportGrid(const std::string& name) override { log += "export " + name + ";"; }
    void Terminate() override { log += "quit;"; }
};
