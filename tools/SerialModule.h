// The scripts' `serial` module: `serial.Serial(...)` gives a port object whose read and write
// move raw bytes over the camera link's channel, below the register protocol, so a script
// builds and parses the camera's frames itself. `close()` answers 0 and leaves the channel
// open; `timeout` is a 32-bit float the script may set and read back (read and write keep their
// own time-outs of 1000 and 2000 ms). Failures raise `serial.SerialException` (an OSError),
// a read count outside 1..255 raises ValueError. No Qt here.
#pragma once

class CCameraLink;

namespace script {

/// The link whose channel the module uses (borrowed; null: read and write fail). Waits for a
/// read or write in progress, so the old link may be destroyed once this returns.
void SetSerialLink(CCameraLink* link);
CCameraLink* SerialLink();

/// Adds `serial` to the interpreter's built-in modules. Only before the interpreter starts.
bool RegisterSerialModule();

}  // namespace script
