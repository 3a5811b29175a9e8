#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "tools/SerialModule.h"

#include "camera/CameraLink.h"
#include "camera/clser.h"

#include <condition_variable>
#include <cstdint>
#include <limits>
#include <mutex>
#include <string>

namespace script {
namespace {

constexpr std::uint32_t kReadTimeoutMs = 1000;
constexpr std::uint32_t kWriteTimeoutMs = 2000;
constexpr long kMaxRead = 255;

// The borrowed link and the number of channel calls using it right now.
std::mutex g_linkMutex;
std::condition_variable g_linkIdle;
CCameraLink* g_link = nullptr;
int g_linkUsers = 0;

/// Holds the link for one channel call; the link is null when there is none.
class LinkUse {
public:
    LinkUse()
    {
        std::lock_guard lock(g_linkMutex);
        link_ = g_link;
        if (link_)
            ++g_linkUsers;
    }
    ~LinkUse()
    {
        if (!link_)
            return;
        std::lock_guard lock(g_linkMutex);
        if (--g_linkUsers == 0)
            g_linkIdle.notify_all();
    }
    LinkUse(const LinkUse&) = delete;
    LinkUse& operator=(const LinkUse&) = delete;
    CCameraLink* get() const { return link_; }
    /// True while a script run holds the link's channel (the run this call belongs to).
    bool Held() const { return link_->m_ChannelOwner.Holder() == ChannelUser::Script; }
    std::string BusyText() const
    {
        const std::string text = link_->m_ChannelOwner.BusyText();
        return text.empty() ? "the camera channel is not held by a script run" : text;
    }

private:
    CCameraLink* link_ = nullptr;
};

PyObject* g_serialException = nullptr;

struct StructSerial {
    PyObject_HEAD
    float timeout;
};

PyObject* SerialRead(PyObject*, PyObject* arg)
{
    const long n = PyLong_AsLong(arg);
    if (n == -1 && PyErr_Occurred())
        return nullptr;
    if (n < 1 || n > kMaxRead)
        return PyErr_Format(PyExc_ValueError, "read(n): n must be 1..%ld, not %ld", kMaxRead, n);
    LinkUse use;
    if (!use.get())
        return PyErr_Format(g_serialException, "no camera link");
    if (!use.Held())
        return PyErr_Format(g_serialException, "%s", use.BusyText().c_str());
    std::uint8_t buffer[kMaxRead + 1];
    std::uint32_t count = static_cast<std::uint32_t>(n);
    int result = 0;
    Py_BEGIN_ALLOW_THREADS
    // A port that went away may be back: while a script holds the channel nobody else reopens it.
    use.get()->ReopenAtRate();
    result = use.get()->Read(buffer, &count, kReadTimeoutMs);
    Py_END_ALLOW_THREADS
    // A time-out is the same on both transports: the bytes that came, or none.
    if (result == link_result::kComNothingRead)
        result = clser::kErrTimeout;
    if (result != 0 && result != clser::kErrTimeout)
        return PyErr_Format(g_serialException, "read failed on the channel (%d)", result);
    if (count < 1 || count > static_cast<std::uint32_t>(kMaxRead))
        return PyErr_Format(g_serialException, "read: nothing received within %u ms", kReadTimeoutMs);
    return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(buffer), count);
}

constexpr long kNoLink = -1;
constexpr long kNotHeld = -2;

/// Sends the bytes; the count written, 0 (the channel failed or took nothing), kNoLink or kNotHeld.
long WriteBytes(const void* bytes, Py_ssize_t length)
{
    if (length <= 0 || static_cast<unsigned long long>(length) > std::numeric_limits<std::uint32_t>::max())
        return 0;
    LinkUse use;
    if (!use.get())
        return kNoLink;
    if (!use.Held())
        return kNotHeld;
    std::uint32_t count = static_cast<std::uint32_t>(length);
    int result = 0;
    Py_BEGIN_ALLOW_THREADS
    use.get()->ReopenAtRate();
    result = use.get()->Write(bytes, &count, kWriteTimeoutMs);
    Py_END_ALLOW_THREADS
    return result == 0 ? static_cast<long>(count) : 0;
}

PyObject* SerialWrite(PyObject*, PyObject* arg)
{
    // Bytes-like objects as they are, text as Latin-1 (one byte per character); anything
    // else writes nothing and answers 0.
    long written = 0;
    if (PyUnicode_Check(arg)) {
        PyObject* encoded = PyUnicode_AsLatin1String(arg);
        if (!encoded) {
            PyErr_Clear();
            return PyLong_FromLong(0);
        }
        written = WriteBytes(PyBytes_AS_STRING(encoded), PyBytes_GET_SIZE(encoded));
        Py_DECREF(encoded);
    } else if (PyObject_CheckBuffer(arg)) {
        Py_buffer view;
        if (PyObject_GetBuffer(arg, &view, PyBUF_SIMPLE) != 0) {
            PyErr_Clear();
            return PyLong_FromLong(0);
        }
        written = WriteBytes(view.buf, view.len);
        PyBuffer_Release(&view);
    }
    if (written == kNoLink)
        return PyErr_Format(g_serialException, "no camera link");
    if (written == kNotHeld) {
        LinkUse use;
        return PyErr_Format(g_serialException, "%s", use.get() ? use.BusyText().c_str() : "no camera link");
    }
    return PyLong_FromLong(written);
}

PyObject* SerialClose(PyObject*, PyObject*)
{
    return PyLong_FromLong(0);
}

PyObject* GetTimeout(PyObject* self, void*)
{
    return PyFloat_FromDouble(reinterpret_cast<StructSerial*>(self)->timeout);
}

int SetTimeout(PyObject* self, PyObject* value, void*)
{
    if (!value) {
        PyErr_SetString(PyExc_AttributeError, "timeout cannot be deleted");
        return -1;
    }
    const double v = PyFloat_AsDouble(value);
    if (v == -1.0 && PyErr_Occurred())
        return -1;
    reinterpret_cast<StructSerial*>(self)->timeout = static_cast<float>(v);
    return 0;
}

PyMethodDef g_serialMethods[] = {
    {"read", SerialRead, METH_O, "read(n) -> bytes: n (1..255) bytes from the camera channel"},
    {"write", SerialWrite, METH_O, "write(data) -> int: bytes written, or 0"},
    {"close", SerialClose, METH_NOARGS, "close() -> 0; the channel stays open"},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef g_serialGetSet[] = {
    {"timeout", GetTimeout, SetTimeout, "a value kept for the script (read and write do not use it)", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyTypeObject g_structSerialType = [] {
    PyTypeObject type{};
    type.ob_base.ob_base.ob_refcnt = 1;  // static; PyType_Ready fills in its type
    type.tp_name = "serial.StructSerial";
    type.tp_basicsize = sizeof(StructSerial);
    type.tp_itemsize = 0;
    type.tp_flags = Py_TPFLAGS_DEFAULT;
    type.tp_doc = "The camera channel as a port.";
    type.tp_methods = g_serialMethods;
    type.tp_getset = g_serialGetSet;
    return type;
}();

PyObject* NewSerial(PyObject*, PyObject*, PyObject*)
{
    StructSerial* port = PyObject_New(StructSerial, &g_structSerialType);
    if (port)
        port->timeout = kReadTimeoutMs / 1000.0f;
    return reinterpret_cast<PyObject*>(port);
}

PyMethodDef g_moduleMethods[] = {
    {"Serial", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(NewSerial)), METH_VARARGS | METH_KEYWORDS,
     "Serial(*args, **kwargs) -> the camera channel's port; the arguments are ignored"},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef g_serialModule = {
    PyModuleDef_HEAD_INIT, "serial", "Raw access to the camera link's serial channel.", -1, g_moduleMethods,
    nullptr, nullptr, nullptr, nullptr,
};

PyObject* InitSerial()
{
    if (PyType_Ready(&g_structSerialType) < 0)
        return nullptr;
    PyObject* module = PyModule_Create(&g_serialModule);
    if (!module)
        return nullptr;
    if (!g_serialException)
        g_serialException = PyErr_NewException("serial.SerialException", PyExc_OSError, nullptr);
    if (!g_serialException || PyModule_AddObjectRef(module, "SerialException", g_serialException) < 0 ||
        PyModule_AddObjectRef(module, "StructSerial", reinterpret_cast<PyObject*>(&g_structSerialType)) < 0) {
        Py_DECREF(module);
        return nullptr;
    }
    return module;
}

}  // namespace

void SetSerialLink(CCameraLink* link)
{
    std::unique_lock lock(g_linkMutex);
    g_linkIdle.wait(lock, [] { return g_linkUsers == 0; });
    g_link = link;
}

CCameraLink* SerialLink()
{
    std::lock_guard lock(g_linkMutex);
    return g_link;
}

bool RegisterSerialModule()
{
    return PyImport_AppendInittab("serial", InitSerial) == 0;
}

}  // namespace script
