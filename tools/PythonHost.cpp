#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "tools/PythonHost.h"

#include "tools/SerialModule.h"

#include "camera/CameraLink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define CORVEL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORVEL_ASAN 1
#endif
#endif
#ifndef CORVEL_ASAN
#define CORVEL_ASAN 0
#endif

namespace script {
namespace {

constexpr const char* kErrorInScript = "\nThe Error is inside the script\n";
constexpr const char* kStopped = "\nThe script was stopped\n";
constexpr const char* kIgnoresStop =
    "\nThe script does not stop (it catches the stop, or waits in a call that does not return). Press Stop again "
    "to end it.\n";
constexpr const char* kCannotStop =
    "\nThe script cannot be stopped: it waits in a call that does not return. It ends when that call returns.\n";
/// How long a stopped script has to end before it is told that it ignores the stop.
constexpr auto kStopGrace = std::chrono::milliseconds(1500);
/// How long a job's own thread waits at a time for the threads the job started.
constexpr double kThreadWaitSlice = 0.05;
constexpr const char* kEmptyCommand = ">> can't send an empty command\n";

// ---- the console streams: sys.stdout and sys.stderr write here ----

ScriptOutput* g_output = nullptr;  // the host's; set before the interpreter starts

PyObject* ConsoleWrite(PyObject*, PyObject* arg)
{
    if (!PyUnicode_Check(arg))
        return PyErr_Format(PyExc_TypeError, "write() argument must be str, not %.100s", Py_TYPE(arg)->tp_name);
    PyObject* utf8 = PyUnicode_AsEncodedString(arg, "utf-8", "backslashreplace");
    if (!utf8)
        return nullptr;
    if (g_output)
        g_output->Append(std::string_view(PyBytes_AS_STRING(utf8), static_cast<std::size_t>(PyBytes_GET_SIZE(utf8))));
    Py_DECREF(utf8);
    return PyLong_FromSsize_t(PyUnicode_GET_LENGTH(arg));
}

PyMethodDef g_consoleMethods[] = {
    {"write", ConsoleWrite, METH_O, "Appends text to the console's output."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef g_consoleModule = {
    PyModuleDef_HEAD_INIT, "_corvel_console", nullptr, -1, g_consoleMethods, nullptr, nullptr, nullptr, nullptr,
};

PyObject* InitConsoleModule()
{
    return PyModule_Create(&g_consoleModule);
}

// Text streams over the module: the console has no input, so input() meets its end.
constexpr const char* kStreamSetup = R"(
import io, sys, _corvel_console

class ConsoleOutput(io.TextIOBase):
    encoding = 'utf-8'
    errors = 'backslashreplace'
    def __init__(self, name):
        self.name = name
    def writable(self):
        return True
    def isatty(self):
        return False
    def write(self, text):
        return _corvel_console.write(text)

class NoInput(io.TextIOBase):
    encoding = 'utf-8'
    name = '<stdin>'
    def readable(self):
        return True
    def read(self, size=-1):
        return ''
    def readline(self, size=-1):
        return ''

sys.stdout = ConsoleOutput('<stdout>')
sys.stderr = ConsoleOutput('<stderr>')
sys.stdin = NoInput()

# time.sleep in slices, so a stop reaches a sleeping script within a slice.
import threading, time
_real_sleep = time.sleep
def _sleep(seconds):
    try:
        total = float(seconds)
    except (TypeError, ValueError):
        return _real_sleep(seconds)
    if not 0 < total < float('inf'):
        return _real_sleep(seconds)
    end = time.monotonic() + total
    while True:
        left = end - time.monotonic()
        if left <= 0:
            return None
        _real_sleep(min(left, 0.05))
_sleep.__doc__ = _real_sleep.__doc__
time.sleep = _sleep

def wait_threads(seconds):
    # True when no thread the jobs started is alive any more. A thread leaves the list when it
    # has ended; join() is not used: a stop that interrupts it marks a live thread as ended.
    me = threading.current_thread()
    end = time.monotonic() + seconds
    while True:
        if not any(t is not me and not isinstance(t, threading._DummyThread) for t in threading.enumerate()):
            return True
        if time.monotonic() >= end:
            return False
        _real_sleep(0.01)
_corvel_console.wait_threads = wait_threads

# A thread that a stop ended says nothing more: the console reports the stop once.
_thread_hook = threading.excepthook
def _excepthook(args):
    if not issubclass(args.exc_type, KeyboardInterrupt):
        _thread_hook(args)
threading.excepthook = _excepthook
)";

/// The running job's threads, its own included (the stopper's excepted), with the interpreter's
/// lock held.
template <typename Fn>
void ForEachJobThread(PyThreadState* self, Fn fn)
{
    for (PyThreadState* t = PyInterpreterState_ThreadHead(PyThreadState_GetInterpreter(self)); t;
         t = PyThreadState_Next(t))
        if (t != self)
            fn(t);
}

/// The hard stop: every line a stopped job's thread reaches raises KeyboardInterrupt again, so
/// an except clause cannot hold it. The job's own thread is spared while it only waits for
/// the others.
std::atomic<bool>* g_sparedWaiting = nullptr;
unsigned long g_workerThread = 0;
/// threading.py: its own bookkeeping (a thread leaving the list of live threads) must run.
PyObject* g_threadingFile = nullptr;

int HardStopTrace(PyObject*, PyFrameObject* frame, int what, PyObject*)
{
    if (what != PyTrace_LINE && what != PyTrace_CALL)
        return 0;
    if (g_sparedWaiting && g_sparedWaiting->load() && PyThreadState_Get()->thread_id == g_workerThread)
        return 0;
    PyCodeObject* code = PyFrame_GetCode(frame);
    const bool threading = g_threadingFile && PyObject_RichCompareBool(code->co_filename, g_threadingFile, Py_EQ) == 1;
    Py_DECREF(code);
    if (threading)
        return 0;
    PyErr_SetNone(PyExc_KeyboardInterrupt);
    return -1;
}

std::string ExecutablePath()
{
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    return n > 0 ? std::string(buffer.data(), static_cast<std::size_t>(n)) : std::string();
}

std::string StatusText(const PyStatus& status)
{
    std::string text = status.err_msg ? status.err_msg : "the interpreter did not start";
    if (status.func)
        text = std::string(status.func) + ": " + text;
    return text;
}

/// The `__main__` namespace the jobs share (borrowed; lives as long as the interpreter).
PyObject* MainDict()
{
    PyObject* main = PyImport_AddModule("__main__");
    return main ? PyModule_GetDict(main) : nullptr;
}

/// Forgets every name the jobs defined, as a fresh interpreter would have none.
void ClearMainNames()
{
    PyObject* dict = MainDict();
    if (!dict)
        return;
    static const char* const kKeep[] = {"__name__", "__doc__", "__package__", "__loader__",
                                        "__spec__", "__annotations__", "__builtins__"};
    PyObject* keys = PyDict_Keys(dict);
    if (!keys) {
        PyErr_Clear();
        return;
    }
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(keys); ++i) {
        PyObject* key = PyList_GET_ITEM(keys, i);
        const char* name = PyUnicode_Check(key) ? PyUnicode_AsUTF8(key) : nullptr;
        bool keep = false;
        for (const char* k : kKeep)
            keep = keep || (name && std::strcmp(name, k) == 0);
        if (!keep && PyDict_DelItem(dict, key) < 0)
            PyErr_Clear();
    }
    Py_DECREF(keys);
    PyErr_Clear();
}

/// The text Python shows for the value `str(obj)`, or "" when it has none.
std::string Str(PyObject* obj)
{
    PyObject* s = PyObject_Str(obj);
    if (!s) {
        PyErr_Clear();
        return {};
    }
    const char* utf8 = PyUnicode_AsUTF8(s);
    std::string text = utf8 ? utf8 : "";
    if (!utf8)
        PyErr_Clear();
    Py_DECREF(s);
    return text;
}

}  // namespace

PythonHost& PythonHost::Instance()
{
    static PythonHost host;
    return host;
}

PythonHost::PythonHost() = default;

PythonHost::~PythonHost()
{
    std::unique_lock lock(mutex_);
    if (!started_)
        return;
    bool running = running_;
    jobs_.clear();
    lock.unlock();
    // The process is ending: a job gets a stop and a hard stop, a second each, and no more.
    for (int attempt = 0; running && attempt < 2; ++attempt) {
        RequestStop();
        running = !WaitIdle(std::chrono::seconds(1));
    }
    lock.lock();
    quit_ = true;
    stopJob_ = 0;
    const bool idle = !running_;
    lock.unlock();
    wake_.notify_all();
    stopWake_.notify_all();
    if (idle) {
        worker_.join();
        stopper_.join();
    } else {
        // A script that ignores the stop keeps its threads; the process is ending.
        worker_.detach();
        stopper_.detach();
    }
}

void PythonHost::StartWorker()
{
    // mutex_ held by the caller
    if (started_)
        return;
    started_ = true;
    g_output = &output_;
    worker_ = std::thread([this] { WorkerMain(); });
    stopper_ = std::thread([this] { StopperMain(); });
}

bool PythonHost::Available()
{
    std::unique_lock lock(mutex_);
    StartWorker();
    changed_.wait(lock, [this] { return ready_; });
    return available_;
}

std::string PythonHost::StartError()
{
    std::unique_lock lock(mutex_);
    StartWorker();
    changed_.wait(lock, [this] { return ready_; });
    return startError_;
}

bool PythonHost::RunFile(const std::filesystem::path& script)
{
    return Post({Job::File, script.string()});
}

bool PythonHost::RunLine(const std::string& line)
{
    return Post({Job::Line, line});
}

bool PythonHost::ClearNames()
{
    return Post({Job::Clear, {}});
}

bool PythonHost::Post(Job job)
{
    if (!Available()) {
        std::lock_guard lock(mutex_);
        refusal_ = "The Python interpreter is not available.";
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        if (running_ || quit_) {
            refusal_ = "Another job is still running.";
            return false;
        }
        // A job that may talk to the camera holds its channel until it has ended.
        if (job.kind != Job::Clear && link_) {
            if (!link_->m_ChannelOwner.Acquire(ChannelUser::Script)) {
                refusal_ = link_->m_ChannelOwner.BusyText();
                return false;
            }
            heldLink_ = link_;
        }
        refusal_.clear();
        running_ = true;
        stopRequested_ = false;
        hardStop_ = false;
        job.number = ++postedJobs_;
        if (job.number == 0)
            job.number = ++postedJobs_;  // 0 means no job
        jobs_.push_back(std::move(job));
    }
    wake_.notify_all();
    return true;
}

bool PythonHost::Running() const
{
    std::lock_guard lock(mutex_);
    return running_;
}

JobResult PythonHost::LastResult() const
{
    std::lock_guard lock(mutex_);
    return lastResult_;
}

bool PythonHost::WaitIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return !running_; });
}

void PythonHost::SetNotify(std::function<void()> notify)
{
    output_.SetNotify(notify);
    std::lock_guard lock(mutex_);
    notify_ = std::move(notify);
}

void PythonHost::SetCameraLink(CCameraLink* link)
{
    SetSerialLink(link);
    CCameraLink* released = nullptr;
    {
        std::lock_guard lock(mutex_);
        link_ = link;
        // A job that outlives its link (it would not stop) no longer holds that link's channel.
        if (heldLink_ && heldLink_ != link)
            released = std::exchange(heldLink_, nullptr);
    }
    if (released)
        released->m_ChannelOwner.Release(ChannelUser::Script);
}

std::string PythonHost::RefusalText() const
{
    std::lock_guard lock(mutex_);
    return refusal_;
}

void PythonHost::RequestStop()
{
    {
        std::lock_guard lock(mutex_);
        if (!running_)
            return;
        if (stopRequested_)
            hardStop_ = true;
        stopRequested_ = true;
        stopJob_ = postedJobs_;
    }
    stopWake_.notify_all();
}

void PythonHost::StopperMain()
{
    for (;;) {
        unsigned job = 0;
        bool hard = false;
        {
            std::unique_lock lock(mutex_);
            stopWake_.wait(lock, [this] { return quit_ || stopJob_ != 0; });
            if (stopJob_ == 0)
                return;  // quit
            job = std::exchange(stopJob_, 0u);
            hard = hardStop_;
        }
        // With the interpreter's lock held, the job cannot end meanwhile (the worker changes
        // activeJob_ and clears a late stop with the lock held as well). The threads the job
        // started belong to it: the stop reaches them too.
        const PyGILState_STATE gil = PyGILState_Ensure();
        if (activeJob_ == job)
            ForEachJobThread(PyThreadState_Get(), [hard](PyThreadState* t) {
                PyThreadState_SetAsyncExc(t->thread_id, PyExc_KeyboardInterrupt);
                if (hard && _PyEval_SetTrace(t, HardStopTrace, nullptr) < 0)
                    PyErr_Clear();
            });
        PyGILState_Release(gil);
        // A script that does not end is told so, and what a further Stop does.
        std::unique_lock lock(mutex_);
        const bool ended = stopWake_.wait_for(lock, kStopGrace, [&] {
            return quit_ || stopJob_ != 0 || !running_ || postedJobs_ != job;
        });
        if (!ended)
            output_.Append(hard ? kCannotStop : kIgnoresStop);
    }
}

bool PythonHost::InitInterpreter()
{
    if (!RegisterSerialModule() || PyImport_AppendInittab("_corvel_console", InitConsoleModule) != 0) {
        startError_ = "the built-in modules could not be registered";
        return false;
    }
    // UTF-8 throughout, and the process's locale and signals left alone.
    PyPreConfig pre;
    PyPreConfig_InitPythonConfig(&pre);
    pre.utf8_mode = 1;
    pre.configure_locale = 0;
    pre.coerce_c_locale = 0;
#if CORVEL_ASAN
    // Every object from malloc, so the address sanitizer sees the interpreter's memory too (a
    // reference miscounted in our modules shows as a use after free).
    pre.allocator = PYMEM_ALLOCATOR_MALLOC;
#endif
    PyStatus status = Py_PreInitialize(&pre);
    if (PyStatus_Exception(status)) {
        startError_ = StatusText(status);
        return false;
    }
    PyConfig config;
    PyConfig_InitPythonConfig(&config);
    config.install_signal_handlers = 0;
    config.parse_argv = 0;
    config.configure_c_stdio = 0;
    // The library's own prefix is found from the program's path, not from whatever "python3"
    // comes first on PATH.
    const std::string exe = ExecutablePath();
    if (!exe.empty())
        status = PyConfig_SetBytesString(&config, &config.program_name, exe.c_str());
    if (!PyStatus_Exception(status))
        status = Py_InitializeFromConfig(&config);
    PyConfig_Clear(&config);
    if (PyStatus_Exception(status)) {
        startError_ = StatusText(status);
        return false;
    }
    PyObject* globals = PyDict_New();
    PyObject* done = nullptr;
    if (globals && PyDict_SetItemString(globals, "__builtins__", PyEval_GetBuiltins()) == 0)
        done = PyRun_String(kStreamSetup, Py_file_input, globals, globals);
    if (!done) {
        startError_ = "the console streams could not be set up";
        PyErr_Print();
    }
    Py_XDECREF(done);
    Py_XDECREF(globals);
    workerThreadId_ = PyThreadState_Get()->thread_id;
    g_workerThread = workerThreadId_;
    if (PyObject* threading = PyImport_ImportModule("threading")) {
        g_threadingFile = PyObject_GetAttrString(threading, "__file__");
        Py_DECREF(threading);
    }
    PyErr_Clear();
    g_sparedWaiting = &awaitingThreads_;
    return done != nullptr && MainDict() != nullptr;
}

void PythonHost::WorkerMain()
{
    const bool ok = InitInterpreter();
    // The interpreter's lock is held only while a job runs.
    PyThreadState* state = Py_IsInitialized() ? PyEval_SaveThread() : nullptr;
    {
        std::lock_guard lock(mutex_);
        ready_ = true;
        available_ = ok;
    }
    changed_.notify_all();
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || !jobs_.empty(); });
            if (quit_)
                break;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        PyEval_RestoreThread(state);
        activeJob_ = job.number;
        JobResult result = JobResult::Stopped;
        if (stopRequested_)
            output_.Append(kStopped);  // stopped before it began
        else
            result = AwaitThreads(RunJob(job));
        // A stop that came too late for this job must not hit the next one.
        activeJob_ = 0;
        PyThreadState_SetAsyncExc(workerThreadId_, nullptr);
        if (_PyEval_SetTrace(PyThreadState_Get(), nullptr, nullptr) < 0)
            PyErr_Clear();
        state = PyEval_SaveThread();
        FinishJob(result);
    }
}

JobResult PythonHost::AwaitThreads(JobResult result)
{
    // The run lasts while threads it started are alive: their output and their frames are its own.
    awaitingThreads_ = true;
    PyObject* console = PyImport_ImportModule("_corvel_console");
    PyObject* wait = console ? PyObject_GetAttrString(console, "wait_threads") : nullptr;
    Py_XDECREF(console);
    if (!wait) {
        PyErr_Clear();
        awaitingThreads_ = false;
        return result;
    }
    bool stopSeen = false;
    for (;;) {
        PyObject* done = PyObject_CallFunction(wait, "d", kThreadWaitSlice);
        if (done) {
            const bool none = PyObject_IsTrue(done) == 1;
            Py_DECREF(done);
            if (none)
                break;
            continue;
        }
        // A stop meant for the job's threads met this thread while it waited.
        if (!(stopRequested_ && PyErr_ExceptionMatches(PyExc_KeyboardInterrupt)))
            PyErr_Print();
        PyErr_Clear();
        if (stopRequested_ && !stopSeen && result != JobResult::Stopped) {
            stopSeen = true;
            output_.Append(kStopped);
            result = JobResult::Stopped;
        }
    }
    Py_DECREF(wait);
    awaitingThreads_ = false;
    return result;
}

JobResult PythonHost::RunJob(const Job& job)
{
    switch (job.kind) {
    case Job::File:
        return RunFileJob(job.text);
    case Job::Line:
        return RunLineJob(job.text);
    case Job::Clear:
        break;
    }
    ClearMainNames();
    return JobResult::Ok;
}

namespace {

/// Reports how a job's code ended: nothing when it ran through or left with sys.exit(0), the
/// traceback and the error line when it raised.
JobResult Conclude(PyObject* result, bool stopRequested, ScriptOutput& out)
{
    if (result) {
        Py_DECREF(result);
        return JobResult::Ok;
    }
    if (PyErr_ExceptionMatches(PyExc_SystemExit)) {
        // The script ends here; the program goes on.
        PyObject *type = nullptr, *value = nullptr, *traceback = nullptr;
        PyErr_Fetch(&type, &value, &traceback);
        PyErr_NormalizeException(&type, &value, &traceback);
        PyObject* code = value ? PyObject_GetAttrString(value, "code") : nullptr;
        if (!code)
            PyErr_Clear();
        const bool clean = !code || code == Py_None || (PyLong_Check(code) && PyLong_AsLong(code) == 0);
        PyErr_Clear();
        std::string text = clean ? std::string() : "SystemExit: " + Str(code) + "\n";
        Py_XDECREF(code);
        Py_XDECREF(type);
        Py_XDECREF(value);
        Py_XDECREF(traceback);
        if (clean)
            return JobResult::Ok;
        out.Append(text);
        out.Append(kErrorInScript);
        return JobResult::Error;
    }
    if (stopRequested && PyErr_ExceptionMatches(PyExc_KeyboardInterrupt)) {
        PyErr_Clear();
        out.Append(kStopped);
        return JobResult::Stopped;
    }
    PyErr_Print();
    out.Append(kErrorInScript);
    return JobResult::Error;
}

}  // namespace

JobResult PythonHost::RunFileJob(const std::string& given)
{
    // The script's folder becomes the current one, so its path must not depend on it.
    std::error_code ec;
    const std::filesystem::path script = std::filesystem::absolute(given, ec);
    const std::string path = ec ? given : script.string();
    if (!ec && script.has_parent_path())
        std::filesystem::current_path(script.parent_path(), ec);
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file) {
        const int error = errno;
        // As a fresh start would: the names of earlier jobs are gone.
        ClearMainNames();
        output_.Append("Cannot open the script " + path + ": " + std::strerror(error) + "\n");
        return JobResult::NotOpened;
    }
    PyObject* dict = MainDict();
    bool setFile = false;
    if (dict && !PyDict_GetItemString(dict, "__file__")) {
        PyObject* name = PyUnicode_DecodeFSDefault(path.c_str());
        setFile = name && PyDict_SetItemString(dict, "__file__", name) == 0 &&
                  PyDict_SetItemString(dict, "__cached__", Py_None) == 0;
        Py_XDECREF(name);
        PyErr_Clear();
    }
    PyObject* result = dict ? PyRun_FileExFlags(file, path.c_str(), Py_file_input, dict, dict, 1, nullptr) : nullptr;
    if (!dict)
        std::fclose(file);
    const JobResult outcome = Conclude(result, stopRequested_, output_);
    if (setFile) {
        if (PyDict_DelItemString(dict, "__file__") < 0 || PyDict_DelItemString(dict, "__cached__") < 0)
            PyErr_Clear();
    }
    return outcome;
}

JobResult PythonHost::RunLineJob(const std::string& line)
{
    if (line.empty()) {
        output_.Append(kEmptyCommand);
        return JobResult::Ok;
    }
    output_.Append(">> " + line + "\n");
    if (line.find('\0') != std::string::npos) {
        output_.Append("ValueError: the command holds a null character\n");
        output_.Append(kErrorInScript);
        return JobResult::Error;
    }
    PyObject* dict = MainDict();
    PyObject* result = dict ? PyRun_StringFlags(line.c_str(), Py_file_input, dict, dict, nullptr) : nullptr;
    return Conclude(result, stopRequested_, output_);
}

void PythonHost::FinishJob(JobResult result)
{
    std::function<void()> notify;
    CCameraLink* held = nullptr;
    {
        std::lock_guard lock(mutex_);
        held = std::exchange(heldLink_, nullptr);
    }
    // The channel is free before the job counts as ended, so the next job can take it.
    if (held)
        held->m_ChannelOwner.Release(ChannelUser::Script);
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        lastResult_ = result;
        notify = notify_;
    }
    changed_.notify_all();
    stopWake_.notify_all();
    if (notify)
        notify();
}

}  // namespace script
