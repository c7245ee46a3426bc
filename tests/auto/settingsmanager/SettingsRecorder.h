#pragma once

// An observer of a settings store for the store's tests and the watching tests.
#include <Tavrin/App/Application/ISettingsManagerObserver.h>

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <sstream>
#include <stdexcept>

namespace Tavrin::Test {

using Bytes = std::vector<unsigned char>;
using Calls = std::vector<std::string>;

inline std::ostream& operator<<(std::ostream& out, const Bytes& value)
{
    return out << "bytes[" << value.size() << "]";
}

// Journals every notification as "<Type> <key> <new value> <old value or none>", and whether
// each came on the application's thread, or only counts it while `journal` is off.
struct SettingsRecorder : App::ISettingsManagerObserver
{
    template <typename T>
    void Add(const char* type, const std::string& key, T value, const boost::optional<T>& old)
    {
        ++count;
        if (throwing)
            throw std::runtime_error("observer failed");
        if (!journal)
            return;
        std::ostringstream out;
        out << type << " " << key << " " << value << " ";
        old ? out << *old : out << "none";
        calls.push_back(out.str());
        onApplicationThread = onApplicationThread && QThread::currentThread() == qApp->thread();
    }
#define RECORD(Method, Type, Param, T)                                                       \
    void Method(const std::string& key, Param value, const boost::optional<T>& old) override \
    {                                                                                        \
        Add(Type, key, value, old);                                                          \
    }
    RECORD(OnBoolChanged, "Bool", bool, bool)
    RECORD(OnIntChanged, "Int", int, int)
    RECORD(OnStringChanged, "String", const std::string&, std::string)
    RECORD(OnByteArrayChanged, "Bytes", const Bytes&, Bytes)
    RECORD(OnInt64Changed, "Int64", std::int64_t, std::int64_t)
    RECORD(OnDoubleChanged, "Double", double, double)
#undef RECORD
    Calls calls;
    std::atomic<int> count{0};  // every notification, journaled or not
    bool journal = true;
    bool throwing = false;
    bool onApplicationThread = true;
};

}  // namespace Tavrin::Test
