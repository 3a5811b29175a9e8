// Log lines of the camera link. Each line carries the "Class::Method" it comes from; the sink
// that writes them to the application log (severity 1, source "CameraLink") is installed by the
// program at start-up. Without a sink the lines are dropped. Callers decide by the logging
// level whether a line is wanted before they format it.
#pragma once

#include <functional>
#include <string>

namespace camera {

using LinkLogSink = std::function<void(const char* method, const std::string& text)>;

/// Installs the process-wide sink (an empty one drops lines); returns the previous sink.
LinkLogSink SetLinkLogSink(LinkLogSink sink);

/// Formats (printf rules of this platform) and hands one line to the sink.
void LinkLog(const char* method, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace camera
