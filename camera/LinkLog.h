// Log lines of the camera link. Each line carries the "Class::Method" it comes from and goes to
// the application log (severity 1, "TRACE", source "CameraLink"). Tests install a sink that
// takes the lines instead. Callers decide by the logging level whether a line is wanted before
// they format it.
#pragma once

#include <functional>
#include <string>

namespace camera {

using LinkLogSink = std::function<void(const char* method, const std::string& text)>;

/// Installs a process-wide sink that takes every line instead of the application log (an empty
/// one restores the log); returns the previous sink.
LinkLogSink SetLinkLogSink(LinkLogSink sink);

/// Formats (printf rules of this platform) and hands one line to the sink.
void LinkLog(const char* method, const char* format, ...) __attribute__((format(printf, 2, 3)));

/// A failure met at every retry: its line is logged once, again only when its text changes, and
/// a closing line when it ends.
class RepeatFilter {
public:
    void Failed(const char* method, const std::string& text);
    /// Logs `text` only when a failure was logged before.
    void Succeeded(const char* method, const std::string& text);

private:
    std::string last_;
};

}  // namespace camera
