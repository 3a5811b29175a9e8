// The scripting console's engine and the scripts' `serial` module, with scripts run on the
// process's one interpreter against the emulated camera: frames a script writes reach the
// camera and its answers come back, time-outs, bad arguments, what scripts print (a last line
// without a line end included), sys.exit, and a script that never ends being stopped.
#include "camera/ProtocolFixture.h"
#include "emulator/PtyPeer.h"
#include "support/TempDir.h"
#include "tools/PythonHost.h"
#include "tools/ScriptOutput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <thread>

namespace corvel::test {
namespace {

using namespace std::chrono_literals;
using script::JobResult;
using script::PythonHost;

constexpr auto kJobTimeout = 60s;  // generous: a 2-core machine under the address sanitizer
/// A stop reaches sleeps and reads within about a second; this leaves room for a loaded
/// machine and stays well below the 30 s sleeps the scripts would otherwise finish.
constexpr auto kStopReach = 15s;

/// The process's interpreter lent to one test: idle, with no output left, scripts reaching
/// `link`; afterwards idle again, with no names left and the current folder restored.
class HostSession {
protected:
    void BeginSession(CCameraLink* link)
    {
        ASSERT_TRUE(host.Available()) << host.StartError();
        ASSERT_TRUE(host.WaitIdle(kJobTimeout));
        host.TakeOutput(false);
        host.SetCameraLink(link);
        folder = std::filesystem::current_path();
    }

    void EndSession()
    {
        host.RequestStop();
        EXPECT_TRUE(host.WaitIdle(kJobTimeout));
        host.SetCameraLink(nullptr);
        EXPECT_TRUE(host.ClearNames());
        EXPECT_TRUE(host.WaitIdle(kJobTimeout));
        if (!folder.empty())
            std::filesystem::current_path(folder);
    }

    /// Runs `source` as a script file and answers everything it printed.
    std::string Run(const std::string& source)
    {
        scripts.Write("script.py", source);
        EXPECT_TRUE(host.RunFile(scripts / "script.py"));
        EXPECT_TRUE(host.WaitIdle(kJobTimeout));
        return host.TakeOutput(false);
    }

    PythonHost& host = PythonHost::Instance();
    TempDir scripts;
    std::filesystem::path folder;
};

class ScriptOnCamera : public EmulatedLinkTest, public HostSession {
protected:
    using HostSession::host;  // the interpreter; the link's window host stays EmulatedLinkTest::host
    using HostSession::Run;
    void SetUp() override
    {
        EmulatedLinkTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        BeginSession(link.get());
    }

    void TearDown() override
    {
        EndSession();
        EmulatedLinkTest::TearDown();
    }

    /// Executes one command line and answers what it printed (after the ">> " echo).
    std::string Send(const std::string& line)
    {
        EXPECT_TRUE(host.RunLine(line));
        EXPECT_TRUE(host.WaitIdle(kJobTimeout));
        std::string out = host.TakeOutput(false);
        const std::string echo = ">> " + line + "\n";
        EXPECT_EQ(out.rfind(echo, 0), 0u) << out;
        return out.substr(std::min(out.size(), echo.size()));
    }

    /// Waits until the output holds `marker`, collecting whole lines as a console would.
    bool WaitForOutput(const std::string& marker, std::string& seen)
    {
        const auto end = std::chrono::steady_clock::now() + kJobTimeout;
        while (std::chrono::steady_clock::now() < end) {
            seen += host.TakeOutput(true);
            if (seen.find(marker) != std::string::npos)
                return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
};

// Example failure: the module reads before the camera answered, or mangles bytes >= 0x80.
TEST_F(ScriptOnCamera, FramesWrittenReachTheCameraAndItsAnswersComeBack)
{
    emu.SetRegister(0x6200, 0x12AB80FF);
    const std::string out = Run(
        "import serial\n"
        "port = serial.Serial('COM1', 9600)\n"
        "print(port.write(b'\\x52\\x62\\x00'))\n"
        "print(port.read(5).hex())\n"
        "print(port.write('W\\x62\\x04\\x00\\x00\\x01\\xfe'))\n"  // text goes out as Latin-1
        "print(port.read(1).hex())\n"
        "print(port.write(bytearray(b'\\x52\\x62\\x04')), port.read(5).hex())\n");
    EXPECT_EQ(out, "3\n0612ab80ff\n7\n06\n3 06000001fe\n");
    EXPECT_EQ(host.LastResult(), JobResult::Ok);
    EXPECT_EQ(emu.Register(0x6204), 0x1FEu);
    EXPECT_EQ(Frames(), (std::vector<Bytes>{ReadFrame(0x6200), WriteFrame(0x6204, 0x1FE), ReadFrame(0x6204)}));
}

// Example failure: the time-out result of the channel taken as a failure, losing the bytes
// that did come, or a read that got nothing answering an empty string.
TEST_F(ScriptOnCamera, ReadTimeOutKeepsTheBytesThatCameAndFailsWithoutAny)
{
    const std::string out = Run(
        "import serial\n"
        "port = serial.Serial()\n"
        "port.write(b'W\\x62\\x08\\x00\\x00\\x00\\x01')\n"
        "print(port.read(255).hex())\n"  // only the acknowledgement comes
        "try:\n"
        "    port.read(4)\n"
        "except serial.SerialException as e:\n"
        "    print('nothing:', isinstance(e, OSError))\n"
        "port.write(b'\\x52\\x62\\x08')\n"
        "print(port.read(5).hex())\n");  // the channel still works
    EXPECT_EQ(out, "06\nnothing: True\n0600000001\n");
}

// Example failure: a camera that answers part of a frame makes the script fail instead of
// getting the part.
TEST_F(ScriptOnCamera, PartialAnswerIsReturned)
{
    emu::Fault f;
    f.kind = emu::FaultKind::Partial;
    f.partialBytes = 3;
    emu.ScriptFault(0x6200, f);
    emu.SetRegister(0x6200, 0xA1B2C3D4);
    EXPECT_EQ(Run("import serial\np = serial.Serial()\np.write(b'R\\x62\\x00')\nprint(p.read(5).hex())\n"),
              "06a1b2\n");
}

// Example failure: a port that goes away while a script holds the channel and comes back is
// never opened again (the main window's reconnect keeps off a script's channel), so every later
// write of the script sends nothing until it ends.
TEST_F(ScriptOnCamera, APortThatComesBackServesTheNextWrite)
{
    emu.SetRegister(0x6200, 0xA1B2C3D4);
    const int rate = emu.HostBaud(0);
    emu.FailNext(clser::kSerialWrite, clser::kErrInvalidReference);  // the port is gone, and back
    EXPECT_EQ(Run("import serial\np = serial.Serial()\n"
                  "print(p.write(b'R\\x62\\x00'))\n"
                  "print(p.write(b'R\\x62\\x00'), p.read(5).hex())\n"),
              "0\n3 06a1b2c3d4\n");
    EXPECT_FALSE(link->PortLost());
    EXPECT_EQ(emu.HostBaud(0), rate);
}

struct BadCall {
    const char* name;
    const char* code;      ///< run after `p = serial.Serial()`
    const char* expected;  ///< printed: the result, or the exception's type name
};

class SerialArguments : public ScriptOnCamera, public ::testing::WithParamInterface<BadCall> {};

// Example failure: read(0) or read(300) touching the channel, a non-text write leaving an
// error pending (SystemError), or `timeout` taking a text.
TEST_P(SerialArguments, AnswerWithoutTouchingTheChannel)
{
    const BadCall& c = GetParam();
    const std::uint32_t reads = emu.Calls("clSerialRead"), writes = emu.Calls("clSerialWrite");
    const std::string out = Run(std::string("import serial\np = serial.Serial()\ntry:\n    print(repr(") + c.code +
                                "))\nexcept Exception as e:\n    print(type(e).__name__)\n");
    EXPECT_EQ(out, std::string(c.expected) + "\n");
    EXPECT_EQ(emu.Calls("clSerialRead"), reads);
    EXPECT_EQ(emu.Calls("clSerialWrite"), writes);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SerialArguments,
    ::testing::Values(BadCall{"ReadZero", "p.read(0)", "ValueError"},
                      BadCall{"Read256", "p.read(256)", "ValueError"},
                      BadCall{"Read300", "p.read(300)", "ValueError"},
                      BadCall{"ReadNegative", "p.read(-1)", "ValueError"},
                      BadCall{"ReadHuge", "p.read(2**70)", "OverflowError"},
                      BadCall{"ReadText", "p.read('5')", "TypeError"},
                      BadCall{"ReadFloat", "p.read(5.0)", "TypeError"},
                      BadCall{"ReadNoArgument", "p.read()", "TypeError"},
                      BadCall{"WriteNumber", "p.write(5)", "0"},
                      BadCall{"WriteNone", "p.write(None)", "0"},
                      BadCall{"WriteEmpty", "p.write(b'')", "0"},
                      BadCall{"WriteEmptyText", "p.write('')", "0"},
                      BadCall{"WriteWideText", "p.write('\\u0100')", "0"},
                      BadCall{"Close", "p.close()", "0"},
                      BadCall{"TimeoutStart", "p.timeout", "1.0"},
                      BadCall{"TimeoutFloat32", "(setattr(p, 'timeout', 0.1), p.timeout)[1]", "0.10000000149011612"},
                      BadCall{"TimeoutInteger", "(setattr(p, 'timeout', 2), p.timeout)[1]", "2.0"},
                      BadCall{"TimeoutText", "setattr(p, 'timeout', 'x')", "TypeError"},
                      BadCall{"TimeoutDelete", "delattr(p, 'timeout')", "AttributeError"},
                      BadCall{"OtherAttribute", "setattr(p, 'baudrate', 9600)", "AttributeError"},
                      BadCall{"UnknownMethod", "p.flush()", "AttributeError"},
                      BadCall{"SerialKeywords", "type(serial.Serial('/dev/ttyS0', baudrate=9600, timeout=1)).__name__",
                              "'StructSerial'"}),
    [](const ::testing::TestParamInfo<BadCall>& info) { return std::string(info.param.name); });

// Example failure: close() shutting the channel, so the next read fails.
TEST_F(ScriptOnCamera, CloseLeavesTheChannelUsable)
{
    EXPECT_EQ(Run("import serial\np = serial.Serial()\nprint(p.close())\n"
                  "print(p.write(b'R\\x60\\x0c'), p.read(5).hex())\n"),
              "0\n3 0676543210\n");
}

// Example failure: a script without a camera link crashing the program or reading through a
// dangling pointer.
TEST_F(ScriptOnCamera, WithoutLinkReadAndWriteRaise)
{
    host.SetCameraLink(nullptr);
    EXPECT_EQ(Run("import serial\np = serial.Serial()\n"
                  "for call in (lambda: p.read(1), lambda: p.write(b'R\\x60\\x0c')):\n"
                  "    try:\n        call()\n    except serial.SerialException as e:\n        print(e)\n"),
              "no camera link\nno camera link\n");
}

// Example failure: only whole lines captured, so a last line without a line end is lost.
TEST_F(ScriptOnCamera, OutputWithoutFinalLineEndIsShown)
{
    scripts.Write("script.py", "import sys\nprint('one')\nsys.stderr.write('two\\n')\nprint('tail', end='')\n");
    ASSERT_TRUE(host.RunFile(scripts / "script.py"));
    ASSERT_TRUE(host.WaitIdle(kJobTimeout));
    EXPECT_EQ(host.TakeOutput(true), "one\ntwo\n");
    EXPECT_EQ(host.TakeOutput(false), "tail");
    EXPECT_EQ(Send("print(1, end='')"), "1");
}

// Example failure: a traceback printed to the process's own stderr instead of the console, or
// the host's error line overtaking it.
TEST_F(ScriptOnCamera, ErrorsShowTracebackThenTheErrorLine)
{
    const std::string out = Run("print('before')\nraise RuntimeError('broken')\n");
    EXPECT_EQ(out.rfind("before\nTraceback (most recent call last):\n", 0), 0u) << out;
    EXPECT_NE(out.find("script.py\", line 2"), std::string::npos) << out;
    const std::string tail = "RuntimeError: broken\n\nThe Error is inside the script\n";
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_EQ(host.LastResult(), JobResult::Error);
    // The console has no input to give.
    EXPECT_NE(Send("input('x? ')").find("EOFError"), std::string::npos);
}

struct ExitCase {
    const char* name;
    const char* call;
    const char* printed;
    JobResult result;
};

class ScriptExit : public ScriptOnCamera, public ::testing::WithParamInterface<ExitCase> {};

// Example failure: sys.exit ending the whole program (this test binary would die with it).
TEST_P(ScriptExit, EndsTheScriptOnly)
{
    const ExitCase& c = GetParam();
    EXPECT_EQ(Run(std::string("import sys\nprint('start')\n") + c.call + "\nprint('not reached')\n"),
              std::string("start\n") + c.printed);
    EXPECT_EQ(host.LastResult(), c.result);
    EXPECT_EQ(Send("print('still here')"), "still here\n");
    EXPECT_EQ(Send(c.call), c.printed);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScriptExit,
    ::testing::Values(ExitCase{"Zero", "sys.exit(0)", "", JobResult::Ok},
                      ExitCase{"NoCode", "sys.exit()", "", JobResult::Ok},
                      ExitCase{"Builtin", "exit()", "", JobResult::Ok},
                      ExitCase{"Code", "sys.exit(3)", "SystemExit: 3\n\nThe Error is inside the script\n", JobResult::Error},
                      ExitCase{"Text", "sys.exit('bye')", "SystemExit: bye\n\nThe Error is inside the script\n",
                               JobResult::Error},
                      ExitCase{"Raised", "raise SystemExit(2)", "SystemExit: 2\n\nThe Error is inside the script\n",
                               JobResult::Error}),
    [](const ::testing::TestParamInfo<ExitCase>& info) { return std::string(info.param.name); });

struct LoopCase {
    const char* name;
    const char* body;  ///< the loop's body, after `import serial; p = serial.Serial()`
};

class EndlessScript : public ScriptOnCamera, public ::testing::WithParamInterface<LoopCase> {};

// Example failure: a script that never ends keeping the console busy for good, or a stop that
// comes too late hitting the next job.
TEST_P(EndlessScript, IsStoppedOnRequest)
{
    scripts.Write("loop.py", std::string("import serial, time\np = serial.Serial()\nprint('started')\n"
                                         "while True:\n    ") + GetParam().body + "\n");
    ASSERT_TRUE(host.RunFile(scripts / "loop.py"));
    std::string seen;
    ASSERT_TRUE(WaitForOutput("started\n", seen)) << seen;  // delivered while the script runs
    EXPECT_TRUE(host.Running());
    EXPECT_FALSE(host.RunLine("print('meanwhile')"));  // one job at a time
    host.RequestStop();
    ASSERT_TRUE(host.WaitIdle(kStopReach));
    EXPECT_FALSE(host.Running());
    EXPECT_EQ(host.LastResult(), JobResult::Stopped);
    EXPECT_EQ(seen + host.TakeOutput(false), "started\n\nThe script was stopped\n");
    EXPECT_TRUE(link->m_ChannelOwner.IsFree());
    EXPECT_EQ(Send("print('next')"), "next\n");
    EXPECT_EQ(host.LastResult(), JobResult::Ok);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EndlessScript,
    ::testing::Values(LoopCase{"Busy", "pass"}, LoopCase{"Sleeping", "time.sleep(0.01)"},
                      LoopCase{"Polling", "p.write(b'R\\x60\\x0c'); p.read(5)"},
                      LoopCase{"LongSleep", "time.sleep(30)"},
                      LoopCase{"ReadingNothing", "try: p.read(255)\n    except serial.SerialException: pass"}),
    [](const ::testing::TestParamInfo<LoopCase>& info) { return std::string(info.param.name); });

struct IgnoredStopCase {
    const char* name;
    const char* source;  ///< prints "started" once its loop catches stops
};

class ScriptIgnoringTheStop : public ScriptOnCamera, public ::testing::WithParamInterface<IgnoredStopCase> {};

// Example failure: a script that catches KeyboardInterrupt runs on for good and the operator is
// never told, or a second Stop does no more than the first.
TEST_P(ScriptIgnoringTheStop, IsToldAndASecondStopEndsIt)
{
    scripts.Write("stubborn.py", GetParam().source);
    ASSERT_TRUE(host.RunFile(scripts / "stubborn.py"));
    std::string seen;
    ASSERT_TRUE(WaitForOutput("started\n", seen)) << seen;
    host.RequestStop();
    ASSERT_TRUE(WaitForOutput("Press Stop again to end it.", seen)) << seen;
    EXPECT_TRUE(host.Running());
    EXPECT_EQ(link->m_ChannelOwner.Holder(), ChannelUser::Script);
    host.RequestStop();
    ASSERT_TRUE(host.WaitIdle(kStopReach)) << seen;
    EXPECT_EQ(host.LastResult(), JobResult::Stopped);
    EXPECT_TRUE(link->m_ChannelOwner.IsFree());
    host.TakeOutput(false);
    EXPECT_EQ(Send("print('next')"), "next\n");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScriptIgnoringTheStop,
    ::testing::Values(
        IgnoredStopCase{"CatchesKeyboardInterrupt",
                        "import time\nprint('started')\nwhile True:\n    try:\n        time.sleep(0.05)\n"
                        "    except KeyboardInterrupt:\n        print('caught')\n"},
        IgnoredStopCase{"BareExceptAroundASleep",
                        "import time\nprint('started')\nwhile True:\n    try:\n        time.sleep(30)\n"
                        "    except:\n        pass\n"},
        IgnoredStopCase{"ThreadThatCatches",
                        "import threading, time\n"
                        "def run():\n    while True:\n        try:\n            time.sleep(0.05)\n"
                        "        except BaseException:\n            pass\n"
                        "threading.Thread(target=run).start()\nprint('started')\n"}),
    [](const ::testing::TestParamInfo<IgnoredStopCase>& info) { return std::string(info.param.name); });

// Example failure: the run ends with its main part, so a thread's output shows up under the
// next command and the console reports "finished" while the thread still uses the camera.
TEST_F(ScriptOnCamera, ThreadsTheScriptStartedBelongToItsRun)
{
    emu.SetRegister(0x6200, 0xCAFE0001);
    const std::string out = Run(
        "import serial, threading, time\n"
        "def late():\n"
        "    time.sleep(0.3)\n"
        "    p = serial.Serial()\n"
        "    p.write(b'R\\x62\\x00')\n"
        "    print('from the thread', p.read(5).hex())\n"
        "threading.Thread(target=late).start()\n"
        "print('main part done')\n");
    EXPECT_EQ(out, "main part done\nfrom the thread 06cafe0001\n");
    EXPECT_EQ(host.LastResult(), JobResult::Ok);
    EXPECT_EQ(Frames(), (std::vector<Bytes>{ReadFrame(0x6200)}));
    EXPECT_TRUE(link->m_ChannelOwner.IsFree());
}

// Example failure: Stop ends the main part only, and threads it started keep running (and
// using the channel) after the run has ended.
TEST_F(ScriptOnCamera, StopReachesTheThreadsOfTheRun)
{
    scripts.Write("threads.py",
                  "import threading, time\n"
                  "def forever():\n"
                  "    while True:\n"
                  "        time.sleep(30)\n"
                  "for daemon in (False, True):\n"
                  "    threading.Thread(target=forever, daemon=daemon).start()\n"
                  "print('started')\n");
    ASSERT_TRUE(host.RunFile(scripts / "threads.py"));
    std::string seen;
    ASSERT_TRUE(WaitForOutput("started\n", seen)) << seen;
    EXPECT_FALSE(host.WaitIdle(300ms)) << "the run ended before its threads";
    host.RequestStop();
    ASSERT_TRUE(host.WaitIdle(kStopReach));
    EXPECT_EQ(host.LastResult(), JobResult::Stopped);
    EXPECT_EQ(seen + host.TakeOutput(false), "started\n\nThe script was stopped\n");
    EXPECT_EQ(Send("import threading\nprint(threading.active_count())"), "1\n");
}

// Example failure: each job starting with an empty namespace, so a Send's variable is unknown
// to the next script.
TEST_F(ScriptOnCamera, NamesOfOneJobStayForTheNext)
{
    EXPECT_EQ(Send("answer = 41"), "");
    EXPECT_EQ(Run("print(answer + 1, __name__, __file__.endswith('script.py'))\n"), "42 __main__ True\n");
    EXPECT_EQ(Send("print('__file__' in globals())"), "False\n");
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(scripts.Path()));
    ASSERT_TRUE(host.ClearNames());
    ASSERT_TRUE(host.WaitIdle(kJobTimeout));
    EXPECT_EQ(Send("print('answer' in globals(), __name__)"), "False __main__\n");
}

// Example failure: an unopenable script leaving nothing in the console, or its names kept
// although the run started afresh.
TEST_F(ScriptOnCamera, ScriptThatCannotBeOpenedSaysSoAndStartsAfresh)
{
    EXPECT_EQ(Send("answer = 41"), "");
    ASSERT_TRUE(host.RunFile(scripts / "gone.py"));
    ASSERT_TRUE(host.WaitIdle(kJobTimeout));
    EXPECT_EQ(host.LastResult(), JobResult::NotOpened);
    EXPECT_EQ(host.TakeOutput(false),
              "Cannot open the script " + (scripts / "gone.py").string() + ": No such file or directory\n");
    EXPECT_EQ(Send("print('answer' in globals())"), "False\n");
}

// Example failure: the folder changed before a relative path is opened, so the script is
// looked for inside its own folder.
TEST_F(ScriptOnCamera, RelativePathRunsInTheScriptsFolder)
{
    scripts.Write("data.txt", "from the folder");
    scripts.Write("script.py", "print(open('data.txt').read())\n");
    ASSERT_TRUE(host.RunFile(std::filesystem::relative(scripts / "script.py")));
    ASSERT_TRUE(host.WaitIdle(kJobTimeout));
    EXPECT_EQ(host.TakeOutput(false), "from the folder\n");
}

TEST_F(ScriptOnCamera, EmptyCommandIsRefused)
{
    ASSERT_TRUE(host.RunLine(""));
    ASSERT_TRUE(host.WaitIdle(kJobTimeout));
    EXPECT_EQ(host.TakeOutput(false), ">> can't send an empty command\n");
}

// Example failure: the module keeps the interpreter's lock through a blocking channel call, so
// no other Python thread runs until the camera answers; or the script's read leaves the
// channel to another user in the middle of its exchange.
TEST(ScriptOnComPort, BlockingReadLetsPythonRunAndHoldsTheChannel)
{
    emu::PtyPeer peer;
    if (!peer.Start())
        GTEST_SKIP() << "no pseudo-terminal: " << peer.Error();
    peer.WithCamera([](emu::CameraModel& c) { c.SetBaudRate(115200); });
    MemorySettings settings;
    TestLink link(&settings);
    AddPing(link);
    ASSERT_EQ(link.Init(peer.SlavePath()), 0);

    PythonHost& host = PythonHost::Instance();
    ASSERT_TRUE(host.Available()) << host.StartError();
    ASSERT_TRUE(host.WaitIdle(kJobTimeout));
    host.TakeOutput(false);
    host.SetCameraLink(&link);
    emu::Fault late;
    late.kind = emu::FaultKind::Late;  // the answer waits for the test
    peer.WithCamera([&](emu::CameraModel& c) { c.ScriptFault(0x600C, late); });
    const auto folder = std::filesystem::current_path();
    TempDir scripts;
    scripts.Write("read.py",
                  "import serial, threading, time\n"
                  "done = threading.Event()\n"
                  "def tick():\n"
                  "    while not done.is_set():\n"
                  "        print('tick')\n"
                  "        time.sleep(0.01)\n"
                  "ticker = threading.Thread(target=tick)\n"
                  "ticker.start()\n"
                  "p = serial.Serial()\n"
                  "p.write(b'R\\x60\\x0c')\n"
                  "answer = b''\n"
                  "while not answer:\n"  // each read waits up to its second
                  "    try:\n"
                  "        answer = p.read(5)\n"
                  "    except serial.SerialException:\n"
                  "        pass\n"
                  "done.set()\n"
                  "ticker.join()\n"
                  "print('answer', answer.hex())\n");
    ASSERT_TRUE(host.RunFile(scripts / "read.py"));

    // Once a channel call of this thread waits, the script is inside its read.
    const auto until = std::chrono::steady_clock::now() + kJobTimeout;
    std::future<int> other;
    for (;;) {
        other = std::async(std::launch::async, [&] {
            std::uint8_t byte = 0;
            std::uint32_t none = 0;
            return link.Write(&byte, &none, 100);
        });
        if (other.wait_for(300ms) == std::future_status::timeout)
            break;
        ASSERT_LT(std::chrono::steady_clock::now(), until) << "the script never held the channel";
    }
    // The ticker prints while the read waits.
    host.TakeOutput(true);
    std::string ticks;
    const auto tickUntil = std::chrono::steady_clock::now() + 20s;
    while (ticks.find("tick\n") == std::string::npos && std::chrono::steady_clock::now() < tickUntil) {
        std::this_thread::sleep_for(10ms);
        ticks += host.TakeOutput(true);
    }
    EXPECT_NE(ticks.find("tick\n"), std::string::npos) << "the read holds the interpreter's lock";

    // The waiting read takes the answer at once, so the peer's check that the answer sits in
    // the terminal's input queue gives up: its result says nothing here.
    (void)peer.ReleaseLateAnswers();
    EXPECT_EQ(other.wait_for(kJobTimeout), std::future_status::ready);
    EXPECT_TRUE(host.WaitIdle(kJobTimeout));
    const std::string out = host.TakeOutput(false);
    EXPECT_NE(out.find("answer 0676543210\n"), std::string::npos) << out;
    EXPECT_EQ(host.LastResult(), JobResult::Ok);
    host.SetCameraLink(nullptr);
    EXPECT_TRUE(host.ClearNames());
    EXPECT_TRUE(host.WaitIdle(kJobTimeout));
    std::filesystem::current_path(folder);
}

/// A script's link over either transport, with a camera that answers late: reads of 0x6200
/// after 300 ms, of 0x6204 after 1200 ms, of 0x6208 at once (in real time on both).
class ScriptReadTimeOut : public ::testing::TestWithParam<bool>, public HostSession {
protected:
    using HostSession::Run;
    bool OverComPort() const { return GetParam(); }

    void SetUp() override
    {
        const auto setUpCamera = [](auto& camera) {
            camera.SetRegister(0x6200, 0x11223344);
            camera.SetRegister(0x6204, 0x55667788);
            camera.SetRegister(0x6208, 0x99AABBCC);
            camera.SetDelay(0x6200, 300);
            camera.SetDelay(0x6204, 1200);
        };
        AddPing(link);
        if (OverComPort()) {
            if (!peer.Start())
                GTEST_SKIP() << "no pseudo-terminal: " << peer.Error();
            peer.WithCamera([&](emu::CameraModel& c) {
                c.SetBaudRate(115200);
                setUpCamera(c);
            });
            ASSERT_EQ(link.Init(peer.SlavePath()), 0);
        } else {
            ASSERT_TRUE(emu.Loaded()) << emu.Error();
            emu.Reset();
            emu.SetCameraBaud(115200);
            emu.SetRealTime(true);  // a read waits as a real port does
            setUpCamera(emu);
            link.SetPortIndex(0);
            ASSERT_EQ(link.Init(CLSER_EMU_PATH), 0);
        }
        BeginSession(&link);
    }

    void TearDown() override
    {
        EndSession();
        if (!OverComPort())
            emu.SetRealTime(false);
    }

    MemorySettings settings;
    TestLink link{&settings};
    emu::PtyPeer peer;
    emu::ClserEmuControl emu{CLSER_EMU_PATH};
};

// Example failure: on a serial port read(1) gives up after the port's own 50 ms though the
// camera answers after 300 ms, read(255) of a 5-byte answer blocks for seconds, or the two
// transports word a time-out differently.
TEST_P(ScriptReadTimeOut, ReadWaitsUpToItsTimeOutForTheFirstByteAndReturnsWhatCame)
{
    const std::string out = Run(
        "import serial, time\n"
        "p = serial.Serial()\n"
        "p.write(b'R\\x62\\x00')\n"
        "print('300 ms:', p.read(1).hex(), p.read(4).hex())\n"
        "p.write(b'R\\x62\\x04')\n"
        "try:\n"
        "    p.read(1)\n"
        "except serial.SerialException as e:\n"
        "    print('1200 ms:', e)\n"
        "print('then:', p.read(5).hex())\n"
        "p.write(b'R\\x62\\x08')\n"
        "start = time.monotonic()\n"
        "answer = p.read(255)\n"
        "print('255:', answer.hex(), time.monotonic() - start < 3.0)\n");
    EXPECT_EQ(out,
              "300 ms: 06 11223344\n"
              "1200 ms: read: nothing received within 1000 ms\n"
              "then: 0655667788\n"
              "255: 0699aabbcc True\n");
    EXPECT_EQ(host.LastResult(), JobResult::Ok);
}

INSTANTIATE_TEST_SUITE_P(BothTransports, ScriptReadTimeOut, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "ComPort" : "Library"; });

TEST(ScriptOutputTest, WholeLinesWhileRunningTheRestAtTheEnd)
{
    ScriptOutput out;
    int notified = 0;
    out.SetNotify([&] { ++notified; });
    out.Append("a\nb");
    EXPECT_EQ(out.Take(true), "a\n");
    EXPECT_EQ(out.Take(true), "");
    out.Append("c\nd");
    EXPECT_EQ(out.Take(true), "bc\n");
    EXPECT_EQ(out.Take(false), "d");
    EXPECT_EQ(out.Take(false), "");
    EXPECT_EQ(notified, 2);
}

// Example failure: output nobody takes grows until the program runs out of memory, a cut
// leaves half a line or half a character, or the lines left out are not told.
TEST(ScriptOutputTest, WaitingOutputIsBoundedAndTheLinesLeftOutAreTold)
{
    ScriptOutput out;
    const std::string line = std::string(99, 'x') + "\n";
    const std::size_t count = 100000;  // 10 MB
    for (std::size_t i = 0; i < count; ++i)
        out.Append(line);
    const std::string taken = out.Take(true);
    ASSERT_LE(taken.size(), ScriptOutput::kMaxWaitingBytes + 200);
    const std::size_t noteEnd = taken.find('\n');
    ASSERT_NE(noteEnd, std::string::npos);
    const std::size_t kept = (taken.size() - noteEnd - 1) / line.size();
    EXPECT_EQ(taken.substr(0, noteEnd), "... " + std::to_string(count - kept)
                                            + " lines of output left out: the script printed faster than the console shows ...");
    EXPECT_EQ(taken.substr(noteEnd + 1), [&] {
        std::string lines;
        for (std::size_t i = 0; i < kept; ++i)
            lines += line;
        return lines;
    }());
    EXPECT_EQ(out.Take(false), "") << "the count is told once";

    // One endless line without a line end: cut at a whole character, told as one line.
    const std::string euro = "\xE2\x82\xAC";
    for (std::size_t i = 0; i < ScriptOutput::kMaxWaitingBytes; ++i)
        out.Append(euro);
    const std::string rest = out.Take(false);
    const std::string note = "... 1 line of output left out: the script printed faster than the console shows ...\n";
    ASSERT_EQ(rest.substr(0, note.size()), note);
    const std::string text = rest.substr(note.size());
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.size() % 3, 0u);
    EXPECT_EQ(text.substr(0, 3), euro);
}

}  // namespace
}  // namespace corvel::test
