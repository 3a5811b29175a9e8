// The scripting console's engine: one embedded Python interpreter for the whole process, owned
// by one long-lived worker thread that runs every job, a script file or a line of Python typed
// by the operator, one at a time in the same `__main__`, so names one job defines stay for the
// next. What the jobs print (sys.stdout and sys.stderr, tracebacks, the host's own lines) is
// collected for the console, which takes it while the job runs. `sys.exit` ends the job, never
// the program; `input()` meets the end of its input. A job can be asked to stop without
// waiting for it: the script then raises KeyboardInterrupt at its next Python step (a call
// into C, e.g. a camera read or time.sleep, finishes first). Scripts reach the camera through the `serial` module (SerialModule.h).
// No Qt here: the console window is a shell over this.
#pragma once

#include "tools/ScriptOutput.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class CCameraLink;

namespace script {

/// How the last job ended.
enum class JobResult {
    None,        ///< no job has ended yet
    Ok,          ///< it ran to its end (or called sys.exit with 0 or None)
    Error,       ///< it raised (or called sys.exit with another value): traceback printed
    Stopped,     ///< it was stopped on request
    NotOpened,   ///< the script file could not be opened
};

class PythonHost {
public:
    /// The process's host; its worker and the interpreter start with the first call.
    static PythonHost& Instance();

    PythonHost(const PythonHost&) = delete;
    PythonHost& operator=(const PythonHost&) = delete;

    /// False when the interpreter could not be started (the console then runs nothing).
    bool Available();
    /// The interpreter's start-up failure, if any.
    std::string StartError();

    /// Starts running the script file: the current directory becomes its folder first, as
    /// scripts open their files by relative paths. False (nothing starts) while a job runs
    /// or when the interpreter is not available.
    bool RunFile(const std::filesystem::path& script);
    /// Starts executing `line` as Python statements, echoed as ">> line" first. An empty
    /// line only prints ">> can't send an empty command". False as RunFile.
    bool RunLine(const std::string& line);

    /// Starts forgetting every name the jobs defined in `__main__`, as a fresh interpreter
    /// (e.g. when the console closes). False as RunFile.
    bool ClearNames();

    /// True from a job's start until it has ended and printed its last line.
    bool Running() const;
    /// Asks the running job to stop (no effect when none runs); returns at once. Sleeps and
    /// channel reads end within about a second, threads the job started are stopped as well. A
    /// job that has not ended 1.5 s later is told so in the output; asking again for the same
    /// job stops it harder (each line it reaches raises), or says that it cannot be stopped.
    void RequestStop();
    /// Waits until no job runs; false when `timeout` passed first.
    bool WaitIdle(std::chrono::milliseconds timeout);
    JobResult LastResult() const;

    /// What the jobs printed since the last call (see ScriptOutput::Take). Take whole lines
    /// while a job runs and everything once it has ended.
    std::string TakeOutput(bool wholeLinesOnly) { return output_.Take(wholeLinesOnly); }
    /// Called on the worker thread when output arrives and when a job ends.
    void SetNotify(std::function<void()> notify);

    /// The camera link of the `serial` module (borrowed; see SetSerialLink). A script or
    /// command line holds its channel (ChannelUser::Script) from its start to its end.
    void SetCameraLink(CCameraLink* link);
    /// Why the last RunFile or RunLine did not start ("" when it did).
    std::string RefusalText() const;

    /// Writes into the collected output, in order with what the jobs print.
    void Print(const std::string& text) { output_.Append(text); }

private:
    struct Job {
        enum Kind { File, Line, Clear } kind = Line;
        std::string text;  ///< the path or the line
        unsigned number = 0;
    };

    PythonHost();
    ~PythonHost();

    bool Post(Job job);
    void StartWorker();
    void WorkerMain();
    bool InitInterpreter();
    JobResult RunJob(const Job& job);
    JobResult RunFileJob(const std::string& path);
    JobResult RunLineJob(const std::string& line);
    /// Waits until no thread the job started is alive (a stop reaches them as well).
    JobResult AwaitThreads(JobResult result);
    void FinishJob(JobResult result);

    ScriptOutput output_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;     ///< the worker: a job or the end
    std::condition_variable changed_;  ///< waiters: started, a job ended
    std::deque<Job> jobs_;
    bool started_ = false;
    bool ready_ = false;       ///< the start-up ended (well or not)
    bool available_ = false;
    std::string startError_;
    bool running_ = false;
    bool quit_ = false;
    JobResult lastResult_ = JobResult::None;
    std::string refusal_;
    CCameraLink* link_ = nullptr;      ///< the `serial` module's link
    CCameraLink* heldLink_ = nullptr;  ///< the link whose channel the running job holds
    std::function<void()> notify_;
    std::thread worker_;

    void StopperMain();

    std::atomic<bool> stopRequested_{false};
    /// A second stop for the same job: every line its threads reach raises again.
    bool hardStop_ = false;  // guarded by mutex_
    /// The job's code has ended and its thread only waits for the threads the job started.
    std::atomic<bool> awaitingThreads_{false};
    unsigned postedJobs_ = 0;  ///< numbers the jobs (guarded by mutex_)
    /// The running job's number, 0 between jobs; changed and read with the interpreter's lock.
    unsigned activeJob_ = 0;
    unsigned long workerThreadId_ = 0;
    /// The stop is delivered by a thread of its own, which may wait for the interpreter's lock
    /// while the caller goes on.
    std::thread stopper_;
    std::condition_variable stopWake_;
    unsigned stopJob_ = 0;  ///< the job to stop, 0 when none (guarded by mutex_)
};

}  // namespace script
