// The camera link, the store and the emulator build without Qt: every core header is included
// here and the build fails if any of them pulls Qt in.
#include "camera/CFlagGuard.h"
#include "camera/CPerfCounter.h"
#include "camera/CameraLink.h"
#include "camera/ClserBinding.h"
#include "camera/ComPort.h"
#include "camera/IErrorOwner.h"
#include "camera/ILinkHost.h"
#include "camera/ISettings.h"
#include "camera/ITerminalSink.h"
#include "camera/LinkLog.h"
#include "camera/LinkText.h"
#include "camera/RegisterLink.h"
#include "camera/RegisterProtocol.h"
#include "camera/clser.h"
#include "emulator/CameraModel.h"
#include "emulator/ClserEmuControl.h"
#include "emulator/PtyPeer.h"
#include "orvmisc/OrvParamStorage.h"

#if defined(QT_VERSION) || defined(QT_CORE_LIB)
#error "a core header includes Qt"
#endif
