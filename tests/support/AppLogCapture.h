// The application log (handle 0) opened in a temporary folder for one test, with a chosen file
// format level and threshold, and its records read back.
#pragma once

#include "logging/OrvLog.h"
#include "platform/TextConv.h"
#include "support/LogFiles.h"
#include "support/TempDir.h"

#include <string>
#include <vector>

namespace corvel::test {

class AppLogCapture {
public:
    AppLogCapture(int fileLevel, int threshold)
    {
        const std::wstring folder = platform::Utf8ToWide(dir_.Path().string() + "/");
        ok_ = OLInitOwnLogW(0, L"capture", folder.c_str(), true, false, 0, fileLevel, 0) == 0
              && OLSetOwnLogSeverityThreshold(0, threshold, OL_CHANNEL_FILE) == 0;
    }
    ~AppLogCapture() { Close(); }
    AppLogCapture(const AppLogCapture&) = delete;
    AppLogCapture& operator=(const AppLogCapture&) = delete;

    bool Ok() const { return ok_; }
    void Close()
    {
        if (ok_)
            OLCloseOwnLog(0);
        ok_ = false;
    }
    /// Closes the log and gives the records between its open and close banners.
    std::vector<std::wstring> Records()
    {
        Close();
        auto lines = LogFileLines(ReadBytes(dir_ / "capture.txt"));
        if (lines.size() < 2)
            return {};
        return {lines.begin() + 1, lines.end() - 1};
    }

private:
    TempDir dir_;
    bool ok_ = false;
};

}  // namespace corvel::test
